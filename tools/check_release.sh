#!/bin/sh
# Checks the release package: the zip holds the program, the README and the
# licence, and the program is within its size budget of 256 KiB (128 KiB until
# reading and the file transfers came in; 96 KiB before the send engine, the
# live plot, line control and the desktop work).
# usage: check_release.sh BUILD_DIR
set -e
build=$1
limit=262144
zip=$(ls "$build"/Quorvex-*-win32.zip)
exe="$build/Quorvex.exe"
size=$(wc -c < "$exe")
echo "release: $(basename "$zip"), Quorvex.exe $size bytes (limit $limit)"
[ "$size" -le "$limit" ] || { echo "Quorvex.exe is larger than $limit bytes" >&2; exit 1; }
contents=$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
[ "$contents" = "LICENSE Quorvex.exe README.md" ] || { echo "unexpected package contents: $contents" >&2; exit 1; }
