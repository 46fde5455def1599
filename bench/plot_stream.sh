#!/bin/sh
# The plot's benchmark: lines of three numbers streamed at 921600 baud's pace
# for SECONDS, first with the plot down, then with it up (bench/plot_stream.cpp),
# then PlotPoints=1,000,000 filled over 16 series. Runs in a prefix and with a
# device of its own (BUILD_DIR/bench-run/plot-*).
# usage: sh bench/plot_stream.sh [BUILD_DIR] [SECONDS]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-60}
work=$build/bench-run
prefix=$work/plot-prefix
device_dir=$work/plot-device
mkdir -p "$work"
cmake --build "$build" -j2 --target plot_stream native_tools >"$work/plot-build.log" 2>&1 ||
    { tail -n 30 "$work/plot-build.log" >&2; exit 1; }
cleanup() {
    sh "$root/tests/wine/device.sh" stop "$prefix" "$device_dir" >/dev/null 2>&1 || true
    sh "$root/tests/wine/prefix.sh" cleanup "$prefix" "$device_dir" >/dev/null 2>&1 || true
}
trap cleanup EXIT
sh "$root/tests/wine/prefix.sh" setup "$prefix" "$device_dir" >"$work/plot-setup.log" 2>&1 ||
    { cat "$work/plot-setup.log" >&2; exit 1; }
sh "$root/tests/wine/device.sh" start "$prefix" "$device_dir" "$build/native/vdev"
run() { sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$build/bench/plot_stream.exe" "$@"; }

echo "Plot benchmark: lines of three numbers at 92160 bytes/s for ${seconds}s; load: $(uptime)"
printf '%-5s %5s %5s %9s %6s %9s %9s %6s %7s %8s %7s\n' run idle frames "sent" secs "lines" \
    plotted "bad" backlog "frames/s" "% core"
run list "$seconds" | tr -d '\r'
run plot "$seconds" | tr -d '\r'
# The memory run marks its points in its output; the resident memory of its
# Wine process (run.sh ends in exec) is read at each mark.
sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$build/bench/plot_stream.exe" memory \
    >"$work/plot-memory.txt" 2>&1 &
pid=$!
rss() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status"; }
for mark in before full; do
    waited=0
    until grep -q "mark $mark" "$work/plot-memory.txt" || [ $waited -ge 600 ]; do
        sleep 0.5
        waited=$((waited + 1))
    done
    sleep 1
    eval "rss_$mark=\$(rss)"
done
wait $pid
grep '^memory' "$work/plot-memory.txt" | tr -d '\r'
awk -v a="$rss_before" -v b="$rss_full" 'BEGIN {
    printf "resident memory: %.1f MiB with the plot down, %.1f MiB with it full: %.1f MiB, %.1f bytes a point\n",
        a, b, b - a, (b - a) * 1048576 / 16e6 }'
echo "load at the end: $(uptime)"
