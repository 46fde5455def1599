#!/bin/sh
# Runs the About box benchmark under Wine in a build tree's own prefix (made
# by that tree's tests, or by tests/wine/prefix.sh setup).
# usage: sh bench/about_box_cpu.sh [BUILD_DIR] [SECONDS]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
seconds=${2:-5}
exe=$(find "$build" -name about_box_cpu.exe | head -n 1)
[ -n "$exe" ] || { echo "about_box_cpu.exe is not built in $build" >&2; exit 1; }
sh "$root/tests/wine/prefix.sh" setup "$build/wine-prefix" "$build/device" >/dev/null
exec sh "$root/tests/wine/run.sh" "$build/wine-prefix" "$build/device" "$exe" "$seconds"
