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
bus_start
export LANG=C.UTF-8
unset LC_ALL LC_MESSAGES
bed="wc$$"
bed_up "$bed"
prefix_new "$work/prefix" "$bed"
export WINEPREFIX="$work/prefix"
lctl="$suite_root/$LEDCFG_LINUX_BUILD/src/ctl/ledcardctl"
mkdir -p "$work/linux-config"

mac() { printf '00:1A:2B:00:00:%02X' "$1"; }
macs() { for k in $(seq "$1"); do mac "$k"; echo; done | paste -sd,; }
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# ctl SIDE OUT ARGS...: one run of ledcardctl on the tool side; OUT.out, OUT.err, OUT.status.
# ledcardctl.exe is given the files of the work folder as Windows names them.
ctl() {
    local side="$1" out="$2" rc=0 a args=()
    shift 2
    if [ "$side" = windows ]; then
        for a in "$@"; do
            [[ "$a" == "$work"/* ]] && a="$(winpath "$a")"
            args+=("$a")
        done
        in_tool "$bed" "$wine" "$app/ledcardctl.exe" "${args[@]}" >"$out.out" 2>"$out.err" || rc=$?
    else
        in_tool "$bed" env XDG_CONFIG_HOME="$work/linux-config" "$lctl" "$@" \
            >"$out.out" 2>"$out.err" || rc=$?
    fi
    echo "$rc" >"$out.status"
}

# view RUN KIND: what is compared of a run. out, err: what it printed; sorted: its output's
# lines sorted (cards written side by side finish in any order); wire: what the cards received
# after the simulator was ready, the kind, the address and the bytes of each request, in order;
# writes: each card's write with the card, sorted.
view() {
    case "$2" in
    out | err) cat "$work/$1.$2" ;;
    sorted) sort "$work/$1.out" ;;
    *) python3 - "$2" "$work/$1.jsonl" <<'PY' ;;
import json, sys
kind, lines = sys.argv[1], []
for e in map(json.loads, open(sys.argv[2], encoding="utf-8")):
    if kind == "wire" and e.get("event") == "request":
        lines.append(f'{e["kind"]} {e["to"]} {e["bytes"]}')
    elif kind == "writes" and e.get("event") == "write":
        lines.append(f'{e["card"]:3} {e["kind"]} applied={e["applied"]} {e["bytes"]}')
sys.stdout.write("".join(l + "\n" for l in (sorted(lines) if kind == "writes" else lines)))
PY
    esac
}

# scenario NAME STATUS VIEWS SIM_ARGS -- CTL_ARGS: the same run on both builds, each against a
# fresh simulator: both end with STATUS, and each of VIEWS is the same from both, byte for byte.
scenario() {
    local name="$1" want="$2" views="$3" side sim_args=() got v
    shift 3
    while [ "$1" != -- ]; do sim_args+=("$1"); shift; done
    shift
    for side in windows linux; do
        sim_start "$bed" "$work/$name.$side.jsonl" --first-ip 192.168.1.100 "${sim_args[@]}"
        ctl "$side" "$work/$name.$side" "$@" --local 192.168.1.10
        sleep 0.5 # anything still on its way has arrived
        sim_stop
        got="$(cat "$work/$name.$side.status")"
        if [ "$got" = "$want" ]; then
            ok "$name: $side exit status $got"
        else
            fail "$name: $side exit status $got, not $want: $(head -c 300 "$work/$name.$side.err")"
        fi
    done
    for v in $views; do
        for side in windows linux; do view "$name.$side" "$v" >"$work/$name.$side.view-$v"; done
        if [ -s "$work/$name.windows.view-$v" ] &&
            cmp -s "$work/$name.linux.view-$v" "$work/$name.windows.view-$v"; then
            ok "$name: the same $v from both builds ($(grep -c . "$work/$name.windows.view-$v") lines)"
        else
            fail "$name: the $v differ"
            diff <(cat -A "$work/$name.linux.view-$v") <(cat -A "$work/$name.windows.view-$v") | head -20 || true
        fi
    done
}

echo "== search, read by IP and by MAC"
#        NAME        STATUS VIEWS  SIMULATOR -- LEDCARDCTL
scenario search       0 "out wire" --cards 5 --broadcast-cards 3 --versions 53,54,60,40,55 -- \
    search --times 3 --format json
scenario search-table 0 out --cards 3 -- search --times 2 --lang zh_CN
scenario read-ip      0 "out wire" --cards 2 --versions 53,60 -- read 192.168.1.100 --format json
scenario read-mac     0 "out wire" --cards 2 --versions 53,60 -- read "$(mac 2)" --lang zh_TW
grep -q '192.168.1.102' "$work/search-table.windows.out" || fail "search-table: the third card is missing"
grep -q '^readByMac 255.255.255.255 A1 44 06 00 1A 2B 00 00 02 FF$' "$work/read-mac.windows.view-wire" ||
    fail "read-mac: no read by MAC on the wire"

echo "== apply to 20 cards with --ip-from, card 7 ignoring the write; a run refused before sending"
profile="$work/wall.json"
printf '%s' '{"format": "ledcardctl-profile", "version": 1, "parameters": {"display.width": 192, "network.mask": "255.255.255.0", "network.gateway": "192.168.1.1"}}' >"$profile"
scenario apply 3 "sorted writes" --cards 20 --versions 60,60,60,60,53 --ignore-writes 7 -- \
    apply "$profile" --to "$(macs 20)" --ip-from 192.168.1.150 --format json
if python3 - "$work/apply.windows.out" "$work/apply.windows.jsonl" <<'PY'; then
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
assert len(lines) == 20, len(lines)
for l in lines:
    k = int(l["mac"][-2:], 16)
    want = ("not-confirmed" if k == 7 else "confirmed", True, f"192.168.1.{149 + k}")
    assert (l["outcome"], l["written"], l["newIp"]) == want, (k, l)
writes = [e for e in map(json.loads, open(sys.argv[2], encoding="utf-8")) if e.get("event") == "write"]
assert len(writes) == 20, len(writes)
PY
    ok "apply: 19 confirmed, card 7 not confirmed, each at its new address, 20 writes received"
else
    fail "apply: the outcomes"
fi
# 20 addresses from .240 reach the subnet's broadcast address.
scenario refused 2 err --cards 20 -- apply "$profile" --to "$(macs 20)" --ip-from 192.168.1.240
for side in windows linux; do
    sent="$(view "refused.$side" wire)"
    [ -z "$sent" ] && ok "refused: $side sent nothing" || fail "refused: $side sent $(head -3 <<<"$sent")"
done

echo "== Ctrl+C halfway through an apply, and the console closed"
# interrupted SIDE HOW WHEN: an apply to 12 slow cards one at a time, stopped by Ctrl+C (SIGINT,
# which Wine hands to the program as the console's Ctrl+C) or by the console's close event,
# WHEN two cards are read (reading: nothing may be written then) or two are written (waiting:
# the writes have left, their confirmations not yet). It ends with exit status 130 and reports
# exactly the cards the simulator saw written.
interrupted() {
    local side="$1" how="$2" when="$3" name="$2.$3.$1" runner pid="" p mark='"event":"write"'
    local report="$work/$name.jsonl"
    [ "$when" = reading ] && mark='"kind":"read'
    sim_start "$bed" "$report" --first-ip 192.168.1.100 --cards 12 --delay-ms 150
    ctl "$side" "$work/$name" apply "$profile" --to "$(macs 12)" --parallel 1 --format json \
        --local 192.168.1.10 &
    runner=$!
    for _ in $(seq 400); do
        [ "$(grep -c "$mark" "$report")" -ge 2 ] && break
        sleep 0.05
    done
    if [ "$how" = close ]; then
        in_tool "$bed" "$wine" "$console_event" ledcardctl.exe || fail "$name: no close event delivered"
    else
        # The program itself, found by its name among the processes of the bed's tool side.
        for p in $(ip netns pids "$bed-tool"); do
            if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q ledcardctl; then pid="$p"; fi
        done
        if [ -n "$pid" ]; then kill -INT "$pid"; else fail "$name: no ledcardctl process"; fi
    fi
    wait "$runner" || true
    sleep 0.5
    sim_stop
    if python3 - "$work/$name.out" "$report" "$when" <<'PY'; then
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1], encoding="utf-8") if l.strip()]
received = {json.loads(l)["card"] for l in open(sys.argv[2], encoding="utf-8")
            if json.loads(l).get("event") == "write"}
reported = {int(l["mac"][-2:], 16) for l in lines if l["written"]}
assert len(lines) == 12, len(lines)
assert all(l["outcome"] == ("not-confirmed" if l["written"] else "cancelled") for l in lines), lines
assert reported == received, (reported, received)
# Every card is read before any is written, and then the writes leave within milliseconds.
if sys.argv[3] == "reading":
    assert not received, received
else:
    assert 1 <= len(received) <= 12, received
PY
        ok "$name: reported exactly the cards written ($(grep -c '"written":true' "$work/$name.out") of 12)"
    else
        fail "$name: the cards reported"
    fi
    [ "$(cat "$work/$name.status")" = 130 ] && ok "$name: exit status 130" ||
        fail "$name: exit status $(cat "$work/$name.status")"
    if grep -q '^Stopped by Ctrl+C: [0-9]* of 12 cards written, the others not written.$' "$work/$name.err"; then
        ok "$name: says where it stopped"
    else
        fail "$name: no stop line: $(head -c 300 "$work/$name.err")"
    fi
}
for when in reading waiting; do
    interrupted windows ctrlc "$when"
    interrupted linux ctrlc "$when"
done
interrupted windows close waiting

echo "== the settings file beside ledcardctl.exe"
printf '[Params]\r\nSearchTimes=4\r\n' >"$app/SysCfg.ini"
sim_start "$bed" "$work/settings.jsonl" --first-ip 192.168.1.100 --cards 2
ctl windows "$work/settings" search --format json --local 192.168.1.10
sleep 0.3
sim_stop
rm -f "$app/SysCfg.ini"
searches="$(view settings wire | grep -c '^search ' || true)"
# SearchTimes=4: a request at 1.2, 2.4 and 3.6 s, as the window sends them.
[ "$searches" = 3 ] && ok "settings: SearchTimes=4 from SysCfg.ini beside the exe: 3 requests" ||
    fail "settings: $searches search requests, not 3"

echo "== Chinese on a console"
# A terminal of its own: Wine gives the program a console on it, written with wide characters.
in_tool "$bed" script -qec "$wine '$app/ledcardctl.exe' --lang zh_CN --help" /dev/null \
    >"$work/console.txt" 2>&1 || true
if grep -q '退出状态：0 全部已确认' "$work/console.txt"; then
    ok "console: the simplified-Chinese help shows as written"
else
    fail "console: $(head -c 300 "$work/console.txt" | cat -A)"
fi
# No LANG, LC_ALL or LC_MESSAGES in the program's environment: the user's Windows locale decides.
# Wine takes the locale of its processes from LC_ALL; cmd takes the variables away again.
in_tool "$bed" env -u LANG LC_ALL=zh_TW.UTF-8 "$wine" cmd /c \
    "set LC_ALL=&& set LC_MESSAGES=&& set LANG=&& $(winpath "$app/ledcardctl.exe") --help" \
    >"$work/locale.txt" 2>&1 || true
if grep -q '退出狀態：0 全部已確認' "$work/locale.txt"; then
    ok "locale: without the variables, the user's locale (zh-TW) picks traditional Chinese"
else
    fail "locale: $(head -c 300 "$work/locale.txt")"
fi

suite_exit ledcardctl.exe
