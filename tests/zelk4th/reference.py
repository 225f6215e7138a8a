#!/usr/bin/python3
"""Independent references for the compiled models, at 40 significant digits.

    reference.py MODEL X... [name=value ...]

Each model is written here again from its equations, in mpmath arithmetic;
every derivative is mpmath's numerical derivative at that precision. Prints,
like model_check's "full", one line per equation: i q, then d i/d x[j] and
d q/d x[j] for every unknown j (node voltages, then branch currents, in the
order of the generated unknown table).
"""
import sys

from mpmath import mp, mpf, exp, log, findroot, diff, factorial

mp.dps = 40
K_B = mpf("1.38064852e-23")
Q_E = mpf("1.6021766208e-19")


def vt(p):
    return K_B * p["temp"] / Q_E


def stamp(f, a, b, e):
    f[a] += e
    if b is not None:
        f[b] -= e


def varactor(x, p):
    va, vc = x
    v = va - vc
    vf = p["fc"] * p["vj"]
    cj0, vj, m, fc = p["cj0"], p["vj"], p["m"], p["fc"]
    if v < vf:
        q = cj0 * vj / (1 - m) * (1 - (1 - v / vj) ** (1 - m))
    else:
        dv = v - vf
        q = cj0 * vj / (1 - m) * (1 - (1 - fc) ** (1 - m)) + cj0 / (1 - fc) ** m * (dv + m * dv**2 / (2 * vj * (1 - fc)))
    i, c = [mpf(0)] * 2, [mpf(0)] * 2
    stamp(i, 0, 1, p["gleak"] * v)
    stamp(c, 0, 1, q)
    return i, c


def njf(x, p):
    vd, vg, vs = x
    vds, vgs, sign = vd - vs, vg - vs, 1
    if vds < 0:
        vds, vgs, sign = -vds, vg - vd, -1
    vgst = vgs - p["vto"]
    if vgst <= 0:
        ids = mpf(0)
    elif vds < vgst:
        ids = p["beta"] * vds * (2 * vgst - vds) * (1 + p["lambda"] * vds)
    else:
        ids = p["beta"] * vgst**2 * (1 + p["lambda"] * vds)
    i = [mpf(0)] * 3
    stamp(i, 0, 2, sign * ids)
    stamp(i, 1, 2, p["is"] * (exp((vg - vs) / vt(p)) - 1))
    stamp(i, 1, 0, p["is"] * (exp((vg - vd) / vt(p)) - 1))
    return i, [mpf(0)] * 3


def polyres(x, p):
    u = (x[0] - x[1]) / p["v0"]
    series = sum(u**k / factorial(k) for k in range(int(p["order"]) + 1))
    y = findroot(lambda y: y + y**3 - u, u / (1 + abs(u)))
    i = [mpf(0)] * 2
    stamp(i, 0, 1, p["g1"] * p["v0"] * (series - 1) + p["g3"] * p["v0"] * y)
    return i, [mpf(0)] * 2


def tdiode(x, p):
    vth = p["n"] * vt(p)
    ratio = p["temp"] / (p["tnom"] + mpf("273.15"))
    ist = p["is"] * ratio ** (p["xti"] / p["n"]) * exp((ratio - 1) * p["eg"] / vth)
    i = [mpf(0)] * 2
    stamp(i, 0, 1, ist * (exp((x[0] - x[1]) / vth) - 1))
    return i, [mpf(0)] * 2


def sdiode(x, p):
    va, vc, vci, ires = x  # ports a c, internal ci, current of branch (a, ci)
    vd = vci - vc
    i, q = [mpf(0)] * 4, [mpf(0)] * 4
    stamp(i, 2, 1, p["is"] * (exp(vd / (p["n"] * vt(p))) - 1))
    stamp(q, 2, 1, p["cj0"] * vd)
    stamp(i, 0, 2, ires)
    i[3] = va - vci - p["rs"] * ires
    return i, q


def rl(x, p):
    vp, vn, il = x
    i, q = [mpf(0)] * 3, [mpf(0)] * 3
    stamp(i, 0, 1, il)
    i[2] = vp - vn - p["r"] * il
    q[2] = -p["l"] * il
    return i, q


MODELS = {
    "varactor": (varactor, dict(cj0="10e-12", vj="0.8", m="0.5", fc="0.5", gleak="1e-12")),
    "njf": (njf, dict(beta="1e-3", vto="-2", **{"lambda": "0.02"}, is_="1e-14")),
    "polyres": (polyres, dict(g1="1e-3", g3="0.5e-3", v0="0.5", order="6")),
    "tdiode": (tdiode, dict(is_="1e-14", n="1", eg="1.11", xti="3", tnom="27")),
    "sdiode": (sdiode, dict(is_="1e-14", n="1", rs="0", cj0="1e-12")),
    "rl": (rl, dict(r="1", l="1e-6")),
}


def main(argv):
    model, defaults = MODELS[argv[1]]
    params = {k.rstrip("_"): mpf(v) for k, v in defaults.items()}
    params.setdefault("temp", mpf("300.15"))
    x = []
    for a in argv[2:]:
        if "=" in a:
            name, value = a.split("=")
            params[name] = mpf(value)
        else:
            x.append(mpf(a))
    i, q = model(x, params)
    for k in range(len(x)):
        def part(which, j):
            def f(t):
                y = list(x)
                y[j] = t
                return model(y, params)[which][k]
            return diff(f, x[j])
        row = [i[k], q[k]] + [part(0, j) for j in range(len(x))] + [part(1, j) for j in range(len(x))]
        print(" ".join(mp.nstr(v, 25) for v in row))


if __name__ == "__main__":
    main(sys.argv)
