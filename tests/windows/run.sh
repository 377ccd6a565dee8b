#!/usr/bin/env bash
# The Windows build proved under Wine, as root:
#  1. the unit, widget and start-up test programs (.exe) through ctest, in a network namespace
#     with only loopback, on a virtual screen;
#  2. the real window in the test bed against simulated cards (guest_bed_tests.exe: every card
#     listed once, a plain read brings no success message, a write is confirmed), then the
#     Linux build in the same kind of bed, and the datagrams the cards received compared byte
#     for byte;
#  3. the packed zip in a fresh Wine prefix with the real Windows platform plugin
#     (tests/windows/gui.sh).
#
#   tests/windows/run.sh WINDOWS_BUILD QT_PREFIX ZIP LINUX_BUILD
set -euo pipefail

wbuild="$(cd "${1:?usage: run.sh WINDOWS_BUILD QT_PREFIX ZIP LINUX_BUILD}" && pwd)"
LEDCFG_QT_WINDOWS="$(cd "${2:?}" && pwd)"
export LEDCFG_QT_WINDOWS
zip="$(readlink -f "${3:?}")"
lbuild="$(cd "${4:?}" && pwd)"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
netbed="$root/tests/testbed/netbed.sh"
work="$(mktemp -d /tmp/ledcardcfg-wine.XXXXXX)"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0

cleanup() {
    set +e
    for b in wb$$ lb$$; do "$netbed" down "$b" >/dev/null 2>&1; done
    rm -rf "$work"
}
trap cleanup EXIT

[ "$(id -u)" -eq 0 ] || { echo "run.sh: needs root for the network namespaces" >&2; exit 1; }
start=$(date +%s)

echo "== Windows test programs under Wine"
export WINEPREFIX="$work/prefix-unit"
# shellcheck disable=SC2016 # expanded by the inner shell
if ! unshare -n -- bash -c 'ip link set lo up && exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
        ctest --test-dir "$0" -j2 --timeout 300 --output-on-failure -LE guest' "$wbuild"; then
    status=1
fi
wineserver -k 2>/dev/null || true

# bed NAME PROGRAM...: a bed with five cards (card 3 answers by broadcast), the program on its
# tool side with the bed's address for the host name, on a virtual screen; the cards' report
# is left in $work/NAME.jsonl.
bed() {
    local name="$1" sim_pid rc=0
    shift
    "$netbed" up "$name" >/dev/null
    "$netbed" card "$name" "$lbuild/tools/ledcardsim/ledcardsim" --cards 5 --broadcast-cards 3 \
        --versions 53,54,60,40,55 --report "$work/$name.jsonl" 2>"$work/$name.err" &
    sim_pid=$!
    for _ in $(seq 50); do grep -q '"event":"ready"' "$work/$name.jsonl" 2>/dev/null && break; sleep 0.1; done
    printf '127.0.0.1 localhost\n192.168.1.10 %s\n' "$(hostname)" >"$work/hosts"
    # shellcheck disable=SC2016 # expanded by the inner shell
    LEDCFG_BED_TOOL_ADDRESS=192.168.1.10 LEDCFG_BED_CARDS=5 \
        "$netbed" tool "$name" unshare -m --propagation private sh -c \
        'mount --bind "$1" /etc/hosts; shift; exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"' \
        sh "$work/hosts" "$@" || rc=$?
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null || true
    "$netbed" down "$name" >/dev/null 2>&1
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
# Wine does not pass a console program's output through here; the log goes to a file.
if bed "wb$$" "$root/tools/windows/wine-run.sh" "$wbuild/tests/guest/guest_bed_tests.exe" \
    -o "Z:$work/windows-bed.txt,txt" && cat "$work/windows-bed.txt" &&
    grep -q '^Totals: 5 passed, 0 failed, 0 skipped' "$work/windows-bed.txt"; then
    echo "ok: the Windows build searched, read and wrote in the bed"
else
    echo "FAIL: the Windows build in the bed"
    status=1
fi
wineserver -k 2>/dev/null || true
echo "== The Linux window in the same kind of bed"
if bed "lb$$" "$lbuild/tests/guest/guest_bed_tests"; then
    echo "ok: the Linux build searched, read and wrote in the bed"
else
    echo "FAIL: the Linux build in the bed"
    status=1
fi
received "$work/wb$$.jsonl" >"$work/windows.txt"
received "$work/lb$$.jsonl" >"$work/linux.txt"
if [ -s "$work/windows.txt" ] && diff -u "$work/linux.txt" "$work/windows.txt"; then
    echo "ok: the cards received the same datagrams from both builds ($(grep -c . "$work/windows.txt") distinct)"
else
    echo "FAIL: the cards received different datagrams from the Windows build"
    status=1
fi

echo "== The packed zip with the Windows platform plugin"
bash "$root/tests/windows/gui.sh" "$zip" "$wbuild/screenshots" || status=1

echo "Windows suite: $([ $status -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - start)) s"
exit $status
