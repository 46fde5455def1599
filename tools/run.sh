#!/bin/sh
# Sets up this machine, builds the program and starts it under Wine, with the
# virtual device answering like a modem on COM1 (type AT and press Enter).
# Usage: sh tools/run.sh   (as root on a fresh machine, for the set-up)
# The program runs in its own Wine prefix, build/wine-run; its settings file
# stays there between runs. Without a display, it runs on a virtual X server
# (Xvfb) where nobody can see it; set DISPLAY to see the window.
set -e
cd "$(dirname "$0")/.."
root=$PWD
sh tools/setup.sh
cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake >/dev/null
cmake --build build -j2 --target Quorvex native_tools

prefix=$root/build/wine-run
device_dir=$root/build/run-device
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
"$root/build/native/vdev" --daemon --ports 1 --link-dir "$device_dir" --wineprefix "$prefix" \
    --control 0 --port-file "$device_dir/control.port" --pid-file "$device_dir/vdev.pid"

stop() {
    [ -f "$device_dir/vdev.pid" ] && kill "$(cat "$device_dir/vdev.pid")" 2>/dev/null || true
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop EXIT INT TERM

echo "Virtual device on COM1; control it with:"
echo "  build/native/vdev ctl --port-file $device_dir/control.port PING"
status=0
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wine "$root/build/Quorvex.exe" || status=$?
echo "Quorvex exited with code $status"
exit $status
