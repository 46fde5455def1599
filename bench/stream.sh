#!/bin/sh
# Streaming benchmark: the real Quorvex.exe under Wine, with the virtual
# device on COM1 streaming its known pattern at 9600, 115200 and 921600 baud
# (baud / 10 bytes a second, paced by the device), and at twice the pace of
# 921600 on a 921600 line. For each rate the program is started afresh with
# that rate in its settings file, then measured idle with the port open, with
# the About box up, and while the stream runs (CPU, resident memory, the
# device's backlog); the received list is then read back and compared with
# the pattern. With MEMORY_SECONDS > 0 a long run at 921600 follows, with the
# resident memory sampled every 30 s.
# While each stream runs, another process sends the window WM_NULL every
# 50 ms and keeps the slowest answer; after it the port is closed and the
# program measured idle again. Two more runs show the Hex view past MaxLines
# (100,000 lines, and with HEX_MILLION=1 a run past 1,000,000; ONLY=hex runs
# only these), whose lines are counted rather than compared. ONLY=terminal
# runs only 921600 baud at 92,160 bytes a second in the Terminal view.
# usage: sh bench/stream.sh BUILD_DIR [SECONDS] [IDLE_SECONDS] [MEMORY_SECONDS]
# Needs Quorvex, native_tools and window_probe built in BUILD_DIR; PROGRAM
# in the environment names another Quorvex.exe to measure (an older build).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-60}
idle_seconds=${3:-10}
memory_seconds=${4:-0}

program=${PROGRAM:-$build/Quorvex.exe}
probe=$build/bench/window_probe.exe
vdev=$build/native/vdev
for needed in "$program" "$probe" "$vdev"; do
    [ -f "$needed" ] || { echo "missing $needed: build Quorvex, native_tools, window_probe" >&2; exit 1; }
done

# A prefix and a device of the benchmark's own, apart from the tests' ones.
work=$build/bench-run
prefix=$work/wine-prefix
device_dir=$work/device
mkdir -p "$work"
clock_ticks=$(getconf CLK_TCK)

wine_run() { sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$@"; }
device() { "$vdev" ctl --port-file "$device_dir/control.port" --timeout 10 "$@"; }
# Seconds since boot, to 1/100 s.
now() { cut -d ' ' -f 1 /proc/uptime; }
# utime + stime of a Linux process, in clock ticks (0 once it is gone). The
# command name in field 2 may hold spaces, so the fields are counted from
# the closing parenthesis.
cpu_ticks() {
    if [ -r "/proc/$1/stat" ]; then
        sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
    else
        echo 0
    fi
}
# Resident memory of a Linux process in MiB (0 once it is gone).
rss_mib() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024; found = 1 } END { if (!found) print 0 }' "/proc/$1/status" 2>/dev/null || echo 0; }
# Bytes the device holds because the line would not take them.
backlog() { device STATUS COM1 | sed -n 's/.*pending=\([0-9]*\).*/\1/p'; }
# Share of one core, in percent, of ticks used over a wall-time span.
percent() { awk -v t="$1" -v hz="$clock_ticks" -v s="$2" 'BEGIN { printf "%.2f", (s > 0 ? 100 * t / hz / s : 0) }'; }
span() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# The prefix's own server, found by its WINEPREFIX (other prefixes have theirs).
server_pid() {
    for dir in /proc/[0-9]*; do
        case "$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null)" in
        *wineserver*)
            if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
                echo "${dir#/proc/}"
                return
            fi ;;
        esac
    done
}

program_pid=
stop_all() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid" 2>/dev/null || true
    fi
    [ -f "$device_dir/vdev.pid" ] && kill "$(cat "$device_dir/vdev.pid")" 2>/dev/null || true
    sh "$root/tests/wine/prefix.sh" cleanup "$prefix" "$device_dir" >/dev/null 2>&1 || true
}
trap stop_all EXIT
trap 'exit 1' INT TERM

sh "$root/tests/wine/prefix.sh" setup "$prefix" "$device_dir" >"$work/setup.log" 2>&1 ||
    { cat "$work/setup.log" >&2; exit 1; }
[ -f "$device_dir/vdev.pid" ] && kill "$(cat "$device_dir/vdev.pid")" 2>/dev/null || true
rm -f "$device_dir/control.port"
"$vdev" --daemon --ports 1 --link-dir "$device_dir" --wineprefix "$prefix" --control 0 \
    --port-file "$device_dir/control.port" --pid-file "$device_dir/vdev.pid" \
    --log "$device_dir/vdev.log" </dev/null >>"$work/setup.log" 2>&1 ||
    { echo "the virtual device did not start (see $work/setup.log)" >&2; exit 1; }
device MODE COM1 silent >/dev/null

appdata_windows=$(WINEPREFIX="$prefix" WINEDEBUG=-all wine cmd /c echo %APPDATA% | tr -d '\r')
settings_dir=$(WINEPREFIX="$prefix" WINEDEBUG=-all winepath -u "$appdata_windows")/BrantholmFreeware/Quorvex
mkdir -p "$settings_dir"
server=$(server_pid)

table=$work/stream-table.txt
: >"$table"

# start_program BAUD_KEY [VIEW [MAXLINES]]: the program with COM1 at that
# rate in its settings file (and the view and MaxLines given), once its port
# is open.
start_program() {
    printf '[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=0\r\nStopBits=0\r\nBaud=%s\r\n' \
        "$1" >"$settings_dir/Quorvex.ini"
    if [ -n "$2$3" ]; then
        printf '[Misc Settings]\r\n' >>"$settings_dir/Quorvex.ini"
        [ -n "$2" ] && printf 'View=%s\r\n' "$2" >>"$settings_dir/Quorvex.ini"
        [ -n "$3" ] && printf 'MaxLines=%s\r\n' "$3" >>"$settings_dir/Quorvex.ini"
    fi
    # run.sh ends in exec, so this process becomes the program's Wine process.
    sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$program" >"$work/program.log" 2>&1 &
    program_pid=$!
    wine_run "$probe" wait-open 60
    tr '\0' ' ' <"/proc/$program_pid/cmdline" | grep -q 'Quorvex\.exe' ||
        { echo "process $program_pid is not the program" >&2; exit 1; }
    line_speed=$(device TERMIOS COM1 | sed -n 's/.*speed=\([0-9]*\).*/\1/p')
    [ "$line_speed" = "$1" ] || { echo "the line runs at $line_speed, not $1" >&2; exit 1; }
}

stop_program() {
    wine_run "$probe" close 60 || true
    waited=0
    while kill -0 "$program_pid" 2>/dev/null && [ "$waited" -lt 60 ]; do
        sleep 1
        waited=$((waited + 1))
    done
    kill "$program_pid" 2>/dev/null || true
    program_pid=
}

# stream_and_wait RATE COUNT SECONDS: streams, sampling the device's backlog
# five times a second into max_backlog, until the device has sent
# everything; meanwhile the window's answers to WM_NULL are timed.
stream_and_wait() {
    wine_run "$probe" answer "$3" >"$work/answer.txt" 2>&1 &
    answer_pid=$!
    device STREAM COM1 "$1" "$2" >/dev/null
    waited=0
    max_backlog=0
    until device STREAMSTATUS COM1 | grep -q 'done=1'; do
        waited=$((waited + 1))
        [ "$waited" -le $(((run_seconds * 3 + 30) * 5)) ] || { echo "the stream did not end" >&2; exit 1; }
        sleep 0.2
        pending=$(backlog)
        if [ "${pending:-0}" -gt "$max_backlog" ]; then max_backlog=$pending; fi
    done
    wait "$answer_pid" || true
    slowest=$(tr -d '\r' <"$work/answer.txt" | sed -n 's/.*slowest_ms=\([0-9]*\).*/\1/p')
    over=$(tr -d '\r' <"$work/answer.txt" | sed -n 's/.*over_100ms=\([0-9]*\).*/\1/p')
}

# run_rate BAUD BYTES_PER_SECOND [VIEW [MAXLINES [SECONDS]]]
run_rate() {
    baud=$1
    rate=$2
    view=${3:-}
    max_lines=${4:-}
    run_seconds=${5:-$seconds}
    count=$((rate * run_seconds))
    echo "$baud baud, $rate bytes/s ${view:-as received} ${max_lines}: starting the program" >&2
    start_program "$baud" "$view" "$max_lines"
    sleep 1
    rss_start=$(rss_mib "$program_pid")

    echo "$baud baud: idle ${idle_seconds}s" >&2
    t0=$(now); c0=$(cpu_ticks "$program_pid")
    sleep "$idle_seconds"
    t1=$(now); c1=$(cpu_ticks "$program_pid")
    idle=$(percent $((c1 - c0)) "$(span "$t0" "$t1")")

    echo "$baud baud: About box up ${idle_seconds}s" >&2
    wine_run "$probe" about-open
    sleep 1
    t0=$(now); c0=$(cpu_ticks "$program_pid")
    sleep "$idle_seconds"
    t1=$(now); c1=$(cpu_ticks "$program_pid")
    about=$(percent $((c1 - c0)) "$(span "$t0" "$t1")")
    wine_run "$probe" about-close

    echo "$baud baud: streaming $count bytes at $rate bytes/s" >&2
    t0=$(now); c0=$(cpu_ticks "$program_pid"); s0=$(cpu_ticks "$server")
    stream_and_wait "$rate" "$count" "$run_seconds"
    t1=$(now); c1=$(cpu_ticks "$program_pid"); s1=$(cpu_ticks "$server")
    stream_time=$(span "$t0" "$t1")
    held=$(awk -v t="$stream_time" -v n="$run_seconds" 'BEGIN { h = t - n; printf "%.2f", (h > 0 ? h : 0) }')
    busy=$(percent $((c1 - c0)) "$stream_time")
    server_busy=$(percent $((s1 - s0)) "$stream_time")
    sent=$(device STREAMSTATUS COM1 | sed -n 's/.*sent=\([0-9]*\).*/\1/p')

    # The last bytes reach the list on the next ticks. A list trimmed past
    # MaxLines no longer begins with the pattern's start: only its lines
    # are counted.
    if [ -n "$view" ]; then
        sleep 2
        lines=$(wine_run "$probe" count | sed -n 's/.*lines=\([0-9]*\).*/\1/p')
        received=- intact=$sent first_bad=-
    else
        tries=0
        while :; do
            sleep 1
            result=$(wine_run "$probe" check)
            received=$(echo "$result" | sed -n 's/.*received=\([0-9]*\).*/\1/p')
            tries=$((tries + 1))
            [ "$received" -lt "$sent" ] && [ "$tries" -lt 10 ] || break
        done
        intact=$(echo "$result" | sed -n 's/.*intact=\([0-9]*\).*/\1/p')
        first_bad=$(echo "$result" | sed -n 's/.*first_bad=\(-*[0-9]*\).*/\1/p')
        lines=$(echo "$result" | sed -n 's/.*lines=\([0-9]*\).*/\1/p')
        [ "$first_bad" = -1 ] && first_bad=-
    fi
    rss_end=$(rss_mib "$program_pid")

    echo "$baud baud: port closed, idle ${idle_seconds}s" >&2
    wine_run "$probe" port-close
    sleep 1
    t0=$(now); c0=$(cpu_ticks "$program_pid")
    sleep "$idle_seconds"
    t1=$(now); c1=$(cpu_ticks "$program_pid")
    closed=$(percent $((c1 - c0)) "$(span "$t0" "$t1")")
    stop_program

    # Lost or corrupted: every byte sent that is not in the list, equal to
    # the pattern, before the first difference. Held: how much longer than
    # its own pace the stream took; backlog: the most bytes the device held.
    printf '%5s %7s %7s %9s %6s %9s %7s %8s %6s %5s %7s %5s %6s %5s %6s %6s %6s %6s %7s %5s\n' \
        "${view:-as}" "$baud" "$rate" "$sent" "$stream_time" "$received" "$lines" \
        "$((sent - intact))" "$first_bad" "$held" "$max_backlog" "$idle" "$closed" "$about" \
        "$busy" "$server_busy" "$rss_start" "$rss_end" "${slowest:--}" "${over:--}" >>"$table"
}

# The long run: MaxLines at its default, resident memory every 30 s.
run_memory() {
    rate=92160
    echo "memory: ${memory_seconds}s at 921600 baud" >&2
    start_program 921600
    sleep 1
    memory_table=$work/memory-table.txt
    printf '%6s %9s %9s\n' secs "sent" "RSS MiB" >"$memory_table"
    printf '%6s %9s %9s\n' 0 0 "$(rss_mib "$program_pid")" >>"$memory_table"
    t0=$(now); c0=$(cpu_ticks "$program_pid"); s0=$(cpu_ticks "$server")
    device STREAM COM1 "$rate" 0 >/dev/null
    elapsed=0
    max_backlog=0
    while [ "$elapsed" -lt "$memory_seconds" ]; do
        sleep 30
        elapsed=$((elapsed + 30))
        pending=$(backlog)
        if [ "${pending:-0}" -gt "$max_backlog" ]; then max_backlog=$pending; fi
        sent=$(device STREAMSTATUS COM1 | sed -n 's/.*sent=\([0-9]*\).*/\1/p')
        printf '%6s %9s %9s\n' "$elapsed" "$sent" "$(rss_mib "$program_pid")" >>"$memory_table"
    done
    device STOP COM1 >/dev/null
    t1=$(now); c1=$(cpu_ticks "$program_pid"); s1=$(cpu_ticks "$server")
    sent=$(device STREAMSTATUS COM1 | sed -n 's/.*sent=\([0-9]*\).*/\1/p')
    lines=$(wine_run "$probe" count | sed -n 's/.*lines=\([0-9]*\).*/\1/p')
    stop_program
    echo
    echo "Memory run: ${memory_seconds}s at 921600 baud, MaxLines at its default"
    cat "$memory_table"
    echo "lines in the list at the end: $lines; largest backlog seen: $max_backlog"
    echo "CPU: program $(percent $((c1 - c0)) "$(span "$t0" "$t1")") %," \
        "wineserver $(percent $((s1 - s0)) "$(span "$t0" "$t1")") % of one core"
}

echo "load before: $(uptime)" >&2
if [ "${ONLY:-}" = terminal ]; then
    # The Terminal view's screen fed 92,160 bytes a second (the list,
    # hidden, takes them too and is compared as ever).
    run_rate 921600 92160 Terminal
elif [ "${ONLY:-}" != hex ]; then
    run_rate 9600 960
    run_rate 115200 11520
    run_rate 921600 92160
    run_rate 921600 184320
fi
if [ "${ONLY:-}" != terminal ]; then
    run_rate 921600 92160 Hex
    run_rate 921600 184320 Hex
    if [ "${HEX_MILLION:-0}" = 1 ]; then run_rate 921600 184320 Hex 1000000 110; fi
fi
load_after=$(uptime)

echo "Streaming benchmark: ${seconds}s per rate; CPU as % of one core (idle, closed and About box: ${idle_seconds}s each)"
echo "load at the end: $load_after"
printf '%5s %7s %7s %9s %6s %9s %7s %8s %6s %5s %7s %5s %6s %5s %6s %6s %6s %6s %7s %5s\n' view baud \
    bytes/s sent secs "in list" lines lost/bad "1stbad" held backlog idle closed About stream \
    server "RSS0" "RSS1" slowest ">100"
cat "$table"
if [ "$memory_seconds" -gt 0 ]; then run_memory; fi
echo "load at the end: $(uptime)"
