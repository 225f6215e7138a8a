#!/bin/sh
# Plots the I-V curve of examples/diode.va, translated and compiled through
# the whole pipeline and solved by the model checker's Newton loop, over the
# curve of ngspice's built-in diode on the same parameters, with a log
# current axis.  Needs ngspice and gnuplot (Debian: ngspice, gnuplot-nox).
#
# usage: tools/zelk4th/plot_diode_iv.sh [BUILD_DIR [OUT_PNG]]
#        (defaults: build, docs/diode-iv.png)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/diode-iv.png}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/diode.va" "$root/examples/disciplines.vams" "$work"
cd "$work"

# The model with its default parameters: is = 10 fA, n = 1, rs = 10 ohm.
PATH="$build:$PATH" zelkpp diode.va >/dev/null
gcc -std=c99 -O1 -I. -DMODEL=diode -DMODEL_UPPER=DIODE -DMODEL_FILE='"diodeeq.c"' "$root/tests/zelk4th/model_check.c" -lm -o check
./check dc 0 0.05 0.95 180 > model.dat

cat > deck.cir <<'EOF'
* ngspice's diode with the example's parameters
V1 a 0 dc 0
D1 a 0 dmod
.model dmod d is=1e-14 n=1 rs=10
.options gmin=0 reltol=1e-12 abstol=1e-20 vntol=1e-15 temp=27 tnom=27
.control
set wr_singlescale
set numdgt=17
dc V1 0.05 0.95 0.025
wrdata spice.dat i(V1)
quit 0
.endc
.end
EOF
# Its own HOME keeps a ~/.spiceinit out; the time is bounded.
HOME="$work" timeout 120 ngspice -b deck.cir >/dev/null 2>&1
test -s spice.dat

gnuplot <<EOF
set terminal pngcairo size 820,560 font "Sans,11"
set output "$out"
set title "examples/diode.va compiled by zelk4th, against ngspice (is = 10 fA, n = 1, rs = 10 ohm, 27 C)"
set xlabel "V(a, c)  [V]"
set ylabel "current into a  [A]"
set logscale y
set format y "10^{%L}"
set grid
set key top left
plot "model.dat" using 1:2 with lines lw 3 lc rgb "#1f77b4" title "generated C, Newton solve of the internal node", \
     "spice.dat" using 1:(-\$2) with points pt 6 ps 1.3 lc rgb "#d62728" title "ngspice built-in diode"
EOF
echo "wrote $out"
