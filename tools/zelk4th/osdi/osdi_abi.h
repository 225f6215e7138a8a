/*
 * The binary interface of an OSDI 0.3 device library, as a circuit simulator
 * (ngspice 39 and later) loads it with dlopen: our own declarations, written
 * for the modules zelkpp builds from translated models.
 *
 * A library exports, with C linkage:
 *
 *   const uint32_t OSDI_VERSION_MAJOR = 0, OSDI_VERSION_MINOR = 3;
 *   const uint32_t OSDI_NUM_DESCRIPTORS;
 *   const osdi_descriptor OSDI_DESCRIPTORS[OSDI_NUM_DESCRIPTORS];
 *   osdi_log_fn osdi_log;      (optional: the simulator stores its logger)
 *
 * Each descriptor is one device type.  The simulator allocates, zero-filled,
 * `model_size` bytes per model card and `instance_size` bytes per instance,
 * both aligned for any scalar type, and hands them back to the descriptor's
 * functions.  Everything else it needs it finds through byte offsets into
 * those blocks, given in the descriptor: where it writes the node numbers and
 * matrix pointers, and where it reads the residuals.
 *
 * Only the layout matters to the simulator; the names here are ours.  The
 * field order, widths and values are version 0.3's and must not change.
 */
#ifndef ZELK_OSDI_ABI_H
#define ZELK_OSDI_ABI_H

#include <stdbool.h>
#include <stdint.h>

#define OSDI_ABI_MAJOR 0u
#define OSDI_ABI_MINOR 3u

/* An offset field that is not used. */
#define OSDI_NO_OFFSET UINT32_MAX
/* A node number standing for the reference node (in node pairs). */
#define OSDI_GROUND UINT32_MAX

/* osdi_param.flags: the value's type in the low two bits ... */
#define OSDI_PARAM_TYPE_MASK 3u
#define OSDI_PARAM_REAL 0u
#define OSDI_PARAM_INT 1u
#define OSDI_PARAM_STRING 2u
/* ... and its kind in the top two. */
#define OSDI_PARAM_KIND_MASK (3u << 30)
#define OSDI_PARAM_MODEL (0u << 30)
#define OSDI_PARAM_INSTANCE (1u << 30)
#define OSDI_PARAM_OPVAR (2u << 30)

/* Flags of access(). */
#define OSDI_ACCESS_READ 0u
#define OSDI_ACCESS_SET 1u      /* the caller will write: mark the parameter given */
#define OSDI_ACCESS_INSTANCE 4u /* the instance's storage, not the model's */

/* osdi_jacobian_entry.flags: which parts the entry has. */
#define OSDI_JAC_RESIST_CONST 1u
#define OSDI_JAC_REACT_CONST 2u
#define OSDI_JAC_RESIST 4u
#define OSDI_JAC_REACT 8u

/* osdi_sim_info.flags: what eval() is asked to compute, and in which analysis. */
#define OSDI_CALC_RESIST_RESIDUAL (1u << 0)
#define OSDI_CALC_REACT_RESIDUAL (1u << 1)
#define OSDI_CALC_RESIST_JACOBIAN (1u << 2)
#define OSDI_CALC_REACT_JACOBIAN (1u << 3)
#define OSDI_CALC_NOISE (1u << 4)
#define OSDI_CALC_OP (1u << 5)
#define OSDI_CALC_RESIST_LIM_RHS (1u << 6)
#define OSDI_CALC_REACT_LIM_RHS (1u << 7)
#define OSDI_ENABLE_LIM (1u << 8)
#define OSDI_INIT_LIM (1u << 9)
#define OSDI_ANALYSIS_NOISE (1u << 10)
#define OSDI_ANALYSIS_DC (1u << 11)
#define OSDI_ANALYSIS_AC (1u << 12)
#define OSDI_ANALYSIS_TRAN (1u << 13)
#define OSDI_ANALYSIS_IC (1u << 14)
#define OSDI_ANALYSIS_STATIC (1u << 15)
#define OSDI_ANALYSIS_NODESET (1u << 16)

/* What eval() returns, and setup_*() put in osdi_init_info.flags. */
#define OSDI_EVAL_LIMITED 1u /* a limited voltage: the iteration has not converged */
#define OSDI_EVAL_FATAL 2u   /* stop the simulation with an error */
#define OSDI_EVAL_FINISH 4u
#define OSDI_EVAL_STOP 8u

/* Levels of osdi_log(); OSDI_LOG_FORMAT_FAILED may be or-ed in. */
#define OSDI_LOG_LEVEL_MASK 7u
#define OSDI_LOG_DEBUG 0u
#define OSDI_LOG_DISPLAY 1u
#define OSDI_LOG_INFO 2u
#define OSDI_LOG_WARN 3u
#define OSDI_LOG_ERROR 4u
#define OSDI_LOG_FATAL 5u
#define OSDI_LOG_FORMAT_FAILED 16u

/* osdi_init_error.code */
#define OSDI_INIT_OUT_OF_BOUNDS 1u

/* Simulator parameters ($simparam): NULL-terminated name lists, values beside. */
typedef struct osdi_sim_params {
    char **names;
    double *values;
    char **string_names;
    char **string_values;
} osdi_sim_params;

/* Passed to eval(). */
typedef struct osdi_sim_info {
    osdi_sim_params params;
    double abstime;     /* simulation time (s); 0 outside a transient */
    double *prev_solve; /* node voltages of the last iteration, by simulator node number */
    double *prev_state;
    double *next_state;
    uint32_t flags; /* OSDI_CALC_* | OSDI_ANALYSIS_* | OSDI_*LIM */
} osdi_sim_info;

typedef struct osdi_init_error {
    uint32_t code;             /* OSDI_INIT_* */
    union {
        uint32_t parameter_id; /* for OSDI_INIT_OUT_OF_BOUNDS */
    } payload;
} osdi_init_error;

/* Filled in by setup_model() and setup_instance(); the caller's block is
   not initialised.  `errors` is allocated with malloc (the simulator frees
   it) or NULL when num_errors is 0. */
typedef struct osdi_init_info {
    uint32_t flags; /* OSDI_EVAL_FATAL or OSDI_EVAL_FINISH abort at once */
    uint32_t num_errors;
    osdi_init_error *errors;
} osdi_init_info;

typedef struct osdi_node_pair {
    uint32_t node_1;
    uint32_t node_2;
} osdi_node_pair;

/* One structurally non-zero entry of the Jacobian: row (the equation, a
   node's residual) and column (the unknown, a node's voltage), both indices
   into the descriptor's node list. */
typedef struct osdi_jacobian_entry {
    osdi_node_pair nodes;  /* node_1: equation, node_2: unknown */
    uint32_t react_ptr_off; /* where the simulator stores the pointer to the
                               entry's imaginary part, or OSDI_NO_OFFSET */
    uint32_t flags;         /* OSDI_JAC_* */
} osdi_jacobian_entry;

/* A terminal or internal node. */
typedef struct osdi_node {
    char *name;
    char *units;          /* of the unknown, "V" */
    char *residual_units; /* of the residual, "A" */
    uint32_t resist_residual_off; /* where eval() leaves the node's current */
    uint32_t react_residual_off;  /* where eval() leaves its charge, or
                                     OSDI_NO_OFFSET when it has none */
    uint32_t resist_limit_rhs_off;
    uint32_t react_limit_rhs_off;
    bool is_flow; /* the unknown is a branch current, not a voltage */
} osdi_node;

/* A parameter or operating-point value. */
typedef struct osdi_param {
    char **name;        /* the name, then num_alias aliases */
    uint32_t num_alias;
    char *description;
    char *units;
    uint32_t flags;     /* OSDI_PARAM_<type> | OSDI_PARAM_<kind> */
    uint32_t len;       /* 0 for a scalar, else the array length */
} osdi_param;

typedef struct osdi_noise_source {
    char *name;
    osdi_node_pair nodes;
} osdi_noise_source;

/* A $limit function the library wants from the simulator (by name). */
typedef struct osdi_lim_function {
    char *name;
    uint32_t num_args;
    void *func_ptr;
} osdi_lim_function;

typedef void (*osdi_log_fn)(void *handle, char *msg, uint32_t level);

typedef struct osdi_descriptor {
    char *name; /* the model type on .model cards */

    uint32_t num_nodes;     /* terminals first, then internal nodes */
    uint32_t num_terminals;
    osdi_node *nodes;

    uint32_t num_jacobian_entries;
    osdi_jacobian_entry *jacobian_entries;

    uint32_t num_collapsible;
    osdi_node_pair *collapsible;
    uint32_t collapsed_offset; /* bool per collapsible pair, in the instance */

    osdi_noise_source *noise_sources;
    uint32_t num_noise_src;

    /* param_opvar holds num_params parameters, instance parameters first
       (ids 0 .. num_instance_params-1, then the model parameters), followed
       by num_opvars operating-point values. */
    uint32_t num_params;
    uint32_t num_instance_params;
    uint32_t num_opvars;
    osdi_param *param_opvar;

    /* In the instance: uint32_t per node, written by the simulator with its
       node numbers (0 is ground). */
    uint32_t node_mapping_offset;
    /* In the instance: double * per Jacobian entry, written by the simulator
       with the address of the entry's (real) matrix element. */
    uint32_t jacobian_ptr_resist_offset;

    uint32_t num_states;
    uint32_t state_idx_off;

    uint32_t bound_step_offset; /* double in the instance, or OSDI_NO_OFFSET */

    uint32_t instance_size;
    uint32_t model_size;

    /* Address of parameter `id` in the instance (OSDI_ACCESS_INSTANCE) or in
       the model; NULL for an unknown id.  Either block may be NULL when the
       flags do not ask for it. */
    void *(*access)(void *inst, void *model, uint32_t id, uint32_t flags);

    /* Defaults of the parameters not given, range checks, and whatever
       depends on the model alone; again whenever the temperature changes. */
    void (*setup_model)(void *handle, void *model, osdi_sim_params *sim_params, osdi_init_info *res);
    /* The same for an instance; `temperature` in kelvin, `num_terminals`
       the number of terminals connected. */
    void (*setup_instance)(void *handle, void *inst, void *model, double temperature, uint32_t num_terminals,
                           osdi_sim_params *sim_params, osdi_init_info *res);

    /* Evaluates at info->prev_solve: residuals at their offsets and the
       Jacobian kept in the instance for the load functions.  Returns
       OSDI_EVAL_* flags. */
    uint32_t (*eval)(void *handle, void *inst, const void *model, const osdi_sim_info *info);
    void (*load_noise)(void *inst, void *model, double freq, double *noise_dens, double *ln_noise_dens);
    /* dst[node] += residual, by simulator node number. */
    void (*load_residual_resist)(void *inst, void *model, double *dst);
    void (*load_residual_react)(void *inst, void *model, double *dst);
    void (*load_limit_rhs_resist)(void *inst, void *model, double *dst);
    void (*load_limit_rhs_react)(void *inst, void *model, double *dst);
    /* The Newton right-hand side: dst[node] += sum_j J[node][j] v[j] - i[node]
       with J the conductances (dc) or conductances + alpha * capacitances
       (tran); the simulator adds the integrated charge itself. */
    void (*load_spice_rhs_dc)(void *inst, void *model, double *dst, double *prev_solve);
    void (*load_spice_rhs_tran)(void *inst, void *model, double *dst, double *prev_solve, double alpha);
    /* Matrix stamps through the stored pointers: G; alpha * C into the
       imaginary parts (alpha = omega in AC); G + alpha * C. */
    void (*load_jacobian_resist)(void *inst, void *model);
    void (*load_jacobian_react)(void *inst, void *model, double alpha);
    void (*load_jacobian_tran)(void *inst, void *model, double alpha);
} osdi_descriptor;

/* The layout check for 64-bit targets (LP64 and LLP64 agree): a wrong size
   here is a wrong module there. */
#if UINTPTR_MAX == 0xffffffffffffffffu
typedef char osdi_abi_check_descriptor[sizeof(osdi_descriptor) == 240 ? 1 : -1];
typedef char osdi_abi_check_node[sizeof(osdi_node) == 48 ? 1 : -1];
typedef char osdi_abi_check_jacobian_entry[sizeof(osdi_jacobian_entry) == 16 ? 1 : -1];
typedef char osdi_abi_check_param[sizeof(osdi_param) == 40 ? 1 : -1];
typedef char osdi_abi_check_sim_info[sizeof(osdi_sim_info) == 72 ? 1 : -1];
typedef char osdi_abi_check_init_info[sizeof(osdi_init_info) == 16 ? 1 : -1];
typedef char osdi_abi_check_init_error[sizeof(osdi_init_error) == 8 ? 1 : -1];
#endif

#endif
