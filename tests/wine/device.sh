#!/bin/sh
# Starts or stops the virtual device that plays COM1..COM4 for the tests.
#   device.sh start PREFIX DEVICE_DIR VDEV_PROGRAM
#   device.sh stop PREFIX DEVICE_DIR
set -e
action=$1 prefix=$2 device_dir=$3 program=$4
pid_file="$device_dir/vdev.pid"

stop_device() {
    if [ -f "$pid_file" ]; then
        kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file"
    fi
}

case "$action" in
start)
    stop_device
    mkdir -p "$device_dir"
    rm -f "$device_dir/control.port"
    "$program" --daemon --ports 1,2,3,4,12 --link-dir "$device_dir" --wineprefix "$prefix" \
        --control 0 --port-file "$device_dir/control.port" --pid-file "$pid_file" \
        </dev/null >>"$device_dir/vdev.log" 2>&1
    ;;
stop)
    stop_device
    ;;
esac
