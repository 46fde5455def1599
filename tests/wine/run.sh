#!/bin/sh
# Runs one Windows test program under Wine in the build's own prefix.
# usage: run.sh PREFIX DEVICE_DIR PROGRAM [ARGS...]
prefix=$1 device_dir=$2
shift 2
# A 64-bit build runs under Wine's 64-bit loader (QUORVEX_WINE_BITS=64).
if [ "$QUORVEX_WINE_BITS" = 64 ]; then PATH="$(cd "$(dirname "$0")" && pwd)/wine64:$PATH"; fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Windows paths of Unix files: Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
export QUORVEX_DEVICE_PORT_FILE="$(windows_path "$device_dir/control.port")"
export QUORVEX_OPENED_LOG="$(windows_path "$device_dir/opened.log")"
exec wine "$@"
