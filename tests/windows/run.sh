#!/usr/bin/env bash
# The Windows build proved under Wine, as root:
#  1. the unit, widget and start-up test programs (.exe) through ctest, in a network namespace
#     with only loopback, on a virtual screen;
#  2. the real window in the test bed against simulated cards (guest_bed_tests.exe: every card
#     listed once, a plain read brings no success message, a write is confirmed), then the
#     Linux build in the same kind of bed, and the datagrams the cards received compared byte
#     for byte;
#  3. ledcardctl.exe from the zip against the Linux ledcardctl in the bed (tests/windows/ctl.sh);
#  4. the packed zip in a fresh Wine prefix with the real Windows platform plugin
#     (tests/windows/gui.sh);
#  5. the installer in a fresh Wine prefix: install, the installed programs, uninstall
#     (tests/windows/installer.sh).
# Each part ends what it started (screens, buses, simulators, Wine), also when it fails or is
# interrupted, and says so.
#
#   tests/windows/run.sh WINDOWS_BUILD QT_PREFIX ZIP LINUX_BUILD SETUP.EXE
set -euo pipefail

wbuild="$(cd "${1:?usage: run.sh WINDOWS_BUILD QT_PREFIX ZIP LINUX_BUILD SETUP.EXE}" && pwd)"
LEDCFG_QT_WINDOWS="$(cd "${2:?}" && pwd)"
export LEDCFG_QT_WINDOWS
zip="$(readlink -f "${3:?}")"
lbuild="$(cd "${4:?}" && pwd)"
setup="$(readlink -f "${5:?}")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
LEDCFG_LINUX_BUILD="$(realpath --relative-to="$here/../.." "$lbuild")"
# shellcheck source=tests/windows/lib.sh
source "$here/lib.sh"
[ "$(id -u)" -eq 0 ] || { echo "run.sh: needs root for the network namespaces" >&2; exit 1; }
suite_begin wine
start=$(date +%s)
bus_start
screen_start

echo "== Windows test programs under Wine"
export WINEPREFIX="$work/prefix-unit"
suite_prefixes+=("$WINEPREFIX")
# The prefix is made first: two tests starting side by side in a prefix not yet made race for
# it ("chdir to .../server-...: No such file"). In the tests' own namespace, since wineserver,
# which stays on for a moment, is what opens their sockets.
# shellcheck disable=SC2016 # expanded by the inner shell
unshare -n -- bash -c 'ip link set lo up && { wineboot -i >/dev/null 2>&1 || true; } &&
    exec ctest --test-dir "$0" -j2 --timeout 300 --output-on-failure -LE guest' "$wbuild" ||
    fail "the Windows test programs"
wine_end

# bed NAME PROGRAM...: a bed with five cards (card 3 answers by broadcast), the program on its
# tool side with the bed's address for the host name; the cards' report is left in
# $work/NAME.jsonl.
bed() {
    local name="$1" rc=0
    shift
    bed_up "$name"
    sim_start "$name" "$work/$name.jsonl" --cards 5 --broadcast-cards 3 --versions 53,54,60,40,55
    LEDCFG_BED_TOOL_ADDRESS=192.168.1.10 LEDCFG_BED_CARDS=5 in_tool "$name" "$@" || rc=$?
    sim_stop
    bed_down "$name"
    return "$rc"
}

# What the cards received, in order: the kind of each request and its bytes, a repeated search
# request counted once.
received() {
    python3 - "$1" <<'PY'
import json, sys
seen = []
for line in open(sys.argv[1], encoding="utf-8"):
    e = json.loads(line)
    if e.get("event") in ("request", "write"):
        item = f'{e["event"]} {e.get("kind", "")} {e["bytes"]}'
        if not seen or seen[-1] != item:
            seen.append(item)
print("\n".join(seen))
PY
}

echo "== The Windows window in the test bed"
export WINEPREFIX="$work/prefix-bed"
suite_prefixes+=("$WINEPREFIX")
# Wine does not pass a console program's output through here; the log goes to a file.
if bed "wb$$" "$suite_root/tools/windows/wine-run.sh" "$wbuild/tests/guest/guest_bed_tests.exe" \
    -o "Z:$work/windows-bed.txt,txt" && cat "$work/windows-bed.txt" &&
    grep -q '^Totals: 5 passed, 0 failed, 0 skipped' "$work/windows-bed.txt"; then
    ok "the Windows build searched, read and wrote in the bed"
else
    fail "the Windows build in the bed"
fi
echo "== The Linux window in the same kind of bed"
if bed "lb$$" "$lbuild/tests/guest/guest_bed_tests"; then
    ok "the Linux build searched, read and wrote in the bed"
else
    fail "the Linux build in the bed"
fi
received "$work/wb$$.jsonl" >"$work/windows.txt"
received "$work/lb$$.jsonl" >"$work/linux.txt"
if [ -s "$work/windows.txt" ] && diff -u "$work/linux.txt" "$work/windows.txt"; then
    ok "the cards received the same datagrams from both builds ($(grep -c . "$work/windows.txt") distinct)"
else
    fail "the cards received different datagrams from the Windows build"
fi

echo "== ledcardctl.exe from the zip, against the Linux ledcardctl"
(cd "$work" && unzip -q "$zip")
bash "$here/ctl.sh" "$(ls -d "$work"/ledcardcfg-*-win64)" "$lbuild" "$wbuild" || fail "ledcardctl.exe"

echo "== The packed zip with the Windows platform plugin"
bash "$here/gui.sh" "$zip" "$wbuild/screenshots" || fail "the packed zip"

echo "== The installer"
bash "$here/installer.sh" "$setup" "$(ls -d "$work"/ledcardcfg-*-win64)" "$lbuild" || fail "the installer"

echo "== $(($(date +%s) - start)) s"
suite_exit "Windows suite"
