#!/usr/bin/env bash
# ./dev demo: the tool on the tool side of a fresh test bed, a dozen simulated cards on the
# other side, nothing connected to the real network. Needs root and a display.
set -euo pipefail

build="${1:?usage: demo.sh BUILD_DIR}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
tool="$build/src/ledcardcfg"
sim="$build/tools/ledcardsim/ledcardsim"
if [ "$(id -u)" -ne 0 ]; then
    echo "The demo needs root: it creates network namespaces." >&2
    exit 1
fi
for f in "$tool" "$sim"; do
    [ -x "$f" ] || { echo "Not built yet: $f" >&2; exit 1; }
done

name="demo$((RANDOM % 100000))"
report="$(mktemp --suffix=.jsonl)"
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    "$here/netbed.sh" down "$name"
    rm -rf "/etc/netns/$name-tool"
    echo "The cards' report is in $report"
}
trap cleanup EXIT

"$here/netbed.sh" up "$name"
# ip netns exec puts this file over /etc/hosts, so the tool's own host name resolves to its
# address on the test bed.
mkdir -p "/etc/netns/$name-tool"
printf '127.0.0.1 localhost\n192.168.1.10 %s\n' "$(hostname)" >"/etc/netns/$name-tool/hosts"

"$here/netbed.sh" card "$name" "$sim" --cards 12 --versions 53,54,60 \
    --names 'Lobby %1,Stage,QZT-%1,Gate %1' --no-name-cards 5 --broadcast-cards 3,7 \
    --ignore-writes 9 --delay-ms 20 --jitter-ms 80 --report "$report" &
sim_pid=$!
echo "12 cards on 192.168.1.100-111 (cards 3 and 7 answer by broadcast, card 9 ignores writes)."
echo "Follow them with: tail -f $report"
"$here/netbed.sh" tool "$name" "$tool"
