#!/bin/sh
# Decides which build the Wine tests and tools/run.sh use, and why. Sourced:
# sets wine_bits (32 or 64), wine_side (a sentence for the user), and the
# build tree and toolchain file of that build (wine_build, wine_toolchain).
# A machine whose kernel runs no 32-bit programs cannot start Wine's 32-bit
# loader; `uname -m` says x86_64 on both kinds, so the probe runs a 32-bit
# program (the 32-bit dynamic loader itself). QUORVEX_WINE_BITS=32 or 64
# chooses by hand.
if [ -n "$QUORVEX_WINE_BITS" ]; then
    wine_bits=$QUORVEX_WINE_BITS
    wine_side="the $wine_bits-bit build (chosen by QUORVEX_WINE_BITS)"
elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    wine_bits=32
    wine_side="the 32-bit build (this machine runs 32-bit programs)"
else
    wine_bits=64
    wine_side="the 64-bit build (this machine runs no 32-bit programs)"
fi
if [ "$wine_bits" = 64 ]; then
    wine_build=build64 wine_toolchain=cmake/x86_64-w64-mingw32.cmake
else
    wine_build=build wine_toolchain=cmake/i686-w64-mingw32.cmake
fi
