#!/bin/sh
# Line coverage of text/ reached by a fuzz target's seeds together with the
# inputs its runs have kept (build-native/fuzz-corpus/NAME, left by
# tools/native_tests.sh). Needs llvm-profdata and llvm-cov (package llvm).
# Usage: sh tools/fuzz_coverage.sh NAME     (NAME as in tests/fuzz/NAME_fuzz.cpp)
set -e
cd "$(dirname "$0")/.."
name=$1 out=build-native/coverage
mkdir -p $out build-native/fuzz-corpus/$name
clang++ -std=c++17 -O1 -fprofile-instr-generate -fcoverage-mapping -fsanitize=fuzzer -I. \
    tests/fuzz/${name}_fuzz.cpp text/*.cpp -o $out/$name
rm -f $out/$name.profraw
# -runs=0: every input of the corpus once, no fuzzing.
LLVM_PROFILE_FILE=$out/$name.profraw $out/$name -runs=0 \
    tests/fuzz/corpus/$name build-native/fuzz-corpus/$name >$out/$name.log 2>&1
llvm-profdata merge -o $out/$name.profdata $out/$name.profraw
llvm-cov report $out/$name -instr-profile=$out/$name.profdata text/*.cpp
