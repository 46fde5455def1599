#!/bin/sh
# Installs everything the build, the program and the tests need on a Debian
# machine. Run as root. Quiet and quick when everything is already present.
set -e

PACKAGES="cmake make g++ mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
wine wine32:i386 wine64 socat xvfb x11-apps xauth imagemagick libxml2-utils \
w3c-sgml-lib googletest zip python3 fonts-wine clang libclang-rt-dev lrzsz libvterm-dev"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "setup: these packages are missing:$missing" >&2
    echo "setup: run this script as root to install them" >&2
    exit 1
fi

echo "setup: installing$missing"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

# A mirror being synced can refuse one architecture's index of a suite for a
# while. Try again; if that suite stays broken, install with it pinned below
# the others, so that both architectures take the same versions from the
# suites that are whole.
log=$(mktemp)
pin=/etc/apt/preferences.d/quorvex-setup-broken-suites
rm -f "$pin"
for try in 1 2 3; do
    apt-get update -qq >"$log" 2>&1 || true
    grep -q '^E:' "$log" || break
    echo "setup: the package index was incomplete (try $try of 3)"
    [ "$try" = 3 ] || sleep 15
done
broken=$(sed -n 's|^E: Failed to fetch .*/dists/\([^/]*\)/.*|\1|p' "$log" | sort -u)
rm -f "$log"
if [ -n "$broken" ]; then
    for suite in $broken; do
        echo "setup: the index of $suite stays broken; installing with $suite pinned below the others"
        printf 'Package: *\nPin: release n=%s\nPin-Priority: 100\n\n' "$suite" >>"$pin"
    done
fi
apt-get install -y -qq --no-install-recommends $missing >/dev/null
rm -f "$pin"
