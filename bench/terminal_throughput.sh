#!/bin/sh
# Builds the terminal emulator's throughput benchmark natively, optimised
# as the release is, and prints its figures beside libvterm's (needs
# libvterm-dev). usage: sh bench/terminal_throughput.sh [BUILD_DIR]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-native}
mkdir -p "$out"
${CXX:-clang++} -std=c++17 -O2 -DNDEBUG -I"$root" -o "$out/terminal_throughput" \
    "$root/bench/terminal_throughput.cpp" "$root"/terminal/*.cpp "$root/text/utf8.cpp" -lvterm
"$out/terminal_throughput"
