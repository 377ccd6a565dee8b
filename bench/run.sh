#!/usr/bin/env bash
# Every performance figure of the tool in one table: the benchmarks of the protocol core and of
# the window, a wall of cards answering one search in the namespace test bed, the window's own
# steps in front of a wall of 200 (search, the several-cards dialog, writing), ledcardctl
# writing and searching a wall there, and start-up time and memory against a minimal Qt program.
#
#   bench/run.sh BENCH_BUILD TEST_BUILD [PART...]
#
# BENCH_BUILD is an optimised build with LEDCFG_BENCH=ON (the tool, the benchmarks, the
# start-up helpers); TEST_BUILD has the fleet tests. The raw figures stay in BENCH_BUILD/results.
# PARTs (benchmarks, fleet, window, ctl, startup) run those alone, keeping the other parts' last
# figures; without any, everything runs afresh.
#
# Nothing here reaches the network: the fleet runs in namespaces of its own, and the programs
# being timed start in an empty network namespace, reaching the X server through its socket.
#
# LEDCFG_BENCH_STARTUP_RUNS (default 12) sets the runs of each program.
set -euo pipefail

BENCH_BUILD="$(cd "$1" && pwd)"
TEST_BUILD="$(cd "$2" && pwd)"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
OUT="$BENCH_BUILD/results"
RUNS="${LEDCFG_BENCH_STARTUP_RUNS:-12}"
shift 2
PARTS=("$@")
mkdir -p "$OUT"
if [ ${#PARTS[@]} -eq 0 ]; then
    PARTS=(benchmarks fleet window ctl startup)
    rm -f "$OUT"/*.json "$OUT"/*.jsonl
fi

say() { printf '%s\n' "$*" >&2; }

# In a network namespace of its own with only loopback; unprivileged where user namespaces
# allow it.
isolated() {
    if [ "$(id -u)" -eq 0 ]; then
        unshare -n -- bash -c 'ip link set lo up && exec "$@"' isolated "$@"
    else
        unshare -rn -- bash -c 'ip link set lo up 2>/dev/null; exec "$@"' isolated "$@"
    fi
}

benchmarks() {
    say "bench: protocol core"
    "$BENCH_BUILD/bench/protocol_bench" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=json \
        --benchmark_out="$OUT/protocol_bench.json" --benchmark_out_format=json >/dev/null
    say "bench: window"
    # The window talks to a fake endpoint, but it is the whole program: no network for it.
    isolated env QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.warning=false' \
        "$BENCH_BUILD/bench/ui_bench" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true --benchmark_format=json \
        --benchmark_out="$OUT/ui_bench.json" --benchmark_out_format=json >/dev/null 2>&1
}

# in_bed NAME WHAT PROGRAM VAR=VALUE...: a bed test program with its sizes in the environment,
# in a namespace of its own with only loopback (it makes its bed inside); its output goes to
# $OUT/NAME.log, shown when it fails.
in_bed() {
    local name="$1" what="$2" program="$3"
    shift 3
    if [ "$(id -u)" -ne 0 ]; then
        say "bench: $what skipped: the namespace test bed needs root"
        return 0
    fi
    say "bench: $what"
    if ! unshare -n -- bash -c 'ip link set lo up && exec "$@"' "$name" env \
        QT_QPA_PLATFORM=offscreen "$@" "$TEST_BUILD/$program" >"$OUT/$name.log" 2>&1; then
        tail -30 "$OUT/$name.log" >&2
        say "bench: $what FAILED (log: $OUT/$name.log)"
    fi
}

fleet() {
    in_bed "fleet-$1" "fleet of $1 cards, SearchTimes $2" tests/e2e/e2e_wall_tests \
        LEDCFG_FLEET_CARDS="$1" LEDCFG_FLEET_SEARCH_TIMES="$2" LEDCFG_FLEET_REPORT="$OUT/fleet-$1.json"
}

# The window in front of a wall of CARDS: the search, the several-cards dialog opened from the
# menu, a block chosen by filter and Ctrl+A and written, then every card.
window_wall() {
    in_bed window "the window in front of $1 cards" tests/e2e/e2e_wall_window_tests \
        LEDCFG_WINDOW_CARDS="$1" LEDCFG_WINDOW_REPORT="$OUT/window.json"
}

# ledcardctl against simulated walls: apply to 10 and CARDS cards with sequential addresses, as
# an operator runs it (a search first, the checks, a backup and journal lines for every card),
# and one search of SEARCH_CARDS cards; the figures come from the program's --timing output.
ctl_fleet() {
    in_bed ctl "ledcardctl apply to $1 cards, search of $2" tests/ctl/ctl_scale_netns_tests \
        LEDCFG_CTL_APPLY_CARDS="$1" LEDCFG_CTL_SEARCH_CARDS="$2" LEDCFG_CTL_BENCH_REPORT="$OUT/ctl.json"
}

startup() {
    local display xvfb_pid settings
    say "bench: start-up, $RUNS runs of each program, alternating"
    exec 3< <(Xvfb -displayfd 1 -br -nolisten tcp -screen 0 1280x1024x24 2>"$OUT/xvfb.log")
    xvfb_pid=$!
    read -r -t 20 display <&3 || {
        say "bench: Xvfb did not start"
        return 1
    }
    settings="$(mktemp -d)"
    mkdir -p "$settings/config" "$settings/runtime"
    chmod 700 "$settings/runtime"
    # One settings folder for all runs: the first run writes SysCfg.ini, the rest read it.
    # A simplified-Chinese user locale, the operator's usual one: the tool starts in Chinese.
    local run prog
    for ((run = 0; run <= RUNS; run++)); do
        for prog in baseline tool; do
            local exe="$BENCH_BUILD/bench/startup_baseline"
            [ "$prog" = tool ] && exe="$BENCH_BUILD/src/ledcardcfg"
            local line
            line="$(isolated env LANG=zh_CN.UTF-8 DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
                XDG_CONFIG_HOME="$settings/config" XDG_RUNTIME_DIR="$settings/runtime" \
                "$BENCH_BUILD/bench/startup_probe" -- "$exe")" || {
                say "bench: $prog did not start and close cleanly"
                continue
            }
            # Run 0 of each warms the caches and writes the settings; it is not counted.
            [ "$run" -gt 0 ] && printf '{"prog":"%s","run":%d,"probe":%s}\n' \
                "$prog" "$run" "$line" >>"$OUT/startup.jsonl"
        done
    done
    for ((run = 0; run < 5; run++)); do
        isolated env LANG=zh_CN.UTF-8 DISPLAY=":$display" QT_QPA_PLATFORM=xcb \
            XDG_CONFIG_HOME="$settings/config" XDG_RUNTIME_DIR="$settings/runtime" \
            "$BENCH_BUILD/bench/startup_profile" >>"$OUT/startup-profile.jsonl" 2>/dev/null || true
    done
    kill "$xvfb_pid" 2>/dev/null || true
    exec 3<&-
    rm -rf "$settings"
}

for part in "${PARTS[@]}"; do
    case "$part" in
        benchmarks) benchmarks ;;
        fleet)
            rm -f "$OUT"/fleet-*.json
            fleet 300 3
            fleet 2000 20
            ;;
        window)
            rm -f "$OUT/window.json"
            window_wall 200
            ;;
        ctl)
            rm -f "$OUT/ctl.json"
            ctl_fleet 1000 2000
            ;;
        startup)
            rm -f "$OUT"/startup*.jsonl
            startup
            ;;
        *)
            say "bench: no part $part (benchmarks, fleet, window, ctl, startup)"
            exit 2
            ;;
    esac
done
python3 "$HERE/report.py" "$OUT"
