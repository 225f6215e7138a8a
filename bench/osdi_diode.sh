#!/bin/bash
# The translated diode against ngspice's own diode, in one command:
#   bench/osdi_diode.sh [BUILD_DIR] [REPEATS]
# (defaults: build, 3).  Translates examples/diode.va, builds diode.osdi,
# and runs the same circuit twice in ngspice, once with the module and once
# with the built-in diode: 300 half-wave rectifiers (100 ohm, diode with
# rs = 10 ohm and 2 pF, 1 nF || 10 kohm) driven by one 5 V, 1 MHz sine, a
# 20,000-point transient (tran 1n 20u), one thread.  Prints the CPU time of
# each ngspice process (user + system, best of REPEATS), the work both did,
# and the ratio.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
repeats=${2:-3}
command -v ngspice >/dev/null || { echo "needs ngspice (tools/install-ngspice.sh)" >&2; exit 1; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zelk-osdibench.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cp "$here/../examples/diode.va" "$here/../examples/disciplines.vams" "$tmp"
(cd "$tmp" && PATH="$build:$PATH" zelkpp diode.va >/dev/null && "$build/zelk4th" --osdi diodeeq.cpp diode.osdi)

# deck KIND: the circuit with the module (osdi) or the built-in diode.
deck() {
  echo "* 300 half-wave rectifiers, $1"
  echo "Vin in 0 dc 0 sin(0 5 1meg)"
  for k in $(seq 300); do
    echo "R$k in a$k 100"
    if [ "$1" = osdi ]; then echo "N$k a$k o$k dmod"; else echo "D$k a$k o$k dmod"; fi
    echo "C$k o$k 0 1n"
    echo "RL$k o$k 0 10k"
  done
  if [ "$1" = osdi ]; then
    echo ".model dmod diode_va is=1e-14 n=1 rs=10 cj0=2p"
  else
    echo ".model dmod d is=1e-14 n=1 rs=10 cjo=2p m=0"
  fi
  echo ".options gmin=0"
  echo ".control"
  echo "set num_threads=1"
  [ "$1" = osdi ] && echo "pre_osdi $tmp/diode.osdi"
  echo "tran 1n 20u"
  echo "rusage totiter traniter tranpoints trancuts"
  echo "let vout = v(o1)"
  echo "print vout[20000]"
  echo "quit 0"
  echo ".endc"
  echo ".end"
}

# cpu KIND: CPU seconds of one ngspice run (its output in $tmp/KIND.log).
cpu() {
  local TIMEFORMAT='%U %S'
  { time HOME="$tmp" ngspice -b "$tmp/$1.cir" >"$tmp/$1.log" 2>"$tmp/$1.err"; } 2>"$tmp/$1.time"
  awk '{ printf "%.3f", $1 + $2 }' "$tmp/$1.time"
}

declare -A best
for kind in builtin osdi; do deck "$kind" >"$tmp/$kind.cir"; done
for r in $(seq "$repeats"); do
  for kind in builtin osdi; do
    t=$(cpu "$kind")
    if [ -z "${best[$kind]:-}" ] || awk -v a="$t" -v b="${best[$kind]}" 'BEGIN { exit !(a < b) }'; then
      best[$kind]=$t
    fi
  done
done
for kind in builtin osdi; do
  grep -q "Transient timepoints" "$tmp/$kind.log" || { echo "the $kind run failed:" >&2; cat "$tmp/$kind.log" "$tmp/$kind.err" >&2; exit 1; }
  printf '%-8s %7.3f s CPU  ' "$kind" "${best[$kind]}"
  awk '/Total iterations/ { it = $4 } /Transient timepoints/ { tp = $4 } /Transient iterations =/ { ti = $4 }
       /vout\[20000\]/ { v = $3 }
       END { printf "%s time points, %s iterations, v(o1) at the end %s V\n", tp, it, v }' "$tmp/$kind.log"
done
awk -v a="${best[osdi]}" -v b="${best[builtin]}" 'BEGIN { printf "ratio translated / built-in: %.2f\n", a / b }'
