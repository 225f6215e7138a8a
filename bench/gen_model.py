#!/usr/bin/env python3
"""Writes one large, valid model for the benchmark.

    gen_model.py UNITS OUTPUT.va

Every unit adds the same handful of names and statements, so the model's
size is proportional to UNITS: two electrical names and a named branch,
two parameters (a real model parameter with a range, and exclusions on
every tenth unit; an integer device parameter), two real variables, an integer and a genvar,
and in the analog block an assignment chain, an if/else, a for loop, a
case, a repeat and four contributions to branches of their own.  A fixed
preamble adds two text macros and two analog functions that the units
call.  No name is declared twice, so the translation reports nothing and
ends with status 0.
"""
import sys


def model(units):
    out = []
    w = out.append
    w("// Benchmark model: %d units.\n" % units)
    w('`include "disciplines.vams"\n')
    w("`define GAIN 1.5\n")
    w("`define SQR(x) ((x)*(x))\n")
    w("module big(p0, q0);\n")
    for i in range(units):
        w("electrical p%d, q%d;\n" % (i, i))
    for i in range(units):
        w("branch (p%d, q%d) b%d;\n" % (i, i, i))
    for i in range(units):
        # Exclusions only now and then: each one draws a warning line.
        excl = " exclude (1:2) exclude [3:4]" if i % 10 == 0 else ""
        w("model parameter real r%d = %d.5k from (0:inf)%s;\n" % (i, i % 97 + 1, excl))
        w("device parameter integer m%d = %d from [1:100];\n" % (i, i % 90 + 1))
    for i in range(units):
        w("real x%d, y%d;\n" % (i, i))
        w("integer k%d;\n" % i)
        w("genvar g%d;\n" % i)
    w("analog function real fsq;\n"
      "  input a; output c;\n"
      "  real a, c, t;\n"
      "  begin\n"
      "    t = a * a;\n"
      "    c = t;\n"
      "    fsq = t + `GAIN;\n"
      "  end\n"
      "endfunction\n")
    w("analog function integer fnext;\n"
      "  input n;\n"
      "  integer n;\n"
      "  fnext = n + 1;\n"
      "endfunction\n")
    w("analog begin\n")
    for i in range(units):
        w("  // unit %d\n" % i)
        w("  x%d = V(p%d, q%d) / r%d + `SQR(m%d) * 2.2n - exp(-V(p%d)) ^ 2;\n"
          % (i, i, i, i, i, i))
        w("  y%d = fsq(x%d, y%d) + ln(abs(x%d) + 1e-3);\n" % (i, i, i, i))
        w("  if (x%d > y%d && k%d != 0) x%d = x%d - 1; else y%d = y%d + x%d;\n"
          % (i, i, i, i, i, i, i, i))
        w("  for (k%d = 0; k%d < %d; k%d = k%d + 1) y%d = y%d * 0.5;\n"
          % (i, i, i % 7 + 2, i, i, i, i))
        w("  case (k%d)\n    0, 1: x%d = 0;\n    2: begin x%d = 1; y%d = 2; end\n"
          "    default : x%d = fnext(k%d);\n  endcase\n" % (i, i, i, i, i, i))
        w("  repeat (k%d + 2) y%d = y%d + 1;\n" % (i, i, i))
        w("  I(p%d, q%d) <+ x%d * y%d;\n" % (i, i, i, i))
        w("  V(b%d) <+ ddt(y%d) * 1.5u;\n" % (i, i))
        w("  I(q%d) <+ max(x%d, y%d);\n" % (i, i, i))
        w("  V(p%d) <+ (x%d ? y%d : -y%d);\n" % (i, i, i, i))
    w("end\n")
    w("endmodule\n")
    return "".join(out)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: gen_model.py UNITS OUTPUT.va")
    units = int(sys.argv[1])
    with open(sys.argv[2], "w") as f:
        f.write(model(units))


if __name__ == "__main__":
    main()
