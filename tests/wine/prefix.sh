#!/bin/sh
# Creates the Wine prefix that the tests run in (once per build tree) and
# keeps one wineserver alive for the run; "cleanup" stops that wineserver.
#   prefix.sh setup PREFIX DEVICE_DIR URL_RECORDER_EXE
#   prefix.sh cleanup PREFIX DEVICE_DIR
# The prefix uses Wine's null graphics driver, so no X server is needed.
# COM1..COM4 are mapped to DEVICE_DIR/comN, links that the virtual device
# keeps pointing at its pseudo-terminals. The http and https protocols and
# .htm files open with the URL recorder instead of a browser.
set -e
action=$1 prefix=$2 device_dir=$3 recorder=$4
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

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
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
    for n in 1 2 3 4; do
        wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$device_dir/com$n" /f >/dev/null
    done
    wineserver -w
    touch "$prefix/.quorvex-ready"
fi

recorder_win=$(wine winepath -w "$recorder" 2>/dev/null | tr -d '\r')
command="\"$recorder_win\" \"%1\""
for key in 'HKCR\http\shell\open\command' 'HKCR\https\shell\open\command' \
           'HKCR\htmlfile\shell\open\command'; do
    wine reg add "$key" /ve /d "$command" /f >/dev/null
done
wine reg add 'HKCR\.htm' /ve /d htmlfile /f >/dev/null
wine reg add 'HKCR\.html' /ve /d htmlfile /f >/dev/null
wineserver -p
