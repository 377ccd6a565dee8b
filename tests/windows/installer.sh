#!/usr/bin/env bash
# The installer as an IT department runs it, under Wine in a fresh prefix on the tool side of a
# test bed: a silent install into the user's own programs folder with Start-menu entries and
# an entry in the installed-programs list; the window started from its Start-menu entry shows
# its title, a second copy is refused, and SysCfg.ini is written beside it; ledcardctl.exe
# finds the cards from the installed folder; an uninstall while the window runs is refused;
# the silent uninstall leaves exactly the user's own files; a silent install with /D= goes
# where it is told. As root.
#
#   tests/windows/installer.sh SETUP.EXE APP_DIR LINUX_BUILD
set -euo pipefail

setup="$(readlink -f "${1:?usage: installer.sh SETUP.EXE APP_DIR LINUX_BUILD}")"
app="$(cd "${2:?}" && pwd)"
LEDCFG_LINUX_BUILD="$(realpath --relative-to="$(cd "$(dirname "$0")/../.." && pwd)" "${3:?}")"
# shellcheck source=tests/windows/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_begin wininst
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
bus_start
screen_start
bed="wi$$"
bed_up "$bed"
prefix_new "$work/prefix" "$bed"
export WINEPREFIX="$work/prefix"
user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
instdir="$user_dir/AppData/Local/Programs/ledcardcfg"
menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/ledcardcfg"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ledcardcfg'

# The files of a folder, one relative path a line, sorted.
files() { (cd "$1" && find . -mindepth 1 \( -type f -o -type d \) | sed 's|^\./||' | LC_ALL=C sort); }

echo "== silent install, no administrator rights"
if strings "$setup" | grep 'level="asInvoker"' >/dev/null; then
    ok "the installer asks for no elevation (asInvoker)"
else
    fail "the installer's manifest does not run it as the invoking user"
fi
rc=0
in_tool "$bed" "$wine" "$setup" /S || rc=$?
[ "$rc" = 0 ] || fail "silent install: exit status $rc"
# The unpacked zip may hold what earlier suites' runs left beside the programs: the user's files.
user_files='^(backups(/.*)?|journal\.jsonl|SysCfg\.ini)$'
if diff <( (files "$app" | grep -Ev "$user_files"; echo uninstall.exe) | LC_ALL=C sort) \
    <(files "$instdir") >"$work/diff.txt"; then
    ok "installed into the user's programs folder: $(files "$instdir" | grep -c .) files and folders, the zip's and the uninstaller"
else
    fail "installed files differ from the zip's: $(head -20 "$work/diff.txt")"
fi
links="$(ls "$menu" 2>/dev/null | sort | tr '\n' '|')"
if [ "$links" = "LED Card Configuration.lnk|Uninstall.lnk|ledcardctl command prompt.lnk|" ]; then
    ok "Start menu: the window, a ledcardctl prompt and the uninstaller"
else
    fail "Start menu holds: $links"
fi
in_tool "$bed" "$wine" reg query "$key" >"$work/reg.txt" 2>&1 || true
tr -d '\r' <"$work/reg.txt" >"$work/reg.clean"
for want in 'DisplayName    REG_SZ    LED Card Configuration (ledcardcfg)' \
    'DisplayVersion    REG_SZ    3.68' \
    'InstallLocation    REG_SZ    C:\users\'"$(id -un)"'\AppData\Local\Programs\ledcardcfg' \
    'QuietUninstallString    REG_SZ    "C:\users\'"$(id -un)"'\AppData\Local\Programs\ledcardcfg\uninstall.exe" /S'; do
    grep -qF "$want" "$work/reg.clean" || fail "installed-programs entry lacks: $want"
done
grep -qF 'DisplayVersion    REG_SZ    3.68' "$work/reg.clean" && ok "installed-programs entry (HKCU): name, version, location, silent uninstall"

echo "== the window from its Start-menu entry"
in_tool "$bed" "$wine" start /unix "$menu/LED Card Configuration.lnk" >/dev/null 2>&1 &
if id="$(window 'V3\.68')"; then
    title="$(xdotool getwindowname "$id")"
    if [[ "$title" == ?*" V3.68" ]]; then
        ok "the window shows its title: $title"
    else
        fail "title: $title"
    fi
    sleep 2
    second_copy_refused in_tool "$bed" "$wine" "$instdir/ledcardcfg.exe"

    echo "== uninstall while the window runs"
    rc=0
    # _?= keeps the uninstaller in place, so its exit status is the answer.
    in_tool "$bed" "$wine" "$instdir/uninstall.exe" /S "_?=C:\\users\\$(id -un)\\AppData\\Local\\Programs\\ledcardcfg" || rc=$?
    if [ "$rc" = 2 ] && [ -f "$instdir/ledcardcfg.exe" ] && [ -f "$instdir/Qt6Core.dll" ]; then
        ok "refused with exit status 2 while the window runs, nothing removed"
    else
        fail "uninstall while running: exit status $rc, $(files "$instdir" | grep -c .) files left"
    fi

    # Closed as its close button closes it: the settings are written, then it ends.
    in_tool "$bed" "$wine" taskkill /im ledcardcfg.exe >/dev/null 2>&1 || true
    for _ in $(seq 75); do xdotool search --name 'V3\.68' >/dev/null 2>&1 || break; sleep 0.2; done
    for _ in $(seq 25); do [ -f "$instdir/SysCfg.ini" ] && break; sleep 0.2; done
    sleep 1
    if grep -q '^ServerIP=192.168.1.10' "$instdir/SysCfg.ini" 2>/dev/null; then
        ok "SysCfg.ini written beside the installed ledcardcfg.exe"
    else
        fail "no SysCfg.ini in the installed folder"
    fi
else
    fail "the Start-menu entry started no window"
fi

echo "== ledcardctl.exe from the installed folder"
sim_start "$bed" "$work/sim.jsonl" --cards 3 --first-ip 192.168.1.100
rc=0
# No --local: the address the window would bind, as an operator's script runs it.
in_tool "$bed" "$wine" "$instdir/ledcardctl.exe" search --times 2 --format json >"$work/search.json" \
    2>"$work/search.err" || rc=$?
sim_stop
if [ "$rc" = 0 ] && python3 -c 'import json,sys; c=json.load(open(sys.argv[1])); assert [x["ip"] for x in c] == ["192.168.1.100","192.168.1.101","192.168.1.102"], c' "$work/search.json"; then
    ok "ledcardctl.exe search found the 3 cards"
else
    fail "ledcardctl.exe search: exit status $rc: $(head -c 300 "$work/search.err") $(head -c 300 "$work/search.json")"
fi

echo "== silent uninstall keeps the user's files"
mkdir -p "$instdir/backups"
printf '{"card":"00:1A:2B:00:00:01"}\n' >"$instdir/backups/00-1A-2B-00-00-01.json"
printf '{"event":"write"}\n' >"$instdir/journal.jsonl"
rc=0
in_tool "$bed" "$wine" "$instdir/uninstall.exe" /S || rc=$?
# The uninstaller copies itself away and goes on from there: wait for it to finish.
for _ in $(seq 150); do [ -f "$instdir/uninstall.exe" ] || [ -d "$menu" ] || break; sleep 0.2; done
sleep 1
left="$(files "$instdir" | tr '\n' ' ')"
if [ "$rc" = 0 ] && [ "$left" = "SysCfg.ini backups backups/00-1A-2B-00-00-01.json journal.jsonl " ]; then
    ok "uninstalled: left exactly SysCfg.ini, backups/ and journal.jsonl"
else
    fail "after the uninstall (exit status $rc): $left"
fi
[ -e "$menu" ] && fail "the Start-menu folder is still there" || ok "the Start-menu entries are gone"
if in_tool "$bed" "$wine" reg query "$key" >/dev/null 2>&1; then
    fail "the installed-programs entry is still there"
else
    ok "the installed-programs entry is gone"
fi

echo "== silent install with /D="
rc=0
# Typed as an operator types it: /D= last, unquoted, through cmd so the line reaches the
# installer as it was typed.
in_tool "$bed" "$wine" cmd /c "$(printf 'Z:%s' "$setup" | tr / '\\') /S /D=C:\Tools\LED Cards" || rc=$?
custom="$WINEPREFIX/drive_c/Tools/LED Cards"
if [ "$rc" = 0 ] && [ -f "$custom/ledcardctl.exe" ] && [ -f "$custom/ledcardcfg.exe" ]; then
    ok "installed into C:\\Tools\\LED Cards"
else
    fail "/D= install: exit status $rc"
fi
in_tool "$bed" "$wine" "$custom/uninstall.exe" /S || true
for _ in $(seq 150); do [ -e "$custom" ] || break; sleep 0.2; done
[ -e "$custom" ] && fail "C:\\Tools\\LED Cards is still there: $(files "$custom" | tr '\n' ' ')" ||
    ok "uninstalled from there, the folder removed with nothing of the user's in it"

suite_exit installer
