#!/bin/sh
# File sending benchmark: a 1 MiB file sent unpaced through the serial
# channel's writer to the virtual device on COM1 at 921600 baud, RUNS times.
# Prints the time against the line's own time, the processor time of the
# program's process and of the Wine server, and the bytes the device got.
# usage: sh bench/send_file.sh BUILD_DIR [RUNS]
# Needs native_tools and send_file_bench built in BUILD_DIR, and /usr/bin/time.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
runs=${2:-3}
program=$build/bench/send_file_bench.exe
vdev=$build/native/vdev
for needed in "$program" "$vdev"; do
    [ -f "$needed" ] || { echo "missing $needed: build native_tools, send_file_bench" >&2; exit 1; }
done
work=$build/bench-run
prefix=$work/wine-prefix
device_dir=$work/device
mkdir -p "$work"
clock_ticks=$(getconf CLK_TCK)
device() { "$vdev" ctl --port-file "$device_dir/control.port" --timeout 10 "$@"; }
server_ticks() {
    for dir in /proc/[0-9]*; do
        case "$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null)" in
        *wineserver*)
            if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
                sed 's/.*) //' "$dir/stat" | awk '{ print $12 + $13 }'
                return
            fi ;;
        esac
    done
    echo 0
}
stop_all() {
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
echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg)"
run=1
while [ "$run" -le "$runs" ]; do
    device CLEAR COM1 >/dev/null
    before=$(server_ticks)
    # The Linux side's count of the program's processor time, beside its own.
    /usr/bin/time -f "run $run: program process cpu (Linux) %U s user, %S s system" \
        sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$program" 1 921600 1048576
    after=$(server_ticks)
    sleep 1
    received=$(device STATUS COM1 | sed -n 's/.*received=\([0-9]*\).*/\1/p')
    echo "run $run: device received $received bytes; Wine server cpu $(awk -v t=$((after - before)) -v hz="$clock_ticks" 'BEGIN { printf "%.2f", t / hz }') s"
    run=$((run + 1))
done
