#!/bin/sh
# The file transfers' benchmark (bench/transfer_bench.cpp): XMODEM and YMODEM
# in both directions and both block sizes against lrzsz on COM20, in a
# prefix of its own (BUILD_DIR/bench-run/transfer-*).
# usage: sh bench/transfer.sh [BUILD_DIR] [BYTES]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
work=$build/bench-run
prefix=$work/transfer-prefix
device_dir=$work/transfer-device
mkdir -p "$work"
cmake --build "$build" -j2 --target transfer_bench >"$work/transfer-build.log" 2>&1 ||
    { tail -n 30 "$work/transfer-build.log" >&2; exit 1; }
trap 'sh "$root/tests/wine/prefix.sh" cleanup "$prefix" "$device_dir" >/dev/null 2>&1 || true' EXIT
sh "$root/tests/wine/prefix.sh" setup "$prefix" "$device_dir" >"$work/transfer-setup.log" 2>&1 || { cat "$work/transfer-setup.log" >&2; exit 1; }
export QUORVEX_BENCH_BYTES=${2:-1048576}
echo "Load: $(uptime)"
sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$build/bench/transfer_bench.exe" |
    tr -d '\r' | grep -v '^\[' | grep -v '^Running main'
