#!/bin/sh
# Plots the I-V curve of examples/diode.va, built into an OSDI module by
# `zelk4th --osdi` and swept in ngspice, over the curve of ngspice's own
# diode on the same parameters in the same run, with a log current axis.
# Needs ngspice with OSDI and gnuplot (Debian: tools/install-ngspice.sh,
# gnuplot-nox).
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
PATH="$build:$PATH" zelkpp diode.va >/dev/null
"$build/zelk4th" --osdi diodeeq.cpp diode.osdi

# The model with its default parameters (is = 10 fA, n = 1, rs = 10 ohm) and
# ngspice's diode, each measured by a 0 V source.
cat > deck.cir <<'EOF2'
* the translated diode and ngspice's diode
V1 in 0 dc 0
Va in a 0
N1 a 0 dmod
Vb in b 0
D2 b 0 dref
.model dmod diode_va
.model dref d is=1e-14 n=1 rs=10
.options gmin=0 reltol=1e-12 abstol=1e-20 vntol=1e-15 temp=27 tnom=27
.control
set num_threads=1
set wr_singlescale
set numdgt=17
pre_osdi diode.osdi
dc V1 0.05 0.95 0.005
wrdata iv.dat i(Va) i(Vb)
quit 0
.endc
.end
EOF2
# Its own HOME keeps a ~/.spiceinit out; the time is bounded.
HOME="$work" timeout 120 ngspice -b deck.cir >/dev/null 2>&1
test -s iv.dat

gnuplot <<EOF2
set terminal pngcairo size 820,560 font "Sans,11"
set output "$out"
set title "examples/diode.va as an OSDI module (zelk4th --osdi) against ngspice's diode\nis = 10 fA, n = 1, rs = 10 ohm, 27 C"
set xlabel "V(a, c)  [V]"
set ylabel "current into a  [A]"
set logscale y
set format y "10^{%L}"
set grid
set key top left
plot "iv.dat" using 1:2 with lines lw 3 lc rgb "#1f77b4" title "translated diode", \
     "iv.dat" every 5 using 1:3 with points pt 6 ps 1.3 lc rgb "#d62728" title "ngspice's diode"
EOF2
echo "wrote $out"
