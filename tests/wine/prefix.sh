#!/bin/sh
# Creates the Wine prefix that the tests run in (once per build tree) and
# keeps one wineserver alive for the run; "cleanup" stops that wineserver.
#   prefix.sh setup PREFIX DEVICE_DIR [URL_RECORDER_EXE]
#   prefix.sh cleanup PREFIX DEVICE_DIR
# The prefix uses Wine's null graphics driver, so no X server is needed
# (QUORVEX_WINE_GRAPHICS=x11 makes it use the X server of $DISPLAY instead).
# COM1..COM4 are mapped to DEVICE_DIR/comN, links that the virtual device
# keeps pointing at its pseudo-terminals. With a URL recorder, the http and
# https protocols and .htm files open with it instead of a browser.
set -e
action=$1 prefix=$2 device_dir=$3 recorder=$4
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
graphics=${QUORVEX_WINE_GRAPHICS:-null}
[ "$graphics" = null ] && unset DISPLAY WAYLAND_DISPLAY

if [ "$action" = cleanup ]; then
    wineserver -k 2>/dev/null || true
    exit 0
fi

mkdir -p "$device_dir"
if [ ! -f "$prefix/.quorvex-ready" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
    echo "creating the Wine prefix $prefix"
    wineboot -i >/dev/null 2>&1
    for n in 1 2 3 4; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$device_dir/com$n" /f >/dev/null
    done
    wineserver -w
    touch "$prefix/.quorvex-ready"
fi

wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f >/dev/null

if [ -n "$recorder" ]; then
    recorder_win=$(wine winepath -w "$recorder" 2>/dev/null | tr -d '\r')
    command="\"$recorder_win\" \"%1\""
    for key in 'HKCR\http\shell\open\command' 'HKCR\https\shell\open\command' \
               'HKCR\htmlfile\shell\open\command'; do
        wine reg add "$key" /ve /d "$command" /f >/dev/null
    done
    wine reg add 'HKCR\.htm' /ve /d htmlfile /f >/dev/null
    wine reg add 'HKCR\.html' /ve /d htmlfile /f >/dev/null
fi
# Start afresh, so that the desktop process runs with the chosen driver.
wineserver -k 2>/dev/null || true
wineserver -p
