#!/bin/sh
# Builds the Windows-free text logic (text/) for Linux with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, runs its unit tests, then
# runs each fuzz target (tests/fuzz/<name>_fuzz.cpp) for a bounded time and
# prints how many inputs it tried. A failed test, a crash or a sanitizer
# report fails the run; the input that caused it is left in
# build-native/fuzz-findings/.
# Usage: sh tools/native_tests.sh [seconds per fuzz target, default 15]
set -e
cd "$(dirname "$0")/.."
seconds=${1:-${QUORVEX_FUZZ_SECONDS:-15}}
out=build-native

cmake -S tests/native -B $out -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build $out -j2 >/dev/null
# Four at a time: the exchanges with lrzsz mostly wait.
ctest --test-dir $out -j4 --output-on-failure --no-tests=error

mkdir -p $out/fuzz-findings
rm -f $out/fuzz-findings/*.status
# Runs one fuzz target for its time; its output and exit status land in
# fuzz-findings/NAME.log and NAME.status.
fuzz_target() {
    name=$1
    # Inputs found to be new are kept between runs, apart from the seeds.
    corpus=$out/fuzz-corpus/$name
    mkdir -p "$corpus"
    seeds=tests/fuzz/corpus/$name
    [ -d "$seeds" ] || seeds=""
    rm -f "$out/fuzz-findings/$name"-*
    # The outer limit only catches a target that hangs past its own limit.
    status=0
    timeout $((seconds * 4 + 60)) "$out/${name}_fuzz" -max_total_time="$seconds" -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$out/fuzz-findings/$name-" \
        "$corpus" $seeds >"$out/fuzz-findings/$name.log" 2>&1 || status=$?
    echo $status >"$out/fuzz-findings/$name.status"
}
fuzz_targets() { for name; do fuzz_target "$name"; done; }

names=$(for source in tests/fuzz/*_fuzz.cpp; do
    [ -e "$source" ] || continue
    basename "$source" _fuzz.cpp
done)
# Two rows of targets side by side, each target for its whole time: a target
# keeps one core busy, and the machine has two.
fuzz_targets $(printf '%s\n' $names | sed -n 'p;n') &
fuzz_targets $(printf '%s\n' $names | sed -n 'n;p')
wait $!

failed=""
for name in $names; do
    log=$out/fuzz-findings/$name.log
    if [ "$(cat "$out/fuzz-findings/$name.status")" = 0 ]; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $name: $runs executions in $seconds s"
    else
        echo "fuzz $name: FAILED (log: $log)" >&2
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|artifact_prefix|Test unit written)' \
            "$log" >&2 || tail -20 "$log" >&2
        failed="$failed $name"
    fi
done
if [ -n "$failed" ]; then
    echo "fuzz targets that failed:$failed; their inputs are in $out/fuzz-findings/" >&2
    exit 1
fi
