#!/usr/bin/env bash
# The packed Windows program as an operator meets it: the zip unpacked into a fresh folder and
# a fresh Wine prefix, ledcardcfg.exe started with the real Windows platform plugin on a
# virtual screen, on the tool side of a test bed (one adapter, nothing else reachable).
# Checks the main window in all three languages, that a second copy is refused, and that
# SysCfg.ini is written beside the exe at exit; leaves a screenshot per language.
#
#   tests/windows/gui.sh ZIP OUT_DIR        as root
set -euo pipefail

zip="$(readlink -f "${1:?usage: gui.sh ZIP OUT_DIR}")"
out="$(mkdir -p "${2:?}" && cd "$2" && pwd)"
# shellcheck source=tests/windows/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_begin wingui
name="wg$$"
bed_up "$name"
(cd "$work" && unzip -q "$zip")
app="$(ls -d "$work"/ledcardcfg-*-win64)"
bus_start
screen_start
export WINEPREFIX="$work/prefix"
prefix_new "$WINEPREFIX" "$name"

# Everything from here on runs on the tool side, with the bed's address for the host name.
in_bed() { in_tool "$name" "$@"; }
# Started from its own folder, as a double click starts it.
app_run() { (cd "$app" && in_bed "$wine" ledcardcfg.exe); }

run_language() { # LANG-VALUE LABEL EXPECTED-MENU-TEXT
    local lang="$1" label="$2" pid id
    rm -f "$app/SysCfg.ini"
    LANG="$lang" app_run &
    pid=$!
    if ! id="$(window 'V3\.68')"; then
        fail "$label: no main window"; kill "$pid" 2>/dev/null; return
    fi
    sleep 2 # the first paint and the adapter step
    import -window "$id" "$out/windows-main-$label.png"
    ok "$label: main window $(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')"
    [ "$label" = english ] && second_copy_refused app_run
    # Close as the window's close button does: WM_CLOSE, then the settings are written.
    in_bed "$wine" taskkill /im ledcardcfg.exe >/dev/null 2>&1 || true
    for _ in $(seq 75); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    kill -0 "$pid" 2>/dev/null && { fail "$label: did not end on WM_CLOSE"; kill "$pid"; }
    if [ -f "$app/SysCfg.ini" ] && grep -q '^\[ServerIP\]' "$app/SysCfg.ini" &&
        grep -q '^ServerIP=192.168.1.10' "$app/SysCfg.ini"; then
        ok "$label: SysCfg.ini written beside ledcardcfg.exe"
    else
        fail "$label: no SysCfg.ini beside ledcardcfg.exe"
    fi
}

# The desktop session ends (logout, shutdown): the settings are written before the process goes.
session_end() {
    local pid
    rm -f "$app/SysCfg.ini"
    LANG=en_US.UTF-8 app_run &
    pid=$!
    if ! window 'V3\.68' >/dev/null; then
        fail "session end: no main window"; kill "$pid" 2>/dev/null; return
    fi
    sleep 2
    in_bed wineboot --end-session >/dev/null 2>&1 || true
    for _ in $(seq 75); do
        [ -f "$app/SysCfg.ini" ] && break
        sleep 0.2
    done
    if [ -f "$app/SysCfg.ini" ] && grep -q '^LgType=2' "$app/SysCfg.ini"; then
        ok "session end: SysCfg.ini written"
    else
        fail "session end: no SysCfg.ini after the session-end message"
    fi
    in_bed "$wine" taskkill /im ledcardcfg.exe >/dev/null 2>&1 || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
    kill "$pid" 2>/dev/null || true
}

run_language zh_CN.UTF-8 simplified
run_language zh_TW.UTF-8 traditional
run_language en_US.UTF-8 english
session_end
echo "screenshots in $out"
suite_exit "the packed zip"
