/* A hand-written OSDI library on our declarations of the interface, so that
 * a simulator loading and running it checks the layout independently of
 * any generated module.  Two device types:
 *
 *   zres  p n      resistor, R = rsh * l * (1 + tc1 (T - 300.15 K)) / m
 *                  model: rsh (0:inf), tc1; instance: l (0:inf), $mfactor
 *   zrc   p n (x)  p -[r]- x -[c]- n, x an internal node
 *                  model: r (0:inf); instance: c, $mfactor
 *
 * Both keep the conventions the simulator needs: instance parameters first,
 * a "$mfactor" instance parameter (ngspice 46 reserves a slot for it), a
 * failed set-up that leaves the instance inert and makes every later
 * set-up of the same model fail too.
 */
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "osdi_abi.h"

#define MAXN 3 /* nodes */
#define MAXJ 7 /* Jacobian entries */

/* One layout for both types: the descriptor offsets point into it. */
typedef struct inst {
    double param[2]; /* instance parameters, by id */
    unsigned given;  /* bit per parameter id */
    int ready;       /* set-up succeeded: the matrix pointers are there */
    double g, c;     /* at the instance's temperature, times m */
    double i[MAXN], q[MAXN];
    double jg[MAXJ], jc[MAXJ];
    double *jac[MAXJ];
    double *jac_im[MAXJ];
    uint32_t node[MAXN];
} inst;

typedef struct model {
    double param[2]; /* model parameters, by id - 2 */
    unsigned given;
    int failed; /* this model or one of its instances failed set-up */
} model;

enum { P_L = 0, P_C = 0, P_M = 1, P_RSH = 2, P_R = 2, P_TC1 = 3 };

static void *access_param(void *in, void *mo, uint32_t id, uint32_t flags, uint32_t nparams) {
    unsigned set = (flags & OSDI_ACCESS_SET) != 0;
    if (id < 2) {
        inst *d = in;
        if (!(flags & OSDI_ACCESS_INSTANCE) || !d) return NULL;
        d->given |= set << id;
        return &d->param[id];
    }
    if (id >= nparams || !mo) return NULL;
    model *m = mo;
    m->given |= set << id;
    return &m->param[id - 2];
}
static void *zres_access(void *in, void *mo, uint32_t id, uint32_t flags) { return access_param(in, mo, id, flags, 4); }
static void *zrc_access(void *in, void *mo, uint32_t id, uint32_t flags) { return access_param(in, mo, id, flags, 3); }

static void clear(osdi_init_info *res) {
    res->flags = 0;
    res->num_errors = 0;
    res->errors = NULL;
}

/* Out of (0:inf): a message naming the parameter and its value, and the
   error the simulator reports. */
static int out_of_range(osdi_init_info *res, const char *type, const char *name, uint32_t id, double value) {
    if (value > 0) return 0;
    fprintf(stderr, "%s: parameter '%s' = %g is outside its range (0:inf)\n", type, name, value);
    res->errors = malloc(sizeof *res->errors);
    if (res->errors) {
        res->num_errors = 1;
        res->errors[0].code = OSDI_INIT_OUT_OF_BOUNDS;
        res->errors[0].payload.parameter_id = id;
    } else {
        res->flags = OSDI_EVAL_FATAL;
    }
    return 1;
}

static void zres_setup_model(void *handle, void *mo, osdi_sim_params *sp, osdi_init_info *res) {
    model *m = mo;
    (void)handle, (void)sp;
    clear(res);
    if (!(m->given & 1u << P_RSH)) m->param[P_RSH - 2] = 1000.0;
    if (!(m->given & 1u << P_TC1)) m->param[P_TC1 - 2] = 0.0;
    m->failed = out_of_range(res, "zres", "rsh", P_RSH, m->param[P_RSH - 2]);
}

static void zrc_setup_model(void *handle, void *mo, osdi_sim_params *sp, osdi_init_info *res) {
    model *m = mo;
    (void)handle, (void)sp;
    clear(res);
    if (!(m->given & 1u << P_R)) m->param[P_R - 2] = 1000.0;
    m->failed = out_of_range(res, "zrc", "r", P_R, m->param[P_R - 2]);
}

/* Shared start of setup_instance: defaults, and the failure of an earlier
   instance or of the model passed on.  The simulator's set-up loop keeps
   only the last call's result, so without this an earlier failure would
   let the analysis run with an instance that has no matrix pointers. */
static int instance_start(inst *d, model *m, double first_default, osdi_init_info *res) {
    clear(res);
    d->ready = 0;
    if (!(d->given & 1u << 0)) d->param[0] = first_default;
    if (!(d->given & 1u << P_M)) d->param[P_M] = 1.0;
    if (m->failed) res->flags = OSDI_EVAL_FATAL;
    return !m->failed;
}

static void zres_setup_instance(void *handle, void *in, void *mo, double temperature, uint32_t nterm,
                                osdi_sim_params *sp, osdi_init_info *res) {
    inst *d = in;
    model *m = mo;
    (void)handle, (void)nterm, (void)sp;
    if (!instance_start(d, m, 1.0, res)) return;
    if (out_of_range(res, "zres", "l", P_L, d->param[P_L])) {
        m->failed = 1;
        return;
    }
    d->g = d->param[P_M] / (m->param[P_RSH - 2] * d->param[P_L] * (1.0 + m->param[P_TC1 - 2] * (temperature - 300.15)));
    d->c = 0.0;
    d->ready = 1;
}

static void zrc_setup_instance(void *handle, void *in, void *mo, double temperature, uint32_t nterm,
                               osdi_sim_params *sp, osdi_init_info *res) {
    inst *d = in;
    model *m = mo;
    (void)handle, (void)temperature, (void)nterm, (void)sp;
    if (!instance_start(d, m, 1e-12, res)) return;
    d->g = d->param[P_M] / m->param[P_R - 2];
    d->c = d->param[P_M] * d->param[P_C];
    d->ready = 1;
}

/* A conductance g between nodes a and b, and a capacitance c between b and
   z (zres: c = 0); fills the residuals and the Jacobian values in the
   order of the entries: (a,a) (a,b) (b,a) (b,b) (b,z) (z,b) (z,z). */
static uint32_t eval_two(inst *d, const double *v, uint32_t a, uint32_t b, uint32_t z) {
    if (!d->ready) return OSDI_EVAL_FATAL;
    double ir = d->g * (v[d->node[a]] - v[d->node[b]]);
    double qc = d->c * (v[d->node[b]] - v[d->node[z]]);
    memset(d->i, 0, sizeof d->i);
    memset(d->q, 0, sizeof d->q);
    d->i[a] += ir, d->i[b] -= ir;
    d->q[b] += qc, d->q[z] -= qc;
    double jg[MAXJ] = {d->g, -d->g, -d->g, d->g, 0, 0, 0}, jc[MAXJ] = {0, 0, 0, d->c, -d->c, -d->c, d->c};
    memcpy(d->jg, jg, sizeof jg);
    memcpy(d->jc, jc, sizeof jc);
    return 0;
}
static uint32_t zres_eval(void *handle, void *in, const void *mo, const osdi_sim_info *info) {
    (void)handle, (void)mo;
    return eval_two(in, info->prev_solve, 0, 1, 1);
}
static uint32_t zrc_eval(void *handle, void *in, const void *mo, const osdi_sim_info *info) {
    (void)handle, (void)mo;
    return eval_two(in, info->prev_solve, 0, 2, 1);
}

/* Loads, over the entries and nodes of one type. */
static void load_tran(inst *d, int nj, double alpha) {
    if (!d->ready) return;
    for (int k = 0; k < nj; k++) *d->jac[k] += d->jg[k] + alpha * d->jc[k];
}
static void load_react(inst *d, int nj, double alpha) {
    if (!d->ready) return;
    for (int k = 0; k < nj; k++)
        if (d->jac_im[k]) *d->jac_im[k] += alpha * d->jc[k];
}
/* dst[node] += sum_j (G + alpha C)[node][j] v[j] - i[node] */
static void load_rhs(inst *d, const osdi_jacobian_entry *e, int nj, int nn, double *dst, const double *v, double alpha) {
    if (!d->ready) return;
    for (int k = 0; k < nn; k++) dst[d->node[k]] -= d->i[k];
    for (int k = 0; k < nj; k++)
        dst[d->node[e[k].nodes.node_1]] += (d->jg[k] + alpha * d->jc[k]) * v[d->node[e[k].nodes.node_2]];
}
static void load_residual(inst *d, const double *r, int nn, double *dst) {
    if (!d->ready) return;
    for (int k = 0; k < nn; k++) dst[d->node[k]] += r[k];
}

#define LOADS(T, NJ, NN)                                                                                            \
    static void T##_jac_resist(void *in, void *mo) { (void)mo, load_tran(in, NJ, 0.0); }                          \
    static void T##_jac_react(void *in, void *mo, double a) { (void)mo, load_react(in, NJ, a); }                  \
    static void T##_jac_tran(void *in, void *mo, double a) { (void)mo, load_tran(in, NJ, a); }                    \
    static void T##_rhs_dc(void *in, void *mo, double *dst, double *v) { (void)mo, load_rhs(in, T##_jac, NJ, NN, dst, v, 0.0); } \
    static void T##_rhs_tran(void *in, void *mo, double *dst, double *v, double a) { (void)mo, load_rhs(in, T##_jac, NJ, NN, dst, v, a); } \
    static void T##_res_resist(void *in, void *mo, double *dst) { (void)mo, load_residual(in, ((inst *)in)->i, NN, dst); } \
    static void T##_res_react(void *in, void *mo, double *dst) { (void)mo, load_residual(in, ((inst *)in)->q, NN, dst); }

static void no_limit_rhs(void *in, void *mo, double *dst) { (void)in, (void)mo, (void)dst; }
static void no_noise(void *in, void *mo, double f, double *d, double *ld) { (void)in, (void)mo, (void)f, (void)d, (void)ld; }

static char *n_l[] = {"l"}, *n_c[] = {"c"}, *n_m[] = {"$mfactor"}, *n_rsh[] = {"rsh"}, *n_tc1[] = {"tc1"}, *n_r[] = {"r"};
#define REAL_PARAM(names, kind, text, unit) {names, 0, text, unit, OSDI_PARAM_REAL | kind, 0}
static osdi_param zres_params[] = {
    REAL_PARAM(n_l, OSDI_PARAM_INSTANCE, "length in squares", ""),
    REAL_PARAM(n_m, OSDI_PARAM_INSTANCE, "multiplier", ""),
    REAL_PARAM(n_rsh, OSDI_PARAM_MODEL, "sheet resistance", "Ohm"),
    REAL_PARAM(n_tc1, OSDI_PARAM_MODEL, "temperature coefficient", "1/K"),
};
static osdi_param zrc_params[] = {
    REAL_PARAM(n_c, OSDI_PARAM_INSTANCE, "capacitance", "F"),
    REAL_PARAM(n_m, OSDI_PARAM_INSTANCE, "multiplier", ""),
    REAL_PARAM(n_r, OSDI_PARAM_MODEL, "series resistance", "Ohm"),
};

#define NODE(name, k, react) {name, "V", "A", offsetof(inst, i) + (k) * sizeof(double), react, OSDI_NO_OFFSET, OSDI_NO_OFFSET, false}
#define CHARGE(k) (offsetof(inst, q) + (k) * sizeof(double))
static osdi_node zres_nodes[] = {NODE("p", 0, OSDI_NO_OFFSET), NODE("n", 1, OSDI_NO_OFFSET)};
static osdi_node zrc_nodes[] = {NODE("p", 0, OSDI_NO_OFFSET), NODE("n", 1, CHARGE(1)), NODE("x", 2, CHARGE(2))};

#define RESIST(a, b) {{a, b}, OSDI_NO_OFFSET, OSDI_JAC_RESIST_CONST}
#define IM(k) (offsetof(inst, jac_im) + (k) * sizeof(double *))
static osdi_jacobian_entry zres_jac[4] = {RESIST(0, 0), RESIST(0, 1), RESIST(1, 0), RESIST(1, 1)};
static osdi_jacobian_entry zrc_jac[MAXJ] = {
    RESIST(0, 0), RESIST(0, 2), RESIST(2, 0),
    {{2, 2}, IM(3), OSDI_JAC_RESIST_CONST | OSDI_JAC_REACT_CONST},
    {{2, 1}, IM(4), OSDI_JAC_REACT_CONST},
    {{1, 2}, IM(5), OSDI_JAC_REACT_CONST},
    {{1, 1}, IM(6), OSDI_JAC_REACT_CONST},
};

LOADS(zres, 4, 2)
LOADS(zrc, MAXJ, 3)

#define DESCRIPTOR(T, NN, NJ, NP)                                                                               \
    {                                                                                                           \
        .name = #T, .num_nodes = NN, .num_terminals = 2, .nodes = T##_nodes, .num_jacobian_entries = NJ,       \
        .jacobian_entries = T##_jac, .collapsed_offset = OSDI_NO_OFFSET, .num_params = NP,                      \
        .num_instance_params = 2, .param_opvar = T##_params, .node_mapping_offset = offsetof(inst, node),       \
        .jacobian_ptr_resist_offset = offsetof(inst, jac), .state_idx_off = OSDI_NO_OFFSET,                     \
        .bound_step_offset = OSDI_NO_OFFSET, .instance_size = sizeof(inst), .model_size = sizeof(model),        \
        .access = T##_access, .setup_model = T##_setup_model, .setup_instance = T##_setup_instance,             \
        .eval = T##_eval, .load_noise = no_noise, .load_residual_resist = T##_res_resist,                       \
        .load_residual_react = T##_res_react, .load_limit_rhs_resist = no_limit_rhs,                            \
        .load_limit_rhs_react = no_limit_rhs, .load_spice_rhs_dc = T##_rhs_dc, .load_spice_rhs_tran = T##_rhs_tran, \
        .load_jacobian_resist = T##_jac_resist, .load_jacobian_react = T##_jac_react,                           \
        .load_jacobian_tran = T##_jac_tran,                                                                     \
    }

const uint32_t OSDI_VERSION_MAJOR = OSDI_ABI_MAJOR;
const uint32_t OSDI_VERSION_MINOR = OSDI_ABI_MINOR;
const uint32_t OSDI_NUM_DESCRIPTORS = 2;
const osdi_descriptor OSDI_DESCRIPTORS[2] = {DESCRIPTOR(zres, 2, 4, 4), DESCRIPTOR(zrc, 3, MAXJ, 3)};
