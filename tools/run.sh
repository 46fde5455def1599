#!/bin/sh
# Sets up this machine, builds the program and starts it under Wine, with the
# virtual device answering like a modem on COM1 (type AT and press Enter).
# Usage: sh tools/run.sh   (as root on a fresh machine, for the set-up)
# The program runs in its own Wine prefix, build/wine-run (build64/wine-run
# for the 64-bit program); its settings file stays there between runs.
# Without a display, it runs on a virtual X server (Xvfb) where nobody can see
# it; set DISPLAY to see the window.
set -e
cd "$(dirname "$0")/.."
root=$PWD
sh tools/setup.sh
# The 32-bit program, or the 64-bit one where this machine runs no 32-bit
# programs (Wine's 32-bit loader cannot start there).
. tools/wine_side.sh
echo "Running $wine_side"
build=$wine_build
cmake -S . -B $build -DCMAKE_TOOLCHAIN_FILE=$wine_toolchain >/dev/null
cmake --build $build -j2 --target Quorvex native_tools
export QUORVEX_WINE_BITS=$wine_bits
if [ "$wine_bits" = 64 ]; then PATH="$root/tests/wine/wine64:$PATH"; fi

prefix=$root/$build/wine-run
device_dir=$root/$build/run-device
xvfb_pid=
if [ -z "$DISPLAY" ]; then
    display=:$(( $$ % 500 + 100 ))
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    echo "No display: running on the virtual X server $DISPLAY"
    sleep 1
fi

QUORVEX_WINE_GRAPHICS=x11 sh tests/wine/prefix.sh setup "$prefix" "$device_dir"
"$root/$build/native/vdev" --daemon --ports 1 --link-dir "$device_dir" --wineprefix "$prefix" \
    --control 0 --port-file "$device_dir/control.port" --pid-file "$device_dir/vdev.pid"

stop() {
    [ -f "$device_dir/vdev.pid" ] && kill "$(cat "$device_dir/vdev.pid")" 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop EXIT INT TERM

echo "Virtual device on COM1; control it with:"
echo "  $build/native/vdev ctl --port-file $device_dir/control.port PING"
status=0
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$root/$build/Quorvex.exe" || status=$?
echo "Quorvex exited with code $status"
exit $status
