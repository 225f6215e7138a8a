#!/bin/sh
# Line and region coverage of the translator's sources reached by a corpus:
#   fuzz/coverage.sh [BUILD_DIR] [CORPUS_DIR]
# (defaults: build-fuzz and its fuzz-corpus).  Builds the coverage-
# instrumented replay target, runs every corpus input once and prints the
# llvm-cov summary for src/ (the generated parser and scanner included).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-fuzz}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac
corpus=${2:-$build/fuzz-corpus}
cmake --build "$build" -j2 --target zelk_fuzz_coverage >/dev/null
prof=$build/fuzz-coverage
rm -rf "$prof"
mkdir -p "$prof"
LLVM_PROFILE_FILE="$prof/run.profraw" "$build/zelk_fuzz_coverage" -runs=0 -close_fd_mask=3 \
  "$corpus" >"$prof/replay.log" 2>&1
llvm-profdata merge -sparse "$prof/run.profraw" -o "$prof/run.profdata"
llvm-cov report "$build/zelk_fuzz_coverage" -instr-profile="$prof/run.profdata" \
  "$here/src" "$build/generated"
