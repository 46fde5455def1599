#!/bin/sh
# The file transfers' benchmark (bench/transfer_bench.cpp): XMODEM and YMODEM
# in both directions and both block sizes against lrzsz on COM20, in a
# prefix of its own (BUILD_DIR/bench-run/transfer-*). Then, for scale,
# lrzsz against itself on a socket pair: the time its own programs take.
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
sh "$root/tests/wine/run.sh" "$prefix" "$device_dir" "$build/bench/transfer_bench.exe" \
    2>"$work/transfer-run.log" |
    tr -d '\r' | grep -v '^\[' | grep -v '^Running main'

# lrzsz's sender and receiver joined directly: no program of ours between.
pair=$work/transfer-pair
rm -rf "$pair" && mkdir -p "$pair/out"
head -c "$QUORVEX_BENCH_BYTES" /dev/urandom >"$pair/image.bin"
echo "lrzsz against itself, for scale:"
for programs in "sx -q:rx -c -q got.bin" "sx -k -q:rx -c -q got.bin" "sb -q:rb -q" "sb -k -q:rb -q"; do
    sender=${programs%%:*} receiver=${programs#*:}
    began=$(date +%s%N)
    (cd "$pair/out" && timeout 300 socat EXEC:"$sender ../image.bin" EXEC:"$receiver" 2>/dev/null)
    ended=$(date +%s%N)
    awk -v what="$sender -> ${receiver%% *}" -v ns=$((ended - began)) \
        'BEGIN { printf "%-30s %9.2f s\n", what, ns / 1e9 }'
    rm -f "$pair/out/"*
done
rm -rf "$pair"
