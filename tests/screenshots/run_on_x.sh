#!/bin/sh
# Runs a Windows test program under Wine's X11 driver on a private virtual X
# server (Xvfb), with the virtual device on COM1..COM4, so that the program's
# windows are really drawn and can be photographed; once for each display
# scale in QUORVEX_SCREEN_DPIS (default "96 144 192", the prefix's LogPixels).
#   run_on_x.sh BUILD_DIR VDEV URL_RECORDER PICTURE_DIR PROGRAM [ARGS...]
# Pictures the program saves (BMP) go to PICTURE_DIR (at 96 DPI) or to
# PICTURE_DIR/dpiN and are also converted to PNG there, so a person can look
# at them after a failing run.
set -e
build=$1 vdev=$2 recorder=$3 pictures=$4
shift 4
here=$(cd "$(dirname "$0")/.." && pwd)
# A 64-bit build runs under Wine's 64-bit loader (QUORVEX_WINE_BITS=64).
if [ "$QUORVEX_WINE_BITS" = 64 ]; then PATH="$here/wine/wine64:$PATH"; fi
prefix=$build/wine-x11
device_dir=$build/device-x11
mkdir -p "$pictures"
rm -rf "$pictures"/*.bmp "$pictures"/*.png "$pictures"/dpi*

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
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
status=0
for dpi in ${QUORVEX_SCREEN_DPIS:-96 144 192}; do
    out=$pictures
    [ "$dpi" = 96 ] || out=$pictures/dpi$dpi
    mkdir -p "$out"
    # The scale takes effect when the server starts afresh. The server and
    # Wine's services outlive this script: they must not hold its output.
    {
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
        wineserver -k; wineserver -w; wineserver -p; wine cmd /c exit
    } </dev/null >>"$device_dir/wine-setup.log" 2>&1 || true
    echo "at $dpi DPI"
    # The program's own output can go missing on its way out of Wine, so its
    # results also go to a file; no file means it crashed or never finished.
    results=$build/screenshot-results-$dpi.xml
    rm -f "$results"
    run_status=0
    QUORVEX_DEVICE_PORT_FILE="$(windows_path "$device_dir/control.port")" \
    QUORVEX_OPENED_LOG="$(windows_path "$device_dir/opened.log")" \
    QUORVEX_PICTURE_DIR="$(windows_path "$out")" QUORVEX_EXPECTED_DPI=$dpi \
        wine "$@" "--gtest_output=xml:$(windows_path "$results")" || run_status=$?
    python3 "$here/screenshots/report_results.py" "$results" || run_status=1
    if [ "$run_status" != 0 ]; then
        status=$run_status
        echo "failed at $dpi DPI" >&2
    fi
    for bmp in "$out"/*.bmp; do
        [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
done
if [ "$status" != 0 ]; then
    echo "pictures of this run: $pictures" >&2
fi
exit $status
