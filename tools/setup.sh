#!/bin/sh
# Installs everything the build, the program and the tests need on a Debian
# machine. Run as root. Quiet and quick when everything is already present.
set -e

PACKAGES="cmake make g++ mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 \
wine wine32:i386 wine64 socat xvfb x11-apps xauth imagemagick libxml2-utils \
w3c-sgml-lib googletest zip python3 fonts-wine clang libclang-rt-dev"

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
apt-get update -qq
apt-get install -y -qq --no-install-recommends $missing >/dev/null
