#!/bin/sh
# The benchmark, in one command:
#   bench/run.sh [PATH/TO/zelkpp] [UNITS] [bench.py options...]
# (defaults: build/zelkpp, 4000 units; --instructions also counts the
# executed instructions with callgrind).  Times the translator on a
# generated model of UNITS units and on one of twice as many, and prints
# the time ratio.  When the library the program was built from (libzelkcore.a beside
# it) is there, it also links a variant whose trace writes every record at
# once, to time the run before and after the trace's buffering.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zelkpp=${1:-$here/../build/zelkpp}
units=${2:-4000}
[ $# -gt 2 ] && shift 2 || set --
builddir=$(cd "$(dirname "$zelkpp")" && pwd)

extra=""
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zelkbench-bin.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
if [ -f "$builddir/libzelkcore.a" ] && [ -d "$builddir/generated" ]; then
  if ${CXX:-c++} -O2 -g -std=c++17 -I"$here/../src" -I"$builddir/generated" \
      "$here/trace_unbuffered.cpp" "$here/../src/driver/main.cpp" "$builddir/libzelkcore.a" \
      -o "$tmp/zelkpp-unbuffered"; then
    extra="--unbuffered $tmp/zelkpp-unbuffered"
  fi
fi
# shellcheck disable=SC2086
python3 "$here/bench.py" "$zelkpp" --units "$units" $extra "$@"
