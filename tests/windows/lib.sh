# shellcheck shell=bash
# What the Windows suites share: a work folder, the test beds, virtual screens, a D-Bus session
# bus of their own and Wine prefixes, each ended by the suite that started it, on success,
# failure or interruption alike. Sourced; sets an EXIT trap (and INT, TERM, HUP).
#
#   suite_begin NAME         work folder in $work, traps set
#   bed_up NAME              a test bed (tests/testbed/netbed.sh), taken down at the end
#   bed_down NAME            ends what runs in the bed and takes it down now
#   in_tool NAME CMD...      CMD on the bed's tool side, with the bed's address for the host name
#   in_card NAME CMD...      CMD on the bed's card side
#   sim_start NAME REPORT ARGS...   the Linux simulator on the card side; waits until it is ready
#   screen_start             an Xvfb of its own; exports DISPLAY
#   bus_start                a D-Bus session bus of its own; exports DBUS_SESSION_BUS_ADDRESS
#   prefix_new DIR           a fresh Wine prefix in DIR (made in the bed NAME if given second)
#   window REGEX             waits for a visible window whose title matches; prints its id
#   second_copy_refused CMD...   CMD starts a second copy while the window runs: its message box
#                            is answered, it ends, and the first copy stays
#   ok TEXT, fail TEXT       a result; fail counts into $failures
#   suite_exit LABEL         ends everything now, says how the suite went, and exits with it
#                            (suite_end alone fails when a process of the suite outlived it)

suite_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
netbed="$suite_root/tests/testbed/netbed.sh"
suite_beds=()
suite_pids=()
suite_prefixes=()
suite_ended=0
failures=0
wine=/usr/lib/wine/wine64
# No Mono or Gecko prompts, and no menu entries or file associations written into this
# machine's desktop for the programs Wine installs.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

ok() { echo "ok: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

suite_begin() {
    work="$(mktemp -d "/tmp/ledcardcfg-$1.XXXXXX")"
    trap 'suite_end; exit 130' INT
    trap 'suite_end; exit 143' TERM HUP
    trap 'suite_end' EXIT
}

bed_up() {
    "$netbed" up "$1" >/dev/null
    suite_beds+=("$1")
    printf '127.0.0.1 localhost\n192.168.1.10 %s\n' "$(hostname)" >"$work/hosts"
}

bed_pids() { ip netns pids "$1-tool" 2>/dev/null; ip netns pids "$1-card" 2>/dev/null; }

# Wine first, by its own server: its processes do not all end on SIGTERM, and a namespace taken
# down while they run is kept alive by them.
wine_end() {
    local p
    for p in "${suite_prefixes[@]}"; do
        WINEPREFIX="$p" wineserver -k 2>/dev/null || true
    done
}

bed_down() {
    wine_end
    # shellcheck disable=SC2046 # one pid a word
    kill $(bed_pids "$1") 2>/dev/null || true
    sleep 0.3
    # shellcheck disable=SC2046
    kill -9 $(bed_pids "$1") 2>/dev/null || true
    "$netbed" down "$1" >/dev/null 2>&1
}

# The tool side sees the bed's address for this machine's name, as a site laptop sees its own.
in_tool() {
    local name="$1"
    shift
    # shellcheck disable=SC2016 # expanded by the inner shell
    "$netbed" tool "$name" unshare -m --propagation private sh -c \
        'mount --bind "$1" /etc/hosts; shift; exec "$@"' sh "$work/hosts" "$@"
}

in_card() {
    local name="$1"
    shift
    "$netbed" card "$name" "$@"
}

# The simulator's own pid: `ip netns exec` replaces itself with the program.
sim_start() {
    local name="$1" report="$2"
    shift 2
    : >"$report"
    ip netns exec "$name-card" "$suite_root/$LEDCFG_LINUX_BUILD/tools/ledcardsim/ledcardsim" \
        --report "$report" "$@" 2>"$report.err" &
    sim_pid=$!
    suite_pids+=("$sim_pid")
    for _ in $(seq 100); do
        grep -q '"event":"ready"' "$report" 2>/dev/null && return 0
        sleep 0.05
    done
    echo "the simulator did not start: $(cat "$report.err")" >&2
    return 1
}

sim_stop() {
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null || true
}

screen_start() {
    local fd_file="$work/display.$RANDOM"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    suite_pids+=($!)
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    DISPLAY=":$(head -1 "$fd_file")"
    export DISPLAY
}

# Without a bus of its own a Qt program may start one through the X display (autolaunch), and
# that one outlives everything.
bus_start() {
    local out
    command -v dbus-daemon >/dev/null || { export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"; return 0; }
    out="$(dbus-daemon --session --fork --print-pid=1 --print-address=1 \
        --address="unix:path=$work/bus")"
    DBUS_SESSION_BUS_ADDRESS="$(sed -n 1p <<<"$out")"
    suite_pids+=("$(sed -n 2p <<<"$out")")
    export DBUS_SESSION_BUS_ADDRESS
}

window() {
    local id
    for _ in $(seq 150); do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

second_copy_refused() {
    local second box
    "$@" >/dev/null 2>&1 &
    second=$!
    if box="$(window '^ledcardcfg$')"; then
        # No window manager here: focus the box by hand, then press its OK.
        xdotool windowfocus "$box" 2>/dev/null || true
        sleep 0.3
        xdotool key Return 2>/dev/null || true
    else
        fail "a second copy showed no message"
    fi
    for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.2; done
    if kill -0 "$second" 2>/dev/null; then
        fail "the second copy still runs"
        kill "$second" 2>/dev/null || true
    else
        ok "a second copy is refused"
    fi
    xdotool search --onlyvisible --name 'V3\.68' >/dev/null && ok "the first copy stays open" ||
        fail "the first copy is gone"
}

prefix_new() {
    local prefix="$1" name="${2:-}"
    suite_prefixes+=("$prefix")
    if [ -n "$name" ]; then
        in_tool "$name" env WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
    else
        unshare -n env WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
    fi
}

# Every process whose command line or environment names the work folder, or that lives in one
# of the suite's network namespaces, into the file $1. Run in the suite's own shell, not in a
# pipeline: the pipeline's helpers, started with the suite's environment, would count.
suite_processes() {
    local p b
    : >"$1"
    for p in /proc/[0-9]*; do
        [ "${p#/proc/}" = "$$" ] && continue
        if grep -qsF "$work" "$p/cmdline" "$p/environ"; then
            echo "${p#/proc/}" >>"$1"
        fi
    done
    for b in "${suite_beds[@]}"; do
        bed_pids "$b" >>"$1" || true
    done
}

suite_end() {
    local p left list
    [ "$suite_ended" = 1 ] && return 0
    suite_ended=1
    set +e
    list="$(mktemp /tmp/ledcardcfg-processes.XXXXXX)"
    wine_end
    for p in "${suite_pids[@]}"; do
        kill "$p" 2>/dev/null
    done
    sleep 0.5
    # What the orderly end above missed is named, then ended all the same.
    suite_processes "$list"
    left="$(sort -u "$list")"
    if [ -n "$left" ]; then
        echo "note: ended what outlived the suite's own end:$(for p in $left; do printf ' [%s]' "$(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | cut -c1-60)"; done)"
        for p in $left; do kill -9 "$p" 2>/dev/null; done
    fi
    for b in "${suite_beds[@]}"; do
        "$netbed" down "$b" >/dev/null 2>&1
    done
    sleep 0.3
    suite_processes "$list"
    left="$(sort -u "$list" | tr '\n' ' ')"
    rm -f "$list"
    [ -n "$work" ] && rm -rf "$work"
    if [ -n "${left// /}" ]; then
        echo "FAIL: processes of the suite still running: $left"
        return 1
    fi
    echo "ok: nothing the suite started is still running"
}

suite_exit() {
    suite_end || failures=$((failures + 1))
    echo "$1: $([ "$failures" -eq 0 ] && echo passed || echo "$failures FAILED")"
    exit $((failures > 0))
}
