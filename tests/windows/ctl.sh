#!/usr/bin/env bash
# ledcardctl.exe from the packed zip under Wine, and the Linux ledcardctl, each in a test bed of
# its own against the Linux simulator with the same cards: the same exit status, the same
# output and the same datagrams on the wire, for a search, a read by IP and by MAC, a 20-card
# apply with --ip-from where one card ignores the write, and a run refused before sending;
# then Ctrl+C and the console closed halfway through an apply, the settings file beside
# ledcardctl.exe, and Chinese on a console and from the Windows locale. As root.
#
#   tests/windows/ctl.sh APP_DIR LINUX_BUILD WINDOWS_BUILD
set -euo pipefail

app="$(cd "${1:?usage: ctl.sh APP_DIR LINUX_BUILD WINDOWS_BUILD}" && pwd)"
LEDCFG_LINUX_BUILD="$(realpath --relative-to="$(cd "$(dirname "$0")/../.." && pwd)" "${2:?}")"
console_event="$(cd "${3:?}" && pwd)/tests/platform/console_event.exe"
# shellcheck source=tests/windows/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_begin winctl
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
bus_start
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
bed="wc$$"
bed_up "$bed"
prefix_new "$work/prefix" "$bed"
export WINEPREFIX="$work/prefix"
lctl="$suite_root/$LEDCFG_LINUX_BUILD/src/ctl/ledcardctl"
wine=/usr/lib/wine/wine64
mkdir -p "$work/linux-config"

mac() { printf '00:1A:2B:00:00:%02X' "$1"; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# ctl SIDE OUT ARGS...: one run of ledcardctl on the tool side; OUT.out, OUT.err, OUT.status.
ctl() {
    local side="$1" out="$2" rc=0
    shift 2
    if [ "$side" = windows ]; then
        in_tool "$bed" /usr/lib/wine/wine64 "$app/ledcardctl.exe" "$@" >"$out.out" 2>"$out.err" || rc=$?
    else
        in_tool "$bed" env XDG_CONFIG_HOME="$work/linux-config" "$lctl" "$@" \
            >"$out.out" 2>"$out.err" || rc=$?
    fi
    echo "$rc" >"$out.status"
}

# What the cards received after the simulator was ready: the kind, the address and the bytes
# of each request, in order.
wire() {
    python3 - "$1" <<'PY'
import json, sys
for line in open(sys.argv[1], encoding="utf-8"):
    e = json.loads(line)
    if e.get("event") == "request":
        print(e["kind"], e["to"], e["bytes"])
PY
}

# The same, each card's write with the card, sorted: cards written side by side finish in any
# order.
writes() {
    python3 - "$1" <<'PY'
import json, sys
out = []
for line in open(sys.argv[1], encoding="utf-8"):
    e = json.loads(line)
    if e.get("event") == "write":
        out.append(f'{e["card"]:3} {e["kind"]} applied={e["applied"]} {e["bytes"]}')
print("\n".join(sorted(out)))
PY
}

# scenario NAME SIM_ARGS -- CTL_ARGS: the same run on both builds, in a fresh simulator each.
scenario() {
    local name="$1" side sim_args=() args
    shift
    while [ "$1" != -- ]; do sim_args+=("$1"); shift; done
    shift
    for side in windows linux; do
        sim_start "$bed" "$work/$name.$side.jsonl" --first-ip 192.168.1.100 "${sim_args[@]}"
        args=("$@")
        ctl "$side" "$work/$name.$side" "${args[@]}" --local 192.168.1.10
        sleep 0.3 # anything still on its way has arrived
        sim_stop
    done
}

# same NAME WHAT: the file WHAT of both builds' run NAME is the same, byte for byte.
same() {
    if cmp -s "$work/$1.linux.$2" "$work/$1.windows.$2"; then
        ok "$1: the same $2 from both builds ($(wc -c <"$work/$1.windows.$2") bytes)"
    else
        fail "$1: the $2 differ"
        diff <(cat -A "$work/$1.linux.$2") <(cat -A "$work/$1.windows.$2") | head -20
    fi
}

same_wire() { # NAME FILTER
    "$2" "$work/$1.linux.jsonl" >"$work/$1.linux.wire"
    "$2" "$work/$1.windows.jsonl" >"$work/$1.windows.wire"
    if [ -s "$work/$1.windows.wire" ] && cmp -s "$work/$1.linux.wire" "$work/$1.windows.wire"; then
        ok "$1: the cards received the same datagrams from both ($(grep -c . "$work/$1.windows.wire"))"
    else
        fail "$1: the cards received different datagrams"
        diff "$work/$1.linux.wire" "$work/$1.windows.wire" | head -20
    fi
}

status_is() { # NAME WANT
    local side got
    for side in windows linux; do
        got="$(cat "$work/$1.$side.status")"
        if [ "$got" = "$2" ]; then
            ok "$1: $side exit status $got"
        else
            fail "$1: $side exit status $got, not $2: $(head -c 300 "$work/$1.$side.err")"
        fi
    done
}

echo "== search"
scenario search --cards 5 --broadcast-cards 3 --versions 53,54,60,40,55 -- search --times 3 --format json
status_is search 0
same search out
same_wire search wire
scenario search-table --cards 3 -- search --times 2 --lang zh_CN
status_is search-table 0
same search-table out
grep -q '192.168.1.102' "$work/search-table.windows.out" || fail "search-table: the third card is missing"

echo "== read by IP and by MAC"
scenario read-ip --cards 2 --versions 53,60 -- read 192.168.1.100 --format json
status_is read-ip 0
same read-ip out
same_wire read-ip wire
scenario read-mac --cards 2 --versions 53,60 -- read "$(mac 2)" --lang zh_TW
status_is read-mac 0
same read-mac out
same_wire read-mac wire
grep -q '^readByMac 255.255.255.255 A1 44 06 00 1A 2B 00 00 02 FF$' "$work/read-mac.windows.wire" ||
    fail "read-mac: no read by MAC on the wire"

echo "== apply to 20 cards with --ip-from, card 7 ignoring the write"
profile="$work/wall.json"
printf '%s' '{"format": "ledcardctl-profile", "version": 1, "parameters": {"display.width": 192, "network.mask": "255.255.255.0", "network.gateway": "192.168.1.1"}}' >"$profile"
to="$(for k in $(seq 20); do mac "$k"; echo; done | paste -sd,)"
sim_args=(--cards 20 --versions 60,60,60,60,53 --ignore-writes 7)
for side in windows linux; do
    sim_start "$bed" "$work/apply.$side.jsonl" --first-ip 192.168.1.100 "${sim_args[@]}"
    file="$profile"
    [ "$side" = windows ] && file="$(winpath "$profile")"
    ctl "$side" "$work/apply.$side" apply "$file" --to "$to" --ip-from 192.168.1.150 --format json \
        --local 192.168.1.10
    sleep 0.3
    sim_stop
done
status_is apply 3
for side in windows linux; do sort "$work/apply.$side.out" >"$work/apply.$side.sorted"; done
same apply sorted
same_wire apply writes
python3 - "$work/apply.windows.out" <<'PY' || fail "apply: the outcomes"
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
assert len(lines) == 20, len(lines)
for l in lines:
    k = int(l["mac"][-2:], 16)
    want = "not-confirmed" if k == 7 else "confirmed"
    assert l["outcome"] == want, (k, l)
    assert l["written"] is True, l
    assert l["newIp"] == f"192.168.1.{149 + k}", l
PY
[ "$(writes "$work/apply.windows.jsonl" | grep -c .)" = 20 ] || fail "apply: not 20 writes"
ok "apply: 19 confirmed, card 7 not confirmed, each at its new address"

echo "== a run refused before sending"
for side in windows linux; do
    sim_start "$bed" "$work/refused.$side.jsonl" --first-ip 192.168.1.100 --cards 20
    file="$profile"
    [ "$side" = windows ] && file="$(winpath "$profile")"
    # 20 addresses from .240 reach the subnet's broadcast address.
    ctl "$side" "$work/refused.$side" apply "$file" --to "$to" --ip-from 192.168.1.240 --local 192.168.1.10
    sleep 0.5
    sim_stop
done
status_is refused 2
same refused err
for side in windows linux; do
    if [ -z "$(wire "$work/refused.$side.jsonl")" ]; then
        ok "refused: $side sent nothing"
    else
        fail "refused: $side sent $(wire "$work/refused.$side.jsonl" | head -3)"
    fi
done

echo "== Ctrl+C halfway through an apply, and the console closed"
to12="$(for k in $(seq 12); do mac "$k"; echo; done | paste -sd,)"
# interrupted NAME SIDE HOW: an apply to 12 slow cards one at a time, stopped once two are
# written: by Ctrl+C (SIGINT, which Wine hands to the program as the console's Ctrl+C) or by
# the console's close event.
interrupted() {
    local name="$1" side="$2" how="$3" report="$work/$1.$2.jsonl" file="$profile" runner pid p
    sim_start "$bed" "$report" --first-ip 192.168.1.100 --cards 12 --delay-ms 150
    [ "$side" = windows ] && file="$(winpath "$profile")"
    ctl "$side" "$work/$name.$side" apply "$file" --to "$to12" --parallel 1 --format json \
        --local 192.168.1.10 &
    runner=$!
    for _ in $(seq 400); do
        [ "$(grep -c '"event":"write"' "$report")" -ge 2 ] && break
        sleep 0.05
    done
    if [ "$how" = close ]; then
        in_tool "$bed" "$wine" "$console_event" ledcardctl.exe close || fail "$name: no close event delivered"
    else
        # The program itself, found by its name among the processes of the bed's tool side.
        pid=""
        for p in $(ip netns pids "$bed-tool"); do
            if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q 'ledcardctl'; then pid="$p"; fi
        done
        if [ -n "$pid" ]; then kill -INT "$pid"; else fail "$name: $side: no ledcardctl process"; fi
    fi
    wait "$runner" || true
    sleep 0.5
    sim_stop
    if python3 - "$work/$name.$side.out" "$report" <<'PY'; then
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
received = {json.loads(l)["card"] for l in open(sys.argv[2], encoding="utf-8")
            if json.loads(l).get("event") == "write"}
reported = {int(l["mac"][-2:], 16) for l in lines if l["written"]}
assert len(lines) == 12, len(lines)
assert all(l["outcome"] == ("not-confirmed" if l["written"] else "cancelled") for l in lines), lines
assert reported == received, (reported, received)
# Every card is read before any is written, and then the writes leave within milliseconds:
# the Ctrl+C lands in the waits, after some or all of the writes.
assert 1 <= len(received) <= 12, received
PY
        ok "$name: $side reported exactly the cards written ($(grep -c '"written":true' "$work/$name.$side.out") of 12)"
    else
        fail "$name: $side"
    fi
    if grep -q '^Stopped by Ctrl+C: [0-9]* of 12 cards written, the others not written.$' "$work/$name.$side.err"; then
        ok "$name: $side says where it stopped"
    else
        fail "$name: $side: no stop line: $(head -c 300 "$work/$name.$side.err")"
    fi
}
interrupted ctrlc windows int
interrupted ctrlc linux int
status_is ctrlc 130
interrupted close windows close
got="$(cat "$work/close.windows.status")"
[ "$got" = 130 ] && ok "close: windows exit status 130" || fail "close: windows exit status $got"

echo "== the settings file beside ledcardctl.exe"
printf '[Params]\r\nSearchTimes=4\r\n' >"$app/SysCfg.ini"
sim_start "$bed" "$work/settings.jsonl" --first-ip 192.168.1.100 --cards 2
ctl windows "$work/settings" search --format json --local 192.168.1.10
sleep 0.3
sim_stop
rm -f "$app/SysCfg.ini"
searches="$(wire "$work/settings.jsonl" | grep -c '^search ' || true)"
# SearchTimes=4: a request at 1.2, 2.4 and 3.6 s, as the window sends them.
[ "$searches" = 3 ] && ok "settings: SearchTimes=4 from SysCfg.ini beside the exe: 3 requests" ||
    fail "settings: $searches search requests, not 3"

echo "== Chinese on a console"
# A terminal of its own: Wine gives the program a console on it, written with wide characters.
in_tool "$bed" script -qec "/usr/lib/wine/wine64 '$app/ledcardctl.exe' --lang zh_CN --help" /dev/null \
    >"$work/console.txt" 2>&1 || true
if grep -q '退出状态：0 全部已确认' "$work/console.txt"; then
    ok "console: the simplified-Chinese help shows as written"
else
    fail "console: $(head -c 300 "$work/console.txt" | cat -A)"
fi
# No LANG, LC_ALL or LC_MESSAGES in the program's environment: the user's Windows locale decides.
# Wine takes the locale of its processes from LC_ALL; cmd takes the variables away again.
in_tool "$bed" env -u LANG LC_ALL=zh_TW.UTF-8 /usr/lib/wine/wine64 cmd /c \
    "set LC_ALL=&& set LC_MESSAGES=&& set LANG=&& $(winpath "$app/ledcardctl.exe") --help" \
    >"$work/locale.txt" 2>&1 || true
if grep -q '退出狀態：0 全部已確認' "$work/locale.txt"; then
    ok "locale: without the variables, the user's locale (zh-TW) picks traditional Chinese"
else
    fail "locale: $(head -c 300 "$work/locale.txt")"
fi

suite_end || failures=$((failures + 1))
echo "ledcardctl.exe: $([ $failures -eq 0 ] && echo passed || echo "$failures FAILED")"
exit $((failures > 0))
