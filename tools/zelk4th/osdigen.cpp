#include "osdigen.h"

#include <cctype>
#include <set>
#include <sstream>

namespace zelk4th {

namespace {

std::string lower(const std::string &s) {
    std::string l = s;
    for (char &c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return l;
}

std::string upper(const std::string &s) {
    std::string u = s;
    for (char &c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

std::string str(const std::string &s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string comment(const std::string &s) {
    std::string out = s;
    for (size_t at = out.find("*/"); at != std::string::npos; at = out.find("*/")) out.replace(at, 2, "* /");
    return out;
}

std::string num(size_t k) { return std::to_string(k); }

// A parameter as the simulator sees it: instance parameters first, then the
// multiplier, then the model parameters.
struct Exported {
    int index = -1;  // in the parameter record; -1: the multiplier
    std::string name;
    bool instance = false;
    bool integer = false;
    std::string description;
};

// One Jacobian entry that can be nonzero.
struct Entry {
    int row = 0, col = 0;
    bool resist = false, react = false;
};

class OsdiGen {
public:
    OsdiGen(const Program &p, const std::string &type) : p_(p), type_(type), m_(p.module), M_(upper(p.module)) {
        o_ = m_ + "_osdi_";
        nu_ = static_cast<int>(p.nodes.size() + p.branches.size());
        ports_ = static_cast<int>(p.port_nodes.size());
        for (int k = 0; k < nu_; ++k) {
            row_begin_.push_back(entries_.size());
            for (int j = 0; j < nu_; ++j) {
                Entry e{k, j, at(p.resist, k, j), at(p.react, k, j)};
                if (e.resist || e.react) entries_.push_back(e);
            }
        }
        row_begin_.push_back(entries_.size());
    }

    std::string run(const std::string &c_file) {
        check_model();
        export_params();
        std::ostringstream o;
        o << "/* " << comment(type_) << ": an OSDI 0.3 module of the " << comment(m_)
          << " model, written by zelk4th from '" << comment(p_.source_name) << "'.\n"
          << " *\n"
          << " * The model's C file comes first, then the declarations of the OSDI\n"
          << " * interface, then what the simulator calls through the descriptor\n"
          << " * OSDI_DESCRIPTORS[0], device type \"" << comment(type_) << "\".  Build it with\n"
          << " *     cc -std=c99 -O3 -fPIC -shared -o " << comment(m_) << ".osdi THIS_FILE -lm\n"
          << " * and load it in ngspice with \"pre_osdi " << comment(m_) << ".osdi\".\n"
          << " */\n\n"
          << c_file << "\n"
          << "/* ==== OSDI 0.3 ======================================================= */\n"
          << kOsdiAbiHeader << "\n"
          << "#include <stdlib.h>\n#include <string.h>\n\n";
        blocks(o);
        helpers(o);
        access(o);
        setup(o);
        eval(o);
        loads(o);
        descriptor(o);
        return o.str();
    }

private:
    const Program &p_;
    const std::string type_, m_, M_;
    std::string o_;  // prefix of the module's own names
    int nu_ = 0, ports_ = 0;
    std::vector<Entry> entries_;
    std::vector<size_t> row_begin_;  // entries_ of row k: [row_begin_[k], row_begin_[k + 1])
    std::vector<int> ids_;           // OSDI id of each record parameter, -1 for none
    std::vector<Exported> params_;
    size_t num_instance_ = 0;  // exported instance parameters, the multiplier included
    bool mfactor_ = false;     // the module carries the multiplier "$mfactor" (alias m)
    std::vector<std::string> node_names_;

    static bool at(const std::vector<std::vector<char>> &m, int k, int j) {
        return m[static_cast<size_t>(k)][static_cast<size_t>(j)] != 0;
    }
    int nj() const { return static_cast<int>(entries_.size()); }
    std::string nj_alloc() const { return num(entries_.empty() ? 1 : entries_.size()); }
    bool is_branch(int k) const { return k >= static_cast<int>(p_.nodes.size()); }

    Loc param_loc(const ParamInfo &info) const {
        if (info.decl_found && p_.sources.find(info.decl_file)) return Loc{info.decl_file, info.decl.line};
        return Loc{};
    }

    // The simulator needs a terminal and folds names to lower case: node
    // names that differ only in case are told apart by a '_' appended.
    void check_model() {
        if (ports_ == 0) throw Error("module '" + m_ + "' has no terminal: a simulator device needs at least one");
        std::set<std::string> seen;
        auto add = [&](std::string name) {
            while (!seen.insert(name).second) name += "_";
            node_names_.push_back(name);
        };
        for (const Symbol *n : p_.nodes) add(lower(n->name));
        // Branch currents become unknowns named br_<p>_<n>.
        for (const PotentialBranch &b : p_.branches)
            add("br_" + lower(p_.nodes[static_cast<size_t>(b.p)]->name) +
                (b.n >= 0 ? "_" + lower(p_.nodes[static_cast<size_t>(b.n)]->name) : std::string()));
    }

    void export_params() {
        std::set<std::string> seen;
        bool own_m = false;
        for (size_t i = 0; i < p_.params.size(); ++i) {
            const ParamInfo &info = p_.side.params[i];
            if (info.implicit && info.name == "temp") continue;  // the simulator's temperature
            const std::string name = lower(info.name);
            if (!info.implicit && (name == "temp" || name == "dt" || name == "dtemp" || name == "temperature"))
                throw Error(param_loc(info), "parameter '" + info.name +
                                                 "': the simulator keeps this name for its own temperature parameters; "
                                                 "rename the parameter to build a module");
            if (!seen.insert(name).second)
                throw Error(param_loc(info), "parameter '" + info.name +
                                                 "': another parameter has this name when case is ignored, "
                                                 "as the simulator does");
            own_m = own_m || (info.device && name == "m");
        }
        // ngspice keeps one instance parameter for the multiplier m: the
        // model's own device parameter m if it has one, else "$mfactor",
        // which it also knows as m.  Without either, an unknown name on an
        // instance line crashes it.
        mfactor_ = !own_m;
        for (int pass = 0; pass < 2; ++pass) {
            const bool instance = pass == 0;
            for (size_t i = 0; i < p_.params.size(); ++i) {
                const ParamInfo &info = p_.side.params[i];
                if ((info.implicit && info.name == "temp") || info.device != instance) continue;
                Exported e;
                e.index = static_cast<int>(i);
                e.name = lower(info.name);
                e.instance = instance;
                e.integer = p_.params[i]->type == Ty::Int;
                e.description = std::string(info.implicit ? "device area factor" : instance ? "device parameter"
                                                                                           : "model parameter") +
                                ", default " + info.default_text;
                if (info.has_range)
                    e.description +=
                        std::string(", range ") + info.lo_bracket + info.lo_text + ":" + info.hi_text + info.hi_bracket;
                params_.push_back(e);
            }
            if (instance && mfactor_) {
                Exported e;
                e.name = "$mfactor";
                e.instance = true;
                e.description = "multiplier: the instance stands for m devices in parallel";
                params_.push_back(e);
            }
            if (instance) num_instance_ = params_.size();
        }
        ids_.assign(p_.params.size(), -1);
        for (size_t k = 0; k < params_.size(); ++k)
            if (params_[k].index >= 0) ids_[static_cast<size_t>(params_[k].index)] = static_cast<int>(k);
    }

    // The OSDI id of record parameter `index`, or none (the temperature).
    std::string id_of(int index) const {
        const int id = ids_[static_cast<size_t>(index)];
        return id < 0 ? "OSDI_NO_OFFSET" : num(static_cast<size_t>(id));
    }

    std::string field(int index) const { return p_.params[static_cast<size_t>(index)]->cname; }

    void blocks(std::ostream &o) const {
        const std::string n = num(static_cast<size_t>(nu_));
        o << "/* Tolerances of the current convergence check (the interface passes\n"
          << "   none): those of SPICE's defaults reltol, abstol and vntol. */\n"
          << "#define " << M_ << "_OSDI_RELTOL 1e-3\n"
          << "#define " << M_ << "_OSDI_ABSTOL 1e-12 /* A, the current balance of a node */\n"
          << "#define " << M_ << "_OSDI_VNTOL 1e-6   /* V, a branch equation */\n"
          << "/* Step control (see eval): how far beyond its prediction a residual may\n"
          << "   land, with floors, and how often a step is halved at most. */\n"
          << "#define " << M_ << "_OSDI_GROWTH 10.0\n"
          << "#define " << M_ << "_OSDI_FLOOR_A 1e-9\n"
          << "#define " << M_ << "_OSDI_FLOOR_V 1e-3\n"
          << "#define " << M_ << "_OSDI_HALVINGS 30\n\n"
          << "/* One per model card; the simulator zero-fills it. */\n"
          << "typedef struct " << o_ << "model {\n"
          << "    " << m_ << "_params p;  /* the card's values, the other model parameters at their defaults */\n"
          << "    unsigned char given[" << M_ << "_NUM_PARAMS];\n"
          << "    int failed; /* the card or one of its instances failed set-up */\n"
          << "} " << o_ << "model;\n\n"
          << "/* One per instance; the simulator zero-fills it, writes node[] and the\n"
          << "   matrix pointers and reads the residuals i[] and charges q[]. */\n"
          << "typedef struct " << o_ << "inst {\n"
          << "    " << m_ << "_params p;  /* every parameter of the instance, the model's included */\n"
          << "    unsigned char given[" << M_ << "_NUM_PARAMS];\n"
          << "    double mfactor; /* m devices in parallel */\n"
          << "    unsigned char mfactor_given;\n"
          << "    int ready;      /* set up: the node numbers and matrix pointers are there */\n"
          << "    int evaluated;  /* x, i and jg hold an evaluation */\n"
          << "    int warned;     /* the model was not finite and said so */\n"
          << "    uint32_t node[" << n << "];     /* simulator node of each unknown */\n"
          << "    double *jac[" << nj_alloc() << "];     /* matrix element of each Jacobian entry */\n"
          << "    double *jac_im[" << nj_alloc() << "];  /* its imaginary part (entries with a charge part) */\n"
          << "    double x[" << n << "];        /* the unknowns where the model was last evaluated */\n"
          << "    double i[" << n << "], q[" << n << "]; /* its residuals and charges, times m */\n"
          << "    double jg[" << nj_alloc() << "], jc[" << nj_alloc()
          << "]; /* d i / d x and d q / d x per entry, times m */\n"
          << "} " << o_ << "inst;\n\n";
    }

    void helpers(std::ostream &o) const {
        o << "static void " << o_ << "clear(osdi_init_info *res)\n{\n"
          << "    res->flags = 0;\n    res->num_errors = 0;\n    res->errors = NULL;\n}\n\n"
          << "/* Checks the parameters index[0..n-1] of p (OSDI ids id[]): each one out\n"
          << "   of range is described on standard error and becomes an error of res;\n"
          << "   one without an id (the temperature) stops the simulation.  The count. */\n"
          << "static int " << o_ << "check(const " << m_
          << "_params *p, const int *index, const uint32_t *id, int n, osdi_init_info *res)\n{\n"
          << "    char msg[256];\n"
          << "    int k, bad = 0;\n"
          << "    for (k = 0; k < n; k++) {\n"
          << "        if (!" << m_ << "_check_param(p, index[k], msg, sizeof msg)) continue;\n"
          << "        fprintf(stderr, \"%s\\n\", msg);\n"
          << "        bad++;\n"
          << "        if (!res->errors) res->errors = malloc((size_t)n * sizeof *res->errors);\n"
          << "        if (res->errors && id[k] != OSDI_NO_OFFSET) {\n"
          << "            res->errors[res->num_errors].code = OSDI_INIT_OUT_OF_BOUNDS;\n"
          << "            res->errors[res->num_errors].payload.parameter_id = id[k];\n"
          << "            res->num_errors++;\n"
          << "        } else {\n"
          << "            res->flags |= OSDI_EVAL_FATAL;\n"
          << "        }\n"
          << "    }\n"
          << "    if (res->errors && res->num_errors == 0) {\n"
          << "        free(res->errors);\n"
          << "        res->errors = NULL;\n"
          << "    }\n"
          << "    return bad;\n}\n\n";
    }

    void access(std::ostream &o) const {
        o << "/* The storage of parameter id: instance parameters in the instance,\n"
          << "   model parameters in the model; marked given when the caller sets it. */\n"
          << "static void *" << o_ << "access(void *inst, void *model, uint32_t id, uint32_t flags)\n{\n"
          << "    " << o_ << "inst *d = inst;\n"
          << "    " << o_ << "model *mo = model;\n"
          << "    const int set = (flags & OSDI_ACCESS_SET) != 0;\n"
          << "    if (id < " << num_instance_ << "u) {\n"
          << "        if (!(flags & OSDI_ACCESS_INSTANCE) || !d) return NULL;\n"
          << "        switch (id) {\n";
        for (size_t k = 0; k < num_instance_; ++k) {
            const Exported &e = params_[k];
            if (e.index < 0)
                o << "        case " << k << ": if (set) d->mfactor_given = 1; return &d->mfactor;\n";
            else
                o << "        case " << k << ": if (set) d->given[" << e.index << "] = 1; return &d->p."
                  << field(e.index) << ";\n";
        }
        o << "        default: return NULL;\n        }\n    }\n"
          << "    if (!mo) return NULL;\n"
          << "    switch (id) {\n";
        for (size_t k = num_instance_; k < params_.size(); ++k) {
            const Exported &e = params_[k];
            o << "    case " << k << ": if (set) mo->given[" << e.index << "] = 1; return &mo->p." << field(e.index)
              << ";\n";
        }
        o << "    default: return NULL;\n    }\n}\n\n";
    }

    void setup(std::ostream &o) const {
        std::vector<int> model_idx, all_idx;
        for (size_t i = 0; i < p_.params.size(); ++i) {
            if (!p_.side.params[i].device) model_idx.push_back(static_cast<int>(i));
            all_idx.push_back(static_cast<int>(i));
        }
        auto list = [&](const std::vector<int> &v, bool ids) {
            std::string s = "{";
            for (size_t k = 0; k < v.size(); ++k)
                s += (k ? ", " : "") + (ids ? id_of(v[k]) : num(static_cast<size_t>(v[k])));
            return s.size() == 1 ? std::string("{0}") : s + "}";
        };
        o << "/* Defaults of the parameters the card does not give, and their ranges.\n"
          << "   Called again at every temperature change: given values are kept. */\n"
          << "static void " << o_
          << "setup_model(void *handle, void *model, osdi_sim_params *sim, osdi_init_info *res)\n{\n"
          << "    static const int index[] = " << list(model_idx, false) << ";\n"
          << "    static const uint32_t id[] = " << list(model_idx, true) << ";\n"
          << "    " << o_ << "model *mo = model;\n"
          << "    (void)handle, (void)sim, (void)index, (void)id;\n"
          << "    " << o_ << "clear(res);\n"
          << "    " << m_ << "_init_given(&mo->p, mo->given);\n"
          << "    mo->failed = " << o_ << "check(&mo->p, index, id, " << model_idx.size() << ", res) != 0;\n"
          << "}\n\n";

        o << "/* The instance's record: the model's values, its own, the device\n"
          << "   temperature (kelvin), and the defaults of what neither gives computed\n"
          << "   from those.  The simulator keeps only the result of its last set-up\n"
          << "   call, so a failure marks the model and every later instance of it\n"
          << "   fails too, and a failed instance stays inert. */\n"
          << "static void " << o_
          << "setup_instance(void *handle, void *inst, void *model, double temperature, uint32_t connected,\n"
          << "        osdi_sim_params *sim, osdi_init_info *res)\n{\n"
          << "    static const int index[] = " << list(all_idx, false) << ";\n"
          << "    static const uint32_t id[] = " << list(all_idx, true) << ";\n"
          << "    " << o_ << "inst *d = inst;\n"
          << "    " << o_ << "model *mo = model;\n"
          << "    unsigned char given[" << M_ << "_NUM_PARAMS];\n"
          << "    (void)handle, (void)sim;\n"
          << "    " << o_ << "clear(res);\n"
          << "    d->ready = 0;\n"
          << "    d->evaluated = 0;\n"
          << "    if (mo->failed) {\n"
          << "        res->flags = OSDI_EVAL_FATAL;\n"
          << "        return;\n"
          << "    }\n"
          << "    if (connected < " << ports_ << "u) {\n"
          << "        fprintf(stderr, \"" << type_ << ": an instance needs its " << ports_ << " terminals (";
        for (int k = 0; k < ports_; ++k) o << (k ? " " : "") << node_names_[static_cast<size_t>(k)];
        o << "); %u connected\\n\", (unsigned)connected);\n"
          << "        res->flags = OSDI_EVAL_FATAL;\n"
          << "        mo->failed = 1;\n"
          << "        return;\n"
          << "    }\n";
        for (size_t i = 0; i < p_.params.size(); ++i) {
            const ParamInfo &info = p_.side.params[i];
            const std::string f = field(static_cast<int>(i));
            if (info.implicit && info.name == "temp")
                o << "    d->p." << f << " = temperature;\n    given[" << i << "] = 1;\n";
            else if (!info.device)
                o << "    d->p." << f << " = mo->p." << f << ";\n    given[" << i << "] = mo->given[" << i << "];\n";
            else
                o << "    given[" << i << "] = d->given[" << i << "];\n";
        }
        o << "    " << m_ << "_init_given(&d->p, given);\n"
          << "    if (!d->mfactor_given) d->mfactor = 1.0;\n"
          << "    if (" << o_ << "check(&d->p, index, id, " << all_idx.size() << ", res)) {\n"
          << "        mo->failed = 1;\n"
          << "        return;\n"
          << "    }\n"
          << "    d->ready = 1;\n"
          << "}\n\n";
    }

    // The indices of the entries of row k (the entries go row by row).
    std::vector<size_t> row_entries(int k) const {
        std::vector<size_t> r;
        for (size_t e = row_begin_[static_cast<size_t>(k)]; e < row_begin_[static_cast<size_t>(k) + 1]; ++e)
            r.push_back(e);
        return r;
    }

    void eval(std::ostream &o) const {
        const std::string n = num(static_cast<size_t>(nu_));
        o << "/* What the linearisation at the last evaluation predicts at x, row by\n"
          << "   row; returns the largest terminal current of the two, the scale of\n"
          << "   internal nodes' balances (sums of currents that cancel). */\n"
          << "static double " << o_ << "predict(const " << o_ << "inst *d, const double *x, double *hat)\n{\n"
          << "    double scale = 0.0;\n"
          << "    (void)x;\n";
        for (int k = 0; k < nu_; ++k) {
            o << "    hat[" << k << "] = d->i[" << k << "]";
            for (size_t e : row_entries(k)) {
                const Entry &en = entries_[e];
                if (en.resist) o << " + d->jg[" << e << "] * (x[" << en.col << "] - d->x[" << en.col << "])";
            }
            o << ";\n";
        }
        for (int k = 0; k < ports_; ++k)
            o << "    if (fabs(hat[" << k << "]) > scale) scale = fabs(hat[" << k << "]);\n"
              << "    if (fabs(d->i[" << k << "]) > scale) scale = fabs(d->i[" << k << "]);\n";
        o << "    return scale;\n}\n\n";

        // Row k's reference size and floor, in the two checks below.
        auto rows = [&](const std::string &test, const std::string &amps, const std::string &volts) {
            for (int k = 0; k < nu_; ++k) {
                const char *scale = k < ports_ || is_branch(k) ? "0.0" : "scale";
                o << "    ok = ok && " << test << "(m * r->i[" << k << "], hat[" << k << "], d->i[" << k << "], "
                  << scale << ", " << (is_branch(k) ? volts : amps) << ");\n";
            }
        };
        o << "/* Step control.  The model's exponentials are plain exp(), so a full\n"
          << "   Newton step can land where a current is orders of magnitude beyond\n"
          << "   what the last linearisation predicted (or not finite).  Such a point\n"
          << "   is not taken: eval halves the step, back towards the last point\n"
          << "   evaluated, until every residual is within GROWTH times the larger of\n"
          << "   its prediction and its last value (for an internal node, of the\n"
          << "   largest terminal current) plus a floor, linearises there, and\n"
          << "   reports the iteration as not converged: what SPICE's junction\n"
          << "   limiting does, for any model. */\n"
          << "static int " << o_ << "within(double now, double hat, double last, double scale, double floor)\n{\n"
          << "    double ref = fabs(hat) > fabs(last) ? fabs(hat) : fabs(last);\n"
          << "    if (scale > ref) ref = scale;\n"
          << "    return fabs(now - hat) <= " << M_ << "_OSDI_GROWTH * ref + floor;\n}\n\n"
          << "static int " << o_ << "bounded(const " << o_ << "inst *d, const double *x, const " << m_
          << "_result *r)\n{\n"
          << "    const double m = d->mfactor;\n"
          << "    double hat[" << n << "], scale = " << o_ << "predict(d, x, hat);\n"
          << "    int ok = 1;\n"
          << "    (void)scale;\n";
        rows(o_ + "within", M_ + "_OSDI_FLOOR_A", M_ + "_OSDI_FLOOR_V");
        o << "    return ok;\n}\n\n";

        o << "/* The current convergence check of SPICE: every residual within RELTOL\n"
          << "   of the larger of it and its prediction (for an internal node, of the\n"
          << "   largest terminal current) plus ABSTOL, or VNTOL for a branch\n"
          << "   equation, which is in volts. */\n"
          << "static int " << o_ << "close(double now, double hat, double last, double scale, double abstol)\n{\n"
          << "    double ref = fabs(now) > fabs(hat) ? fabs(now) : fabs(hat);\n"
          << "    (void)last;\n"
          << "    if (scale > ref) ref = scale;\n"
          << "    return fabs(now - hat) <= " << M_ << "_OSDI_RELTOL * ref + abstol;\n}\n\n"
          << "static int " << o_ << "converged(const " << o_ << "inst *d, const double *x, const " << m_
          << "_result *r)\n{\n"
          << "    const double m = d->mfactor;\n"
          << "    double hat[" << n << "], scale = " << o_ << "predict(d, x, hat);\n"
          << "    int ok = 1;\n"
          << "    (void)scale;\n";
        rows(o_ + "close", M_ + "_OSDI_ABSTOL", M_ + "_OSDI_VNTOL");
        o << "    return ok;\n}\n\n";

        o << "/* Evaluates at the simulator's last solution, or short of it (step\n"
          << "   control), and keeps the point, the residuals, charges and Jacobian\n"
          << "   values for the loads.  Runs in parallel over instances: it touches\n"
          << "   only its own instance. */\n"
          << "static uint32_t " << o_
          << "eval(void *handle, void *inst, const void *model, const osdi_sim_info *info)\n{\n"
          << "    " << o_ << "inst *d = inst;\n"
          << "    const double *v = info->prev_solve;\n"
          << "    const double m = d->mfactor;\n"
          << "    /* step control in Newton iterations, not for the small-signal point */\n"
          << "    const int control = d->evaluated && (info->flags & OSDI_CALC_RESIST_RESIDUAL);\n"
          << "    " << m_ << "_result r;\n"
          << "    double x[" << n << "], from[" << n << "];\n"
          << "    uint32_t ret = 0;\n"
          << "    int k, halvings;\n"
          << "    (void)handle, (void)model;\n"
          << "    if (!d->ready) return OSDI_EVAL_FATAL;\n";
        for (int k = 0; k < nu_; ++k) o << "    x[" << k << "] = v[d->node[" << k << "]];\n";
        o << "    for (k = 0; k < " << n << "; k++) from[k] = d->evaluated ? d->x[k] : 0.0;\n"
          << "    for (halvings = 0;; halvings++) {\n"
          << "        const int finite = " << m_ << "_evaluate(x, &d->p, &r) == 0;\n"
          << "        if (finite && (!control || halvings == " << M_ << "_OSDI_HALVINGS || " << o_
          << "bounded(d, x, &r))) break;\n"
          << "        if (!finite && halvings >= 2 * " << M_ << "_OSDI_HALVINGS) {\n"
          << "            if (!d->warned)\n"
          << "                fprintf(stderr, \"" << type_ << ": the model is not finite at any point tried\\n\");\n"
          << "            d->warned = 1;\n"
          << "            return OSDI_EVAL_FATAL;\n"
          << "        }\n"
          << "        for (k = 0; k < " << n << "; k++) x[k] = from[k] + 0.5 * (x[k] - from[k]);\n"
          << "        ret = OSDI_EVAL_LIMITED;\n"
          << "    }\n"
          << "    if (!ret && control && !(info->flags & OSDI_INIT_LIM) && !" << o_ << "converged(d, x, &r))\n"
          << "        ret = OSDI_EVAL_LIMITED;\n";
        for (int k = 0; k < nu_; ++k)
            o << "    d->x[" << k << "] = x[" << k << "];\n"
              << "    d->i[" << k << "] = m * r.i[" << k << "];\n"
              << "    d->q[" << k << "] = m * r.q[" << k << "];\n";
        for (size_t e = 0; e < entries_.size(); ++e) {
            const Entry &en = entries_[e];
            if (en.resist) o << "    d->jg[" << e << "] = m * r.g[" << en.row << "][" << en.col << "];\n";
            if (en.react) o << "    d->jc[" << e << "] = m * r.c[" << en.row << "][" << en.col << "];\n";
        }
        o << "    d->evaluated = 1;\n"
          << "    return ret;\n}\n\n";
    }

    std::string head(const std::string &name, const std::string &args) const {
        return "static void " + o_ + name + "(void *inst, void *model" + args + ")\n{\n    " + o_ + "inst *d = inst;\n";
    }

    void loads(std::ostream &o) const {
        o << "/* The loads, from the values of the last evaluation; nothing for an\n"
          << "   instance whose set-up failed.  The right-hand side linearises at the\n"
          << "   point evaluated, x: the simulator's solution unless step control\n"
          << "   shortened the step. */\n";
        o << head("load_jacobian_resist", "") << "    (void)model;\n    if (!d->ready) return;\n";
        for (size_t e = 0; e < entries_.size(); ++e)
            if (entries_[e].resist) o << "    *d->jac[" << e << "] += d->jg[" << e << "];\n";
        o << "}\n\n"
          << head("load_jacobian_react", ", double alpha")
          << "    (void)model, (void)alpha;\n    if (!d->ready) return;\n";
        for (size_t e = 0; e < entries_.size(); ++e)
            if (entries_[e].react) o << "    *d->jac_im[" << e << "] += alpha * d->jc[" << e << "];\n";
        o << "}\n\n"
          << head("load_jacobian_tran", ", double alpha")
          << "    (void)model, (void)alpha;\n    if (!d->ready) return;\n";
        for (size_t e = 0; e < entries_.size(); ++e) o << "    *d->jac[" << e << "] += " << coef(e, true) << ";\n";
        o << "}\n\n";
        for (int tran = 0; tran < 2; ++tran) {
            o << head(tran ? "load_spice_rhs_tran" : "load_spice_rhs_dc",
                      std::string(", double *dst, double *prev") + (tran ? ", double alpha" : ""))
              << "    (void)model, (void)prev" << (tran ? ", (void)alpha" : "") << ";\n    if (!d->ready) return;\n";
            for (int k = 0; k < nu_; ++k) {
                std::string sum;
                for (size_t e : row_entries(k)) {
                    if (!tran && !entries_[e].resist) continue;
                    const std::string c = coef(e, tran != 0);
                    sum += (c.find('+') == std::string::npos ? c : "(" + c + ")") + " * d->x[" +
                           num(static_cast<size_t>(entries_[e].col)) + "] + ";
                }
                o << "    dst[d->node[" << k
                  << "]] += " << (sum.empty() ? "-d->i[" : sum.substr(0, sum.size() - 3) + " - d->i[") << k << "];\n";
            }
            o << "}\n\n";
        }
        for (int react = 0; react < 2; ++react) {
            o << head(react ? "load_residual_react" : "load_residual_resist", ", double *dst")
              << "    (void)model;\n    if (!d->ready) return;\n";
            for (int k = 0; k < nu_; ++k)
                o << "    dst[d->node[" << k << "]] += d->" << (react ? "q" : "i") << "[" << k << "];\n";
            o << "}\n\n";
        }
        o << "/* No limiting right-hand side and no noise. */\n"
          << "static void " << o_ << "load_limit_rhs(void *inst, void *model, double *dst)\n{\n"
          << "    (void)inst, (void)model, (void)dst;\n}\n\n"
          << "static void " << o_
          << "load_noise(void *inst, void *model, double freq, double *dens, double *ln_dens)\n{\n"
          << "    (void)inst, (void)model, (void)freq, (void)dens, (void)ln_dens;\n}\n\n";
    }

    // The matrix value of entry e: G, or G + alpha C in a transient.
    std::string coef(size_t e, bool tran) const {
        const Entry &en = entries_[e];
        const std::string g = "d->jg[" + num(e) + "]", c = "alpha * d->jc[" + num(e) + "]";
        if (!tran || !en.react) return g;
        return en.resist ? g + " + " + c : c;
    }

    void descriptor(std::ostream &o) const {
        o << "/* ---- The descriptor ---- */\n";
        for (size_t k = 0; k < params_.size(); ++k)
            o << "static char *" << o_ << "pname" << k << "[] = {" << str(params_[k].name) << "};\n";
        o << "static osdi_param " << o_ << "params[" << params_.size() << "] = {\n";
        for (size_t k = 0; k < params_.size(); ++k) {
            const Exported &e = params_[k];
            o << "    {" << o_ << "pname" << k << ", 0, " << str(e.description) << ", \"\", "
              << (e.integer ? "OSDI_PARAM_INT" : "OSDI_PARAM_REAL") << " | "
              << (e.instance ? "OSDI_PARAM_INSTANCE" : "OSDI_PARAM_MODEL") << ", 0},\n";
        }
        o << "};\n\n";
        o << "/* Terminals, internal nodes, branch currents: the model's unknowns. */\n"
          << "static osdi_node " << o_ << "nodes[" << nu_ << "] = {\n";
        for (int k = 0; k < nu_; ++k) {
            bool charge = false;
            for (const Entry &e : entries_) charge = charge || (e.row == k && e.react);
            const bool flow = is_branch(k);
            o << "    {" << str(node_names_[static_cast<size_t>(k)]) << ", " << (flow ? "\"A\", \"V\"" : "\"V\", \"A\"")
              << ", offsetof(" << o_ << "inst, i) + " << k << " * sizeof(double), ";
            if (charge)
                o << "offsetof(" << o_ << "inst, q) + " << k << " * sizeof(double)";
            else
                o << "OSDI_NO_OFFSET";
            o << ", OSDI_NO_OFFSET, OSDI_NO_OFFSET, " << (flow ? "true" : "false") << "},\n";
        }
        o << "};\n\n";
        o << "/* (equation, unknown): the entries the model's Jacobian table lists. */\n"
          << "static osdi_jacobian_entry " << o_ << "jacobian[" << nj_alloc() << "] = {\n";
        if (entries_.empty()) o << "    {{0, 0}, OSDI_NO_OFFSET, 0},\n";
        for (size_t e = 0; e < entries_.size(); ++e) {
            const Entry &en = entries_[e];
            o << "    {{" << en.row << ", " << en.col << "}, ";
            if (en.react)
                o << "offsetof(" << o_ << "inst, jac_im) + " << e << " * sizeof(double *)";
            else
                o << "OSDI_NO_OFFSET";
            o << ", "
              << (en.resist && en.react ? "OSDI_JAC_RESIST | OSDI_JAC_REACT"
                  : en.resist           ? "OSDI_JAC_RESIST"
                                        : "OSDI_JAC_REACT")
              << "},\n";
        }
        o << "};\n\n";
        o << "const uint32_t OSDI_VERSION_MAJOR = OSDI_ABI_MAJOR;\n"
          << "const uint32_t OSDI_VERSION_MINOR = OSDI_ABI_MINOR;\n"
          << "const uint32_t OSDI_NUM_DESCRIPTORS = 1;\n"
          << "const osdi_descriptor OSDI_DESCRIPTORS[1] = {{\n"
          << "    .name = " << str(type_) << ",\n"
          << "    .num_nodes = " << nu_ << ",\n"
          << "    .num_terminals = " << ports_ << ",\n"
          << "    .nodes = " << o_ << "nodes,\n"
          << "    .num_jacobian_entries = " << nj() << ",\n"
          << "    .jacobian_entries = " << o_ << "jacobian,\n"
          << "    .num_collapsible = 0,\n"
          << "    .collapsible = NULL,\n"
          << "    .collapsed_offset = OSDI_NO_OFFSET,\n"
          << "    .noise_sources = NULL,\n"
          << "    .num_noise_src = 0,\n"
          << "    .num_params = " << params_.size() << ",\n"
          << "    .num_instance_params = " << num_instance_ << ",\n"
          << "    .num_opvars = 0,\n"
          << "    .param_opvar = " << o_ << "params,\n"
          << "    .node_mapping_offset = offsetof(" << o_ << "inst, node),\n"
          << "    .jacobian_ptr_resist_offset = offsetof(" << o_ << "inst, jac),\n"
          << "    .num_states = 0,\n"
          << "    .state_idx_off = OSDI_NO_OFFSET,\n"
          << "    .bound_step_offset = OSDI_NO_OFFSET,\n"
          << "    .instance_size = sizeof(" << o_ << "inst),\n"
          << "    .model_size = sizeof(" << o_ << "model),\n"
          << "    .access = " << o_ << "access,\n"
          << "    .setup_model = " << o_ << "setup_model,\n"
          << "    .setup_instance = " << o_ << "setup_instance,\n"
          << "    .eval = " << o_ << "eval,\n"
          << "    .load_noise = " << o_ << "load_noise,\n"
          << "    .load_residual_resist = " << o_ << "load_residual_resist,\n"
          << "    .load_residual_react = " << o_ << "load_residual_react,\n"
          << "    .load_limit_rhs_resist = " << o_ << "load_limit_rhs,\n"
          << "    .load_limit_rhs_react = " << o_ << "load_limit_rhs,\n"
          << "    .load_spice_rhs_dc = " << o_ << "load_spice_rhs_dc,\n"
          << "    .load_spice_rhs_tran = " << o_ << "load_spice_rhs_tran,\n"
          << "    .load_jacobian_resist = " << o_ << "load_jacobian_resist,\n"
          << "    .load_jacobian_react = " << o_ << "load_jacobian_react,\n"
          << "    .load_jacobian_tran = " << o_ << "load_jacobian_tran,\n"
          << "}};\n";
    }
};

}  // namespace

std::string default_osdi_type(const Program &prog) { return lower(prog.module) + "_va"; }

std::string osdi_module(const Program &prog, const std::string &c_file, const std::string &type) {
    return OsdiGen(prog, type).run(c_file);
}

}  // namespace zelk4th
