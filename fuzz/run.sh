#!/bin/sh
# Fuzzes the whole translation for a given time:
#   fuzz/run.sh SECONDS [BUILD_DIR]
# BUILD_DIR (default build-fuzz) is configured and built with clang when the
# fuzz target is missing.  The corpus grows in BUILD_DIR/fuzz-corpus, seeded
# from fuzz/seeds, examples/ and the golden inputs; inputs that crash, hang
# or leak land in BUILD_DIR/fuzz-artifacts.  After a finding the fuzzer is
# started again until the time is used up.  Extra libFuzzer options may be
# given in ZELK_FUZZ_FLAGS.  Each piece prints its executions, executions per
# second and the coverage reached (cov: edges of the instrumented code).
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
total=${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}
build=${2:-$here/build-fuzz}
case $build in /*) ;; *) build=$(pwd)/$build ;; esac

bin=$build/zelk_fuzz_translate
if [ ! -x "$bin" ]; then
  CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DZELK_FUZZ=ON -DZELK_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target zelk_fuzz_translate >/dev/null
fi

corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
logs=$build/fuzz-logs
mkdir -p "$corpus" "$artifacts" "$logs"
for f in "$here"/fuzz/seeds/*.va "$here"/examples/*.va "$here"/tests/golden/cases/*/*.va; do
  [ -f "$f" ] && cp "$f" "$corpus/seed-$(basename "$(dirname "$f")")-$(basename "$f")"
done

start=$(date +%s)
piece=0
while :; do
  now=$(date +%s)
  left=$((total - (now - start)))
  [ "$left" -gt 0 ] || break
  piece=$((piece + 1))
  log=$logs/run-$(date +%Y%m%d-%H%M%S)-$piece.log
  # ASan's printf interceptor re-reads every "%s" argument of the trace
  # records, a fifth of the run time; the translator's own reads stay
  # checked.  Set ASAN_OPTIONS to choose otherwise.
  ASAN_OPTIONS=${ASAN_OPTIONS:-check_printf=0}
  export ASAN_OPTIONS
  # close_fd_mask=3: the translator's diagnostics (and the few trace records
  # it also prints on standard output) would flood the log.
  set +e
  "$bin" "$corpus" -dict="$here/fuzz/zelkpp.dict" -max_total_time="$left" \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 ${ZELK_FUZZ_FLAGS:-} >"$log" 2>&1
  status=$?
  set -e
  grep -E '^(Done |stat::|#[0-9]+[[:space:]]+DONE)' "$log" || true
  if [ "$status" -ne 0 ]; then
    echo "finding (status $status), see $log:"
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -5 || true
  fi
done
echo "artifacts in $artifacts:"
ls "$artifacts"
