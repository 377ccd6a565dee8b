#!/usr/bin/env bash
# The tool against five simulated cards on this display, with nothing reaching the real
# network: the tool runs in one network namespace, the cards in another, joined by a veth pair
# (tests/testbed/netbed.sh). Firmware 53, 54, 60, 40 and 55; card 3 answers by broadcast,
# card 2's name holds "QZT" and card 4 sends none.
#
#   tests/e2e/demo.sh [BUILD_DIR]     as root, with DISPLAY on a local X server (:N)
#
# The tool keeps its settings in a temporary folder (searching for 5 seconds). Closing the tool
# removes the simulator, the namespaces and that folder, and lists the writes the cards got.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build/default}" 2>/dev/null && pwd)" || build="${1:-}"
tool="$build/src/ledcardcfg"
sim="$build/tools/ledcardsim/ledcardsim"
netbed="$root/tests/testbed/netbed.sh"
name="lcd$$"

need() {
    echo "demo: $*" >&2
    exit 1
}

[ "$(uname -s)" = Linux ] || need "needs Linux: the cards live in a network namespace."
[ "$(id -u)" -eq 0 ] || need "needs root to create network namespaces; run: sudo $0 ${1:-}"
[ -n "${DISPLAY:-}" ] || need "needs a display: set DISPLAY, or run it under xvfb-run -a."
case "$DISPLAY" in
    :* | unix/*) ;;
    *) need "needs a local X server on a Unix socket (DISPLAY=:N): $DISPLAY cannot be reached from inside a network namespace." ;;
esac
command -v ip >/dev/null || need "needs the ip tool (iproute2)."
if [ ! -x "$tool" ] || [ ! -x "$sim" ]; then
    need "needs a build with the tool and the simulator; run ./dev build (looked in '$build')."
fi

work="$(mktemp -d /tmp/ledcardcfg-demo.XXXXXX)"
sim_pid=""
tool_pid=""
# shellcheck disable=SC2317 # run by the trap
cleanup() {
    trap - EXIT INT TERM
    set +e # a step that fails must not stop the rest
    [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null && wait "$tool_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    "$netbed" down "$name" >/dev/null 2>&1 || true
    if [ -s "$work/cards.jsonl" ]; then
        local writes
        writes="$(grep '"event":"write"' "$work/cards.jsonl" || true)"
        echo "demo: the cards got $(printf '%s' "$writes" | grep -c . || true) write(s)${writes:+:}"
        [ -z "$writes" ] || printf '%s\n' "$writes"
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Settings of their own: the tool finds no SysCfg.ini beside a build, so it takes this folder.
mkdir -p "$work/config/ledcardcfg" "$work/runtime"
chmod 700 "$work/runtime"
printf '[Params]\nSearchTimes=5\n' >"$work/config/ledcardcfg/SysCfg.ini"
# The tool binds to the address its host name resolves to: the tool side's, in here.
printf '127.0.0.1 localhost\n192.168.1.10 %s\n' "$(hostname)" >"$work/hosts"

"$netbed" up "$name" >/dev/null

"$netbed" card "$name" "$sim" --cards 5 --versions 53,54,60,40,55 \
    --names 'Lobby,QZT-%1,Stage %1,Hall,Gate %1' --no-name-cards 4 --broadcast-cards 3 \
    --report "$work/cards.jsonl" 2>"$work/cards.err" &
sim_pid=$!
for _ in $(seq 50); do
    grep -q '"event":"ready"' "$work/cards.jsonl" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || need "the simulator did not start: $(cat "$work/cards.err")"
    sleep 0.1
done
grep -q '"event":"ready"' "$work/cards.jsonl" || need "the simulator did not get ready."
echo "demo: five cards at 192.168.1.100-104; the tool at 192.168.1.10. Close the tool to end."

# A mount namespace of the tool's own carries the hosts file; without one, the machine's
# hosts file decides (an address it names that is not in here leaves the tool unbound).
# shellcheck disable=SC2016 # expanded by the inner shell
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    "$netbed" tool "$name" unshare -m --propagation private sh -c \
    'mount --bind "$1" /etc/hosts 2>/dev/null || echo "demo: using the machine hosts file" >&2
     shift; exec "$@"' sh "$work/hosts" "$tool" &
tool_pid=$!
status=0
wait "$tool_pid" || status=$?
tool_pid=""
exit "$status"
