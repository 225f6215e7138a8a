#!/bin/sh
# Plots a transient of the half-wave rectifier of examples/rectifier.cir:
# examples/diode.va built into an OSDI module by `zelk4th --osdi` and loaded
# into ngspice, beside ngspice's own diode on the same parameters, in the
# same run.  Top: the input and both outputs; bottom: both diode currents.
# Needs ngspice with OSDI and gnuplot (Debian: tools/install-ngspice.sh,
# gnuplot-nox).
#
# usage: tools/zelk4th/plot_rectifier.sh [BUILD_DIR [OUT_PNG]]
#        (defaults: build, docs/osdi-rectifier.png)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/osdi-rectifier.png}
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/diode.va" "$root/examples/disciplines.vams" "$work"
cd "$work"
PATH="$build:$PATH" zelkpp diode.va >/dev/null
"$build/zelk4th" --osdi diodeeq.cpp diode.osdi

# The circuit of examples/rectifier.cir, with a 0 V source measuring each
# diode's current.
cat > deck.cir <<'EOF'
* half-wave rectifier, translated diode and ngspice's diode
Vin in 0 dc 0 sin(0 5 1k)
Va in a 0
N1 a out dmod
C1 out 0 10u
R1 out 0 1k
Vb in b 0
D2 b ref dref
C2 ref 0 10u
R2 ref 0 1k
.model dmod diode_va is=1e-14 n=1 rs=10 cj0=2p
.model dref d is=1e-14 n=1 rs=10 cjo=2p m=0
.control
set num_threads=1
set wr_singlescale
set numdgt=17
pre_osdi diode.osdi
tran 2u 4m 0 2u
wrdata rect.dat v(in) v(out) v(ref) i(Va) i(Vb)
quit 0
.endc
.end
EOF
# Its own HOME keeps a ~/.spiceinit out; the time is bounded.
HOME="$work" timeout 120 ngspice -b deck.cir >/dev/null 2>&1
test -s rect.dat

gnuplot <<EOF
set terminal pngcairo size 860,640 font "Sans,11"
set output "$out"
set multiplot layout 2,1 title "Half-wave rectifier in ngspice 46: examples/diode.va as an OSDI module (zelk4th --osdi) against ngspice's diode\nis = 10 fA, n = 1, rs = 10 ohm, 2 pF; 1 kohm || 10 uF; 5 V, 1 kHz"
set grid
set key bottom right opaque
set xrange [0:4]
set ylabel "voltage  [V]"
set format x ""
plot "rect.dat" using (\$1*1e3):2 with lines lw 1 lc rgb "#888888" title "v(in)", \
     "rect.dat" using (\$1*1e3):3 with lines lw 3 lc rgb "#1f77b4" title "v(out), translated diode", \
     "rect.dat" every 40 using (\$1*1e3):4 with points pt 6 ps 1.1 lc rgb "#d62728" title "v(out), ngspice's diode"
set xlabel "time  [ms]"
set ylabel "diode current  [mA]"
set format x "%g"
set key top right
plot "rect.dat" using (\$1*1e3):(\$5*1e3) with lines lw 3 lc rgb "#1f77b4" title "translated diode", \
     "rect.dat" every 10 using (\$1*1e3):(\$6*1e3) with points pt 6 ps 0.9 lc rgb "#d62728" title "ngspice's diode"
unset multiplot
EOF
echo "wrote $out"
