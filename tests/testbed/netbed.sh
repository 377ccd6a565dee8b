#!/usr/bin/env bash
# The test bed by hand, for demos and manual runs: two network namespaces joined by a veth
# pair, with nothing else reachable. Needs root.
#
#   netbed.sh up NAME [TOOL_CIDR CARD_SIDE_CIDR CARD_RANGE...]
#   netbed.sh tool NAME COMMAND...   run a command on the tool side
#   netbed.sh card NAME COMMAND...   run a command on the card side (ledcardsim goes here)
#   netbed.sh down NAME
#
# Defaults: tool 192.168.1.10/24, card side 192.168.1.2/24 owning 192.168.1.64-191.
# Example:
#   netbed.sh up demo
#   netbed.sh card demo build/default/tools/ledcardsim/ledcardsim --cards 12 &
#   netbed.sh tool demo build/default/src/ledcardcfg
#   netbed.sh down demo
set -euo pipefail

usage() {
    sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
}

[ $# -ge 2 ] || usage
cmd="$1"
name="$2"
shift 2
[[ "$name" =~ ^[A-Za-z0-9_]{1,10}$ ]] || { echo "netbed: NAME must be 1-10 letters or digits" >&2; exit 2; }
tool_ns="$name-tool"
card_ns="$name-card"
tool_veth="${name}-t"
card_veth="${name}-c"
tool_mac=02:4c:43:00:00:01
card_mac=02:4c:43:00:00:02

down() {
    ip netns del "$tool_ns" 2>/dev/null || true
    ip netns del "$card_ns" 2>/dev/null || true
    ip link del "$tool_veth" 2>/dev/null || true
}

up() {
    local tool_cidr="${1:-192.168.1.10/24}" card_cidr="${2:-192.168.1.2/24}"
    shift $(($# < 2 ? $# : 2))
    local ranges=("$@")
    [ ${#ranges[@]} -gt 0 ] || ranges=(192.168.1.64/26 192.168.1.128/26)
    trap 'down' ERR
    ip netns add "$tool_ns"
    ip netns add "$card_ns"
    ip link add "$tool_veth" address "$tool_mac" type veth peer name "$card_veth" address "$card_mac"
    ip link set "$tool_veth" netns "$tool_ns"
    ip link set "$card_veth" netns "$card_ns"
    ip -n "$tool_ns" link set lo up
    ip -n "$tool_ns" addr add "$tool_cidr" brd + dev "$tool_veth"
    ip -n "$tool_ns" link set "$tool_veth" up
    ip -n "$tool_ns" route add default dev "$tool_veth"
    ip -n "$card_ns" link set lo up
    ip -n "$card_ns" addr add "$card_cidr" brd + dev "$card_veth"
    ip -n "$card_ns" link set "$card_veth" up
    ip -n "$card_ns" route add default dev "$card_veth"
    # The cards share one neighbour table; knowing the tool's MAC keeps a burst from queueing.
    ip -n "$card_ns" neigh replace "${tool_cidr%/*}" lladdr "$tool_mac" dev "$card_veth" nud permanent
    local r
    for r in "${ranges[@]}"; do
        ip -n "$card_ns" route add local "$r" dev lo table local
    done
    trap - ERR
    echo "tool side: $tool_ns (${tool_cidr}), card side: $card_ns (${card_cidr}; ${ranges[*]})"
}

case "$cmd" in
    up) up "$@" ;;
    down) down ;;
    tool) [ $# -gt 0 ] || usage; exec ip netns exec "$tool_ns" "$@" ;;
    card) [ $# -gt 0 ] || usage; exec ip netns exec "$card_ns" "$@" ;;
    *) usage ;;
esac
