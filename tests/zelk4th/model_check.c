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
 *   model_check point X... [name=value ...]
 *       One evaluation at the given unknowns (node voltages, then branch
 *       currents, in the order of the unknown table): "name i q" per
 *       equation.
 *   model_check full X... [name=value ...]
 *       The same with every derivative: "i q g[k][0..] c[k][0..]" per equation.
 *
 * Exit status 2 for a bad command line, 3 for a parameter out of range.
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

/* "name i q" per equation, or when `full` "i q g[k][0..] c[k][0..]". */
static int point(char **values, int full)
{
    double v[NA];
    int k, j;
    ZM(result) r;
    for (k = 0; k < NA; k++) v[k] = atof(values[k]);
    evaluate(v, &r);
    for (k = 0; k < NA; k++) {
        if (!full) printf("%s ", ZM(unknown_names)[k]);
        printf("%.17g %.17g", r.i[k], r.q[k]);
        for (j = 0; full && j < NA; j++) printf(" %.17g", r.g[k][j]);
        for (j = 0; full && j < NA; j++) printf(" %.17g", r.c[k][j]);
        printf("\n");
    }
    return 0;
}

/* ---- command line ---- */

static int usage(void)
{
    fprintf(stderr, "usage: model_check fd COUNT LO HI | point X... | full X... [name=value ...]\n");
    return 2;
}

int main(int argc, char **argv)
{
    int nargs, k;
    char msg[256];
    unsigned char given[ZU(NUM_PARAMS)] = {0};
    if (argc < 2) return usage();
    nargs = strcmp(argv[1], "point") == 0 || strcmp(argv[1], "full") == 0 ? NA : 3;
    if (argc < 2 + nargs) return usage();
    for (k = 0; k < ZU(NUM_PORTS); k++)
        if (ZM(port_nodes)[k] != k) return fprintf(stderr, "model_check: the ports are not the first unknowns\n"), 6;
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
    if (strcmp(argv[1], "point") == 0 || strcmp(argv[1], "full") == 0) return point(argv + 2, argv[1][0] == 'f');
    if (strcmp(argv[1], "fd") == 0) return derivative_check(atoi(argv[2]), atof(argv[3]), atof(argv[4]));
    return usage();
}
