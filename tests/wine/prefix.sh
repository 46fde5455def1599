#!/bin/sh
# Creates the Wine prefix that the tests run in (once per build tree) and
# keeps one wineserver alive for the run; "cleanup" stops that wineserver.
#   prefix.sh setup PREFIX DEVICE_DIR [URL_RECORDER_EXE]
#   prefix.sh cleanup PREFIX DEVICE_DIR
# The prefix uses Wine's null graphics driver, so no X server is needed
# (QUORVEX_WINE_GRAPHICS=x11 makes it use the X server of $DISPLAY instead;
# QUORVEX_WINE_DESKTOP=WxH then puts every window on one virtual desktop of
# that size, where Wine draws the window frames itself).
# A 64-bit build (QUORVEX_WINE_BITS=64) gets a 64-bit prefix.
# COM1..COM4 and COM12 are mapped to DEVICE_DIR/comN, links that the virtual device
# keeps pointing at its pseudo-terminals (COM20 too, see below). With a URL recorder, the http and
# https protocols and .htm files open with it instead of a browser.
set -e
action=$1 prefix=$2 device_dir=$3 recorder=$4
# A 64-bit build runs under Wine's 64-bit loader (QUORVEX_WINE_BITS=64).
if [ "$QUORVEX_WINE_BITS" = 64 ]; then PATH="$(cd "$(dirname "$0")" && pwd)/wine64:$PATH"; fi
mkdir -p "$device_dir"
log="$device_dir/wine-setup.log"
# Wine's server and services outlive this script, so they must not hold on to
# the caller's output (CTest waits until every holder has closed it): their
# output goes to a log.
quiet() {
    "$@" </dev/null >>"$log" 2>&1 || { echo "failed: $* (see $log)" >&2; return 1; }
}
# A step that may find nothing to do (no server to stop or wait for, no value
# to delete): its outcome goes to the log only.
optional() {
    "$@" </dev/null >>"$log" 2>&1 || echo "(allowed to fail: $*)" >>"$log"
}
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
graphics=${QUORVEX_WINE_GRAPHICS:-null}
[ "$graphics" = null ] && unset DISPLAY WAYLAND_DISPLAY

if [ "$action" = cleanup ]; then
    optional wineserver -k
    exit 0
fi

if [ ! -f "$prefix/.quorvex-ready-2" ]; then
    optional wineserver -k
    rm -rf "$prefix"
    echo "creating the Wine prefix $prefix"
    quiet wineboot -i
    for n in 1 2 3 4 12; do
        quiet wine reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /d "$device_dir/com$n" /f
    done
    optional wineserver -w
    touch "$prefix/.quorvex-ready-2"
fi

quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f
# COM20 leads to DEVICE_DIR/com20, where a test puts a file-transfer program
# of its own on the far end of a pseudo-terminal.
quiet wine reg add 'HKLM\Software\Wine\Ports' /v COM20 /d "$device_dir/com20" /f
if [ -n "$QUORVEX_WINE_DESKTOP" ]; then
    quiet wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    quiet wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$QUORVEX_WINE_DESKTOP" /f
else
    optional wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f
fi

# Wine's own Marlett (the glyphs of the caption buttons) and Tahoma (what
# "MS Shell Dlg 2" stands for), where this Wine does not find them by itself.
for font in marlett.ttf tahoma.ttf tahomabd.ttf; do
    for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts /opt/wine/share/wine/fonts; do
        if [ -f "$dir/$font" ]; then
            mkdir -p "$prefix/drive_c/windows/Fonts"
            cp -u "$dir/$font" "$prefix/drive_c/windows/Fonts/"
            break
        fi
    done
done

if [ -n "$recorder" ]; then
    recorder_win=$(printf 'Z:%s' "$recorder" | tr / '\\')  # drive Z: is the Unix root
    command="\"$recorder_win\" \"%1\""
    for key in 'HKCR\http\shell\open\command' 'HKCR\https\shell\open\command' \
               'HKCR\htmlfile\shell\open\command'; do
        quiet wine reg add "$key" /ve /d "$command" /f
    done
    quiet wine reg add 'HKCR\.htm' /ve /d htmlfile /f
    quiet wine reg add 'HKCR\.html' /ve /d htmlfile /f
fi
# Start afresh, so that the desktop process runs with the chosen driver, and
# keep one server up for the whole run (Wine starts faster with one running).
# Wine's services start with the first program and live as long as the server:
# start them here, so that they don't inherit the output of a test.
optional wineserver -k
optional wineserver -w
quiet wineserver -p || true
quiet wine cmd /c exit || true
