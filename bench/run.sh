#!/bin/sh
# Builds what the benchmarks need, runs the streaming benchmark and then the
# About box one, and prints both tables. Both run in the build tree's own
# benchmark prefix (BUILD_DIR/bench-run), apart from the tests' prefix.
# usage: sh bench/run.sh [BUILD_DIR] [SECONDS] [MEMORY_SECONDS]
#   BUILD_DIR       a build tree configured with the tests on (default: build)
#   SECONDS         how long the device streams at each rate (default: 60)
#   MEMORY_SECONDS  the long run at 921600 baud for the memory figures
#                   (default: 600; 0 skips it)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${2:-60}
memory_seconds=${3:-600}
about_seconds=10

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" >/dev/null
fi
build=$(cd "$build" && pwd)
echo "Building Quorvex, the virtual device and the benchmark programs in $build" >&2
mkdir -p "$build/bench-run"
cmake --build "$build" -j2 --target Quorvex native_tools window_probe about_box_cpu \
    >"$build/bench-run/build.log" 2>&1 ||
    { tail -n 30 "$build/bench-run/build.log" >&2; exit 1; }

sh "$root/bench/stream.sh" "$build" "$seconds" 10 "$memory_seconds"

# The About box benchmark: the box over a window that ticks like the main
# window, measured by the program itself.
prefix=$build/bench-run/wine-prefix
device_dir=$build/bench-run/device
trap 'sh "$root/tests/wine/prefix.sh" cleanup "$prefix" "$device_dir" >/dev/null 2>&1 || true' EXIT
sh "$root/tests/wine/prefix.sh" setup "$prefix" "$device_dir" >"$build/bench-run/setup.log" 2>&1 ||
    { cat "$build/bench-run/setup.log" >&2; exit 1; }
echo "About box: up ${about_seconds}s" >&2
figures=$(sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$build/bench/about_box_cpu.exe" \
          "$about_seconds")
echo
echo "About box benchmark: the box up over a window ticking every 250 ms"
printf '%7s %6s %8s %10s %9s %7s\n' "up s" ticks "user ms" "kernel ms" "ms per s" "% core"
echo "$figures" | tr -d '\r' | awk '
    /^About box up/ { up = $4; ticks = $NF }
    /^CPU time/ { user = $4; kernel = $7; per_second = $10; share = $14; sub("%", "", share) }
    END { printf "%7s %6s %8s %10s %9s %7s\n", up, ticks, user, kernel, per_second, share }'
