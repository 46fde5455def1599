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

# The Wine tests run the 32-bit build where this machine runs 32-bit
# programs, and the 64-bit build under Wine's 64-bit loader where it doesn't.
. tools/wine_side.sh
echo "Wine tests: $wine_side"
cmake -S . -B $wine_build -DCMAKE_TOOLCHAIN_FILE=$wine_toolchain \
      -DQUORVEX_TESTS=ON -DQUORVEX_DEVICE_TESTS=ON >/dev/null
cmake --build $wine_build -j2
step_done "build ($wine_bits-bit)"

# The virtual device's own tests, then the program's tests under Wine. They
# spend most of their minutes waiting on windows, timers and the device, so
# they run in the background while the other steps use the cores; their
# output follows at the end.
wine_log=$wine_build/wine-tests.log
(
    ctest --test-dir $wine_build/native --output-on-failure --no-tests=error
    ctest --test-dir $wine_build --output-on-failure --no-tests=error
) >$wine_log 2>&1 &
wine_tests=$!
# A step that fails ends this script only once the Wine tests have finished,
# so that they leave no wineserver or device behind.
trap 'echo "test.sh: waiting for the Wine tests (output in $wine_log)" >&2
      wait $wine_tests || true' EXIT
echo "test.sh: device and Wine tests started (output in $wine_log)"

# The text logic natively under sanitizers: its unit tests, then each fuzz
# target for a bounded time.
sh tools/native_tests.sh "${QUORVEX_FUZZ_SECONDS:-5}"
step_done "native tests and fuzzing"

# Where the Wine tests ran the 32-bit build, the code must also build for
# 64-bit Windows, and the tests of the lower floors pass there too, so that
# pointer-size faults show.
if [ "$wine_bits" = 32 ]; then
    tests64="framework_tests serial_channel_tests settings_tests text_tests"
    cmake -S . -B build64 -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
          -DQUORVEX_TESTS=ON -DQUORVEX_DEVICE_TESTS=OFF >/dev/null
    cmake --build build64 -j2 --target Quorvex $tests64
    ctest --test-dir build64 --output-on-failure -R "^($(echo $tests64 | tr ' ' '|'))\$"
    step_done "64-bit build and tests"
fi

# The release package, the 32-bit program, built the way a release is made
# (on either kind of machine).
cmake -S . -B build-release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
      -DQUORVEX_TESTS=OFF >/dev/null
cmake --build build-release -j2 --target package >/dev/null
sh tools/check_release.sh build-release
step_done "release package"

trap - EXIT
status=0
wait $wine_tests || status=$?
cat $wine_log
[ $status = 0 ]
step_done "device and Wine tests"
