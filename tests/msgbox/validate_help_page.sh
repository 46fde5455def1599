#!/bin/sh
# Writes the built-in help page with the helper program under Wine, then
# checks it against the XHTML 1.0 Strict DTD, offline, from the system's XML
# catalog.
# usage: validate_help_page.sh RUN_SH PREFIX DEVICE_DIR HELPER_EXE OUT_DIR
set -e
run=$1 prefix=$2 device_dir=$3 helper=$4 out_dir=$5
page="$out_dir/help_page_written.htm"
rm -f "$page"
mkdir -p "$out_dir"
sh "$run" "$prefix" "$device_dir" "$helper" write "$(printf 'Z:%s' "$page" | tr / '\\')"
test -s "$page"
# One line: no line break anywhere.
if [ "$(tr -d -c '\n\r' < "$page" | wc -c)" -ne 0 ]; then
    echo "the page contains line breaks"; exit 1
fi
# The DTD must come from the catalog; without it --valid could not check.
xmlcatalog /etc/xml/catalog "-//W3C//DTD XHTML 1.0 Strict//EN" | grep -q '^file:'
xmllint --noout --valid --nonet "$page"
echo "help page: valid XHTML 1.0 Strict"
rm -f "$page"
