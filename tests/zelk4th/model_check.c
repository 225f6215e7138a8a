/* model_check: exercises one model compiled by the fourth stage.
 *
 * Built with the generated file:
 *   cc -std=c99 -DMODEL=diode -DMODEL_UPPER=DIODE -DMODEL_FILE='"diodeeq.c"' model_check.c -lm
 *
 * Parameters not given as name=value get their defaults.
 *
 *   model_check fd COUNT LO HI [name=value ...]
 *       Derivative check at COUNT pseudo-random node voltage vectors with
 *       every voltage in [LO, HI]: each g[k][j] and c[k][j] against a central
 *       difference of i[k] and q[k], and every nonzero one against the
 *       Jacobian table of the header.  Prints the worst relative error;
 *       exits with 1 when a derivative is off by more than 1e-6 or missing
 *       from the table.
 *   model_check dc PORT V0 V1 STEPS [name=value ...]
 *       Drives port PORT (0 for the first) from V0 to V1 in STEPS steps, the
 *       other ports at 0 V, solves the internal nodes by Newton's method and
 *       prints "V I Q" per point: current and charge at the driven port.
 *   model_check ac PORT V FREQ [name=value ...]
 *       Small-signal admittance of the driven port at bias V and frequency
 *       FREQ, internal nodes eliminated: "Re Im".
 *   model_check point X... [name=value ...]
 *       One evaluation at the given unknowns (node voltages, then branch
 *       currents, in the order of the unknown table): "name i q" per
 *       equation.
 *   model_check full X... [name=value ...]
 *       The same with every derivative: "i q g[k][0..] c[k][0..]" per equation.
 *   model_check tran PORT AMPL FREQ STEPS PERIODS [name=value ...]
 *       Drives port PORT with AMPL sin(2 pi FREQ t) from rest, the other
 *       ports at 0 V, trapezoidal rule with STEPS steps per period: "t I" per
 *       step, the current into the driven port.
 *
 * Exit status 2 for a bad command line, 3 for a parameter out of range,
 * 4 when Newton's method does not converge.
 */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include MODEL_FILE

#define CAT2(a, b) a##_##b
#define CAT(a, b) CAT2(a, b)
#define ZM(x) CAT(MODEL, x)
#define ZU(x) CAT(MODEL_UPPER, x)

#define NA ((int)(sizeof ZM(unknown_names) / sizeof ZM(unknown_names)[0]))
#define NPORTS ((int)(sizeof ZM(port_nodes) / sizeof ZM(port_nodes)[0]))

static ZM(params) P;

static void evaluate(const double *v, ZM(result) *r)
{
    if (ZM(evaluate)(v, &P, r) != 0) {
        fprintf(stderr, "model_check: the model computed a value that is not finite\n");
        exit(5);
    }
}

/* ---- derivative check ---- */

static unsigned long long lcg_state = 12345;
static double uniform(double lo, double hi)
{
    lcg_state = lcg_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return lo + (hi - lo) * (double)(lcg_state >> 11) / 9007199254740992.0;
}

/* Largest error of one analytic derivative against its central difference,
   relative to 1e-6 of its size (1 is the limit).  The floor covers the
   rounding of the difference quotient. */
static double score(double analytic, double fp, double fm, double h)
{
    double fd = (fp - fm) / (2.0 * h);
    double tol = 1e-6 * fmax(fabs(analytic), fabs(fd)) + 64.0 * 2.2e-16 * (fabs(fp) + fabs(fm)) / (2.0 * h) + 1e-30;
    return fabs(analytic - fd) / tol;
}

/* The entries the header says can be nonzero. */
static unsigned char resist_ok[NA][NA], react_ok[NA][NA];
#define MARK(e, u, rs, rc) resist_ok[e][u] = rs; react_ok[e][u] = rc;

static int derivative_check(int count, double lo, double hi)
{
    double worst = 0.0;
    int n, j, k, bad = 0;
    static ZM(result) r, rp, rm;
    ZU(JACOBIAN)(MARK)
    for (n = 0; n < count; n++) {
        double v[NA];
        for (k = 0; k < NA; k++) v[k] = uniform(lo, hi);
        evaluate(v, &r);
        for (j = 0; j < NA; j++) {
            double save = v[j];
            double h = 1e-6 * fmax(1.0, fabs(save));
            v[j] = save + h;
            evaluate(v, &rp);
            v[j] = save - h;
            evaluate(v, &rm);
            v[j] = save;
            for (k = 0; k < NA; k++) {
                double sg = score(r.g[k][j], rp.i[k], rm.i[k], h);
                double sc = score(r.c[k][j], rp.q[k], rm.q[k], h);
                if (sg > 1.0 || sc > 1.0) {
                    if (bad++ < 10)
                        fprintf(stderr, "point %d: d/dv(%s) of node %s: g=%.17g (fd %.17g) c=%.17g (fd %.17g)\n", n,
                                ZM(unknown_names)[j], ZM(unknown_names)[k], r.g[k][j], (rp.i[k] - rm.i[k]) / (2 * h),
                                r.c[k][j], (rp.q[k] - rm.q[k]) / (2 * h));
                }
                worst = fmax(worst, fmax(sg, sc));
                if ((r.g[k][j] != 0.0 && !resist_ok[k][j]) || (r.c[k][j] != 0.0 && !react_ok[k][j])) {
                    if (bad++ < 10)
                        fprintf(stderr, "point %d: d/dx(%s) of equation %s is not in the Jacobian table\n", n,
                                ZM(unknown_names)[j], ZM(unknown_names)[k]);
                }
            }
        }
    }
    printf("points %d worst %.3g bad %d\n", count, worst, bad);
    return bad ? 1 : 0;
}

/* ---- operating point ---- */

static int is_port(int node)
{
    int p;
    for (p = 0; p < NPORTS; p++)
        if (ZM(port_nodes)[p] == node) return 1;
    return 0;
}

/* Solves a[n][n] x = b in place (partial pivoting); 0 when singular. */
static int solve(int n, double a[NA][NA], double *b)
{
    int i, j, k;
    for (k = 0; k < n; k++) {
        int piv = k;
        for (i = k + 1; i < n; i++)
            if (fabs(a[i][k]) > fabs(a[piv][k])) piv = i;
        if (a[piv][k] == 0.0) return 0;
        for (j = 0; j < n; j++) {
            double t = a[k][j];
            a[k][j] = a[piv][j];
            a[piv][j] = t;
        }
        { double t = b[k]; b[k] = b[piv]; b[piv] = t; }
        for (i = k + 1; i < n; i++) {
            double f = a[i][k] / a[k][k];
            for (j = k; j < n; j++) a[i][j] -= f * a[k][j];
            b[i] -= f * b[k];
        }
    }
    for (k = n - 1; k >= 0; k--) {
        for (j = k + 1; j < n; j++) b[k] -= a[k][j] * b[j];
        b[k] /= a[k][k];
    }
    return 1;
}

/* Internal node voltages for the port voltages in v (kept as the start). */
static int newton(double *v, ZM(result) *r)
{
    int internal[NA], ni = 0, k, j, it;
    for (k = 0; k < NA; k++)
        if (!is_port(k)) internal[ni++] = k;
    for (it = 0; it < 200; it++) {
        double a[NA][NA], b[NA], step = 0.0;
        evaluate(v, r);
        if (ni == 0) return 1;
        for (k = 0; k < ni; k++) {
            b[k] = -r->i[internal[k]];
            for (j = 0; j < ni; j++) a[k][j] = r->g[internal[k]][internal[j]];
        }
        if (!solve(ni, a, b)) return 0;
        for (k = 0; k < ni; k++) {
            double dx = fmax(-0.1, fmin(0.1, b[k]));
            v[internal[k]] += dx;
            step = fmax(step, fabs(dx) / (1.0 + fabs(v[internal[k]])));
        }
        if (step < 1e-15) {
            evaluate(v, r);
            return 1;
        }
    }
    return 0;
}

static int dc_sweep(int port, double v0, double v1, int steps)
{
    double v[NA];
    int k, s;
    ZM(result) r;
    for (k = 0; k < NA; k++) v[k] = 0.0;
    for (s = 0; s <= steps; s++) {
        double vp = v0 + (v1 - v0) * s / steps;
        v[ZM(port_nodes)[port]] = vp;
        if (!newton(v, &r)) {
            fprintf(stderr, "model_check: no convergence at %g V\n", vp);
            return 4;
        }
        printf("%.17g %.17g %.17g\n", vp, r.i[ZM(port_nodes)[port]], r.q[ZM(port_nodes)[port]]);
    }
    return 0;
}

/* ---- small signal ---- */

typedef struct { double re, im; } cplx;
static cplx cmul(cplx a, cplx b) { cplx r = {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; return r; }
static cplx cdiv(cplx a, cplx b)
{
    double d = b.re * b.re + b.im * b.im;
    cplx r = {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
    return r;
}
static cplx csub(cplx a, cplx b) { cplx r = {a.re - b.re, a.im - b.im}; return r; }

/* Admittance of the driven port, the internal nodes eliminated (Gaussian
   elimination of the internal rows of Y = G + j w C, the driven row last). */
static int admittance(int port, double bias, double freq)
{
    double v[NA], w = 2.0 * 3.14159265358979323846 * freq;
    int order[NA], n = 0, k, i, j;
    cplx y[NA][NA];
    ZM(result) r;
    for (k = 0; k < NA; k++) v[k] = 0.0;
    v[ZM(port_nodes)[port]] = bias;
    if (!newton(v, &r)) return 4;
    for (k = 0; k < NA; k++)
        if (!is_port(k)) order[n++] = k;
    order[n++] = ZM(port_nodes)[port];
    for (i = 0; i < n; i++)
        for (j = 0; j < n; j++) {
            y[i][j].re = r.g[order[i]][order[j]];
            y[i][j].im = w * r.c[order[i]][order[j]];
        }
    for (k = 0; k < n - 1; k++)
        for (i = k + 1; i < n; i++) {
            cplx f = cdiv(y[i][k], y[k][k]);
            for (j = k; j < n; j++) y[i][j] = csub(y[i][j], cmul(f, y[k][j]));
        }
    printf("%.17g %.17g\n", y[n - 1][n - 1].re, y[n - 1][n - 1].im);
    return 0;
}

static int point(char **volts)
{
    double v[NA];
    int k;
    ZM(result) r;
    for (k = 0; k < NA; k++) v[k] = atof(volts[k]);
    evaluate(v, &r);
    for (k = 0; k < NA; k++) printf("%s %.17g %.17g\n", ZM(unknown_names)[k], r.i[k], r.q[k]);
    return 0;
}

static int full(char **values)
{
    double v[NA];
    int k, j;
    ZM(result) r;
    for (k = 0; k < NA; k++) v[k] = atof(values[k]);
    evaluate(v, &r);
    for (k = 0; k < NA; k++) {
        printf("%.17g %.17g", r.i[k], r.q[k]);
        for (j = 0; j < NA; j++) printf(" %.17g", r.g[k][j]);
        for (j = 0; j < NA; j++) printf(" %.17g", r.c[k][j]);
        printf("\n");
    }
    return 0;
}

/* ---- transient ---- */

static int transient(int port, double ampl, double freq, int steps, int periods)
{
    double x[NA], q0[NA], qdot[NA], h = 1.0 / (freq * steps);
    int internal[NA], ni = 0, k, j, n, it;
    ZM(result) r;
    for (k = 0; k < NA; k++) {
        x[k] = 0.0;
        if (!is_port(k)) internal[ni++] = k;
    }
    evaluate(x, &r);
    for (k = 0; k < NA; k++) {
        q0[k] = r.q[k];
        qdot[k] = is_port(k) ? 0.0 : -r.i[k];  /* at rest: i + dq/dt = 0 */
    }
    for (n = 1; n <= steps * periods; n++) {
        double t = n * h;
        x[ZM(port_nodes)[port]] = ampl * sin(2.0 * 3.14159265358979323846 * freq * t);
        for (it = 0;; it++) {
            double a[NA][NA], b[NA], step = 0.0;
            evaluate(x, &r);
            /* i + dq/dt with dq/dt = 2 (q - q0) / h - qdot0 */
            for (k = 0; k < ni; k++) {
                int e = internal[k];
                b[k] = -(r.i[e] + 2.0 * (r.q[e] - q0[e]) / h - qdot[e]);
                for (j = 0; j < ni; j++) a[k][j] = r.g[e][internal[j]] + 2.0 / h * r.c[e][internal[j]];
            }
            if (ni > 0 && !solve(ni, a, b)) return 4;
            for (k = 0; k < ni; k++) {
                x[internal[k]] += b[k];
                step = fmax(step, fabs(b[k]) / (1.0 + fabs(x[internal[k]])));
            }
            if (step < 1e-14 || ni == 0) break;
            if (it == 100) return 4;
        }
        evaluate(x, &r);
        for (k = 0; k < NA; k++) {
            qdot[k] = 2.0 * (r.q[k] - q0[k]) / h - qdot[k];
            q0[k] = r.q[k];
        }
        k = ZM(port_nodes)[port];
        printf("%.17g %.17g\n", t, r.i[k] + qdot[k]);
    }
    return 0;
}

/* ---- command line ---- */

static int usage(void)
{
    fprintf(stderr, "usage: model_check fd COUNT LO HI | dc PORT V0 V1 STEPS | ac PORT V FREQ | point X... |\n"
                    "                   full X... | tran PORT AMPL FREQ STEPS PERIODS\n"
                    "                   [name=value ...]\n");
    return 2;
}

int main(int argc, char **argv)
{
    int nargs, k;
    char msg[256];
    unsigned char given[ZU(NUM_PARAMS)] = {0};
    if (argc < 2) return usage();
    nargs = strcmp(argv[1], "dc") == 0 ? 4 : strcmp(argv[1], "tran") == 0 ? 5
          : strcmp(argv[1], "point") == 0 || strcmp(argv[1], "full") == 0 ? NA : 3;
    if (argc < 2 + nargs) return usage();
    /* Parameters given on the command line; the others get their defaults,
       computed from the given ones. */
    for (k = 2 + nargs; k < argc; k++) {
        char *eq = strchr(argv[k], '=');
        int index;
        if (!eq) return usage();
        *eq = '\0';
        index = ZM(param_index)(argv[k]);
        if (index < 0) {
            fprintf(stderr, "model_check: no parameter '%s'\n", argv[k]);
            return 2;
        }
        ZM(set_param)(&P, index, atof(eq + 1));
        given[index] = 1;
    }
    ZM(init_given)(&P, given);
    if (ZM(check)(&P, msg, sizeof msg)) {
        fprintf(stderr, "%s\n", msg);
        return 3;
    }
    if (strcmp(argv[1], "point") == 0) return point(argv + 2);
    if (strcmp(argv[1], "full") == 0) return full(argv + 2);
    if (strcmp(argv[1], "tran") == 0 && atoi(argv[2]) < NPORTS)
        return transient(atoi(argv[2]), atof(argv[3]), atof(argv[4]), atoi(argv[5]), atoi(argv[6]));
    if (strcmp(argv[1], "fd") == 0) return derivative_check(atoi(argv[2]), atof(argv[3]), atof(argv[4]));
    if (strcmp(argv[1], "dc") == 0 && atoi(argv[2]) < NPORTS)
        return dc_sweep(atoi(argv[2]), atof(argv[3]), atof(argv[4]), atoi(argv[5]));
    if (strcmp(argv[1], "ac") == 0 && atoi(argv[2]) < NPORTS)
        return admittance(atoi(argv[2]), atof(argv[3]), atof(argv[4]));
    return usage();
}
