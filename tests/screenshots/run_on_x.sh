#!/bin/sh
# Runs a Windows test program under Wine's X11 driver on a private virtual X
# server (Xvfb), with the virtual device on COM1..COM4, so that the program's
# windows are really drawn and can be photographed.
#   run_on_x.sh BUILD_DIR VDEV URL_RECORDER PICTURE_DIR PROGRAM [ARGS...]
# Pictures the program saves (BMP) go to PICTURE_DIR and are also converted
# to PNG there, so a person can look at them after a failing run.
set -e
build=$1 vdev=$2 recorder=$3 pictures=$4
shift 4
here=$(cd "$(dirname "$0")/.." && pwd)
prefix=$build/wine-x11
device_dir=$build/device-x11
mkdir -p "$pictures"
rm -f "$pictures"/*.bmp "$pictures"/*.png

# A display number nobody uses.
display=
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

cleanup() {
    sh "$here/wine/device.sh" stop "$prefix" "$device_dir" || true
    sh "$here/wine/prefix.sh" cleanup "$prefix" "$device_dir" || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
QUORVEX_WINE_GRAPHICS=x11 QUORVEX_WINE_DESKTOP=1024x768 sh "$here/wine/prefix.sh" setup "$prefix" "$device_dir" "$recorder"
sh "$here/wine/device.sh" start "$prefix" "$device_dir" "$vdev"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
# The program's own output can go missing on its way out of Wine, so its
# results also go to a file; no file means it crashed or never finished.
results=$build/screenshot-results.xml
rm -f "$results"
status=0
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
QUORVEX_DEVICE_PORT_FILE="$(windows_path "$device_dir/control.port")" \
QUORVEX_OPENED_LOG="$(windows_path "$device_dir/opened.log")" \
QUORVEX_PICTURE_DIR="$(windows_path "$pictures")" \
    wine "$@" "--gtest_output=xml:$(windows_path "$results")" || status=$?
python3 "$here/screenshots/report_results.py" "$results" || status=1

for bmp in "$pictures"/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
if [ "$status" != 0 ]; then
    echo "pictures of this run: $pictures" >&2
fi
exit $status
