#!/usr/bin/env python3
"""Writes valid models for the benchmarks.

    gen_model.py UNITS OUTPUT.va          the mixed model of bench.py
    gen_model.py SHAPE N OUTPUT.va        one shape of shapes.py, of size N

The mixed model: every unit adds the same handful of names and statements,
so the model's size is proportional to UNITS: two electrical names and a
named branch, two parameters (a real model parameter with a range, and
exclusions on every tenth unit; an integer device parameter), two real
variables, an integer and a genvar, and in the analog block an assignment
chain, an if/else, a for loop, a case, a repeat and four contributions to
branches of their own.  A fixed preamble adds two text macros and two analog
functions that the units call.  No name is declared twice, so the
translation reports nothing and ends with status 0.

The shapes (SHAPES below) each grow one thing: the nested ones nest
NESTED_STATEMENTS statements N deep, the linear ones repeat a construct N
times.  Every shape translates without errors.
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


# --- Shapes -----------------------------------------------------------------

# Statements per nested shape: each is nested N deep.
NESTED_STATEMENTS = 8

HEADER = ('`include "disciplines.vams"\n'
          "module s(p, n);\n"
          "electrical p, n;\n"
          "model parameter real r = 1k from (0:inf);\n"
          "real a, b, x, y;\n"
          "integer k;\n")

# One-argument analog function for the call shapes.
FUNCTION_F = ("analog function real f;\n"
              "  input u;\n"
              "  real u;\n"
              "  f = u + 1;\n"
              "endfunction\n")


def frame(statements, preamble="", declarations="", macros=""):
    return (macros + HEADER + declarations + preamble + "analog begin\n" + statements +
            "end\n"
            "endmodule\n")


def nested(opening, leaf, closing, preamble=""):
    """NESTED_STATEMENTS statements «x = opening^N leaf closing^N;»."""
    def make(n):
        body = "".join("  x = %s%s%s;\n" % (opening * n, leaf, closing * n)
                       for _ in range(NESTED_STATEMENTS))
        return frame(body, preamble)
    return make


def declarations(n):
    decl = []
    for i in range(n):
        decl.append("electrical e%d;\n" % i)
        decl.append("model parameter real r%d = %d.5 from (0:inf);\n" % (i, i % 97))
        decl.append("real v%d, w%d;\n" % (i, i))
        decl.append("integer i%d;\n" % i)
    return frame("  x = a;\n", declarations="".join(decl))


def statements(n):
    # About a hundred bytes a unit, of the statements the example models are
    # made of: assignments with probes and built-in calls, contributions,
    # if/else with a block, a for loop, and a comment line now and then.
    forms = [
        "  // unit %d: diode current\n"
        "  vd = V(p, n);\n"
        "  id = is * (exp(vd / vt) - 1);\n"
        "  I(p, n) <+ id + ddt(cj * vd);\n",
        "  if (vd > 0.5 && k != 0) begin\n"
        "    x = x + 1e-3 * vd;\n"
        "    y = sqrt(abs(x));\n"
        "  end\n"
        "  else\n"
        "    y = -vd;\n",
        "  x = (a + b) * (vd - y) / (r + 1) + pow(x, 2) - sin(a) * cos(b);\n"
        "  V(p) <+ x * r;\n",
        "  for (k = 0; k < 4; k = k + 1)\n"
        "    a = a + max(b, 0.1) * x;\n"
        "  I(p, n) <+ ddt(a) * 2.2n;\n",
    ]
    body = "".join(forms[i % len(forms)].replace("%d", str(i)) for i in range(n))
    return frame(body, declarations="real vd, id, vt, is, cj;\n")


def flat_sum(n):
    terms = "+".join("a" if i % 2 == 0 else "b" for i in range(n))
    return frame("  x = %s;\n" % terms)


def functions(n):
    funcs = []
    calls = []
    for i in range(n):
        funcs.append("analog function real g%d;\n"
                     "  input u; output w;\n"
                     "  real u, w, t;\n"
                     "  begin\n"
                     "    t = u * %d;\n"
                     "    w = t + 1;\n"
                     "    g%d = t - w;\n"
                     "  end\n"
                     "endfunction\n" % (i, i, i))
        calls.append("  x = g%d(a, y) + b;\n" % i)
    return frame("".join(calls), preamble="".join(funcs))


def macros(n):
    defs = []
    uses = []
    for i in range(n):
        defs.append("`define M%d(u) ((u) * %d + a)\n" % (i, i))
        defs.append("`define K%d %d.5\n" % (i, i))
        uses.append("  x = `M%d(b) + `K%d;\n" % (i, i))
    return frame("".join(uses), macros="".join(defs))


def lookups(n):
    # The same few names looked up again and again: a function, macros, a
    # branch, probes and contributions, inside a function body and out.
    defs = "`define SQ(u) ((u) * (u))\n`define G 2.5\n"
    pre = ("branch (p, n) br;\n"
           "analog function real h;\n"
           "  input u;\n"
           "  real u, t;\n"
           "  begin\n"
           "    t = u;\n" + "".join("    t = t + `SQ(u) * `G;\n" for _ in range(n)) +
           "    h = t;\n"
           "  end\n"
           "endfunction\n")
    body = "".join("  x = h(a) + `SQ(b) + V(p, n) + I(br);\n  I(br) <+ x;\n" for _ in range(n))
    return frame(body, preamble=pre, macros=defs)


SHAPES = {
    # nested N deep
    "parentheses": nested("(", "a", ")"),
    "right-sum": nested("a+(", "a", ")"),
    "power": nested("a^", "a", ""),
    "negation": nested("- ", "a", ""),
    "builtin-calls": nested("exp(", "a", ")"),
    "function-calls": nested("f(", "a", ")", FUNCTION_F),
    "conditional": nested("a ? ", "b", " : a"),
    # N times
    "declarations": declarations,
    "statements": statements,
    "flat-sum": flat_sum,
    "functions": functions,
    "macros": macros,
    "lookups": lookups,
}

NESTED = ("parentheses", "right-sum", "power", "negation", "builtin-calls", "function-calls",
          "conditional")


def main():
    args = sys.argv[1:]
    if len(args) == 2:
        text = model(int(args[0]))
    elif len(args) == 3 and args[0] in SHAPES:
        text = SHAPES[args[0]](int(args[1]))
    else:
        sys.exit("usage: gen_model.py UNITS OUTPUT.va\n"
                 "       gen_model.py SHAPE N OUTPUT.va   (SHAPE: %s)" % ", ".join(SHAPES))
    with open(args[-1], "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
