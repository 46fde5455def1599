#!/bin/sh
# Sets up this machine, builds everything and runs every test.
# Usage: sh tools/test.sh   (as root on a fresh machine, for the set-up)
set -e
cd "$(dirname "$0")/.."
started=$(date +%s)
# Says how long each step took, so that a slow one shows.
step_done() { echo "test.sh: $1 done at $(( $(date +%s) - started )) s"; }
sh tools/setup.sh
step_done "set-up"

# The text logic natively under sanitizers: its unit tests, then each fuzz
# target for a bounded time.
sh tools/native_tests.sh "${QUORVEX_FUZZ_SECONDS:-5}"
step_done "native tests and fuzzing"

# The code must also build for 64-bit Windows, and the tests of the lower
# floors pass there too, so that pointer-size faults show. The device's own
# tests run from the 32-bit build only.
tests64="framework_tests serial_channel_tests settings_tests text_tests"
cmake -S . -B build64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
      -DQUORVEX_TESTS=ON -DQUORVEX_DEVICE_TESTS=OFF >/dev/null
cmake --build build64 -j2 --target Quorvex $tests64
ctest --test-dir build64 --output-on-failure -R "^($(echo $tests64 | tr ' ' '|'))\$"
step_done "64-bit build and tests"

# The release package, built the way a release is made.
cmake -S . -B build-release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
      -DQUORVEX_TESTS=OFF >/dev/null
cmake --build build-release -j2 --target package >/dev/null
sh tools/check_release.sh build-release
step_done "release package"

cmake -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake >/dev/null
cmake --build build -j2
step_done "build"

# The virtual device's own tests, then the program's tests under Wine.
ctest --test-dir build/native --output-on-failure --no-tests=error
ctest --test-dir build --output-on-failure --no-tests=error
