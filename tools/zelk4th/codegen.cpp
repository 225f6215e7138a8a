#include "codegen.h"

#include <cctype>
#include <sstream>

#include "builtins.h"
#include "runtime.h"

namespace zelk4th {

namespace {

std::string upper(const std::string &s) {
    std::string u = s;
    for (char &c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// A text inside a C string literal or comment.
std::string c_string(const std::string &s) {
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

std::string comment_text(const std::string &s) {
    std::string out = s;
    for (size_t at = out.find("*/"); at != std::string::npos; at = out.find("*/")) out.replace(at, 2, "* /");
    return out;
}

bool ident_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Every internal name of the generated text ("zk_..." and "ZK_...") gets the
// module's prefix, so that files of several models can share a translation
// unit.  Strings are left alone; so are the renamed source names ("zk_u_...",
// record fields among them) and the evaluate function's own arguments.
std::string prefix_internal(const std::string &text, const std::string &m, const std::string &M) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '"') {
            size_t j = i + 1;
            while (j < text.size() && text[j] != '"') j += text[j] == '\\' ? 2 : 1;
            out.append(text, i, j + 1 - i);
            i = j + 1;
        } else if (ident_char(c)) {
            size_t j = i;
            while (j < text.size() && ident_char(text[j])) ++j;
            const std::string word = text.substr(i, j - i);
            const bool keep = word == "zk_p" || word == "zk_r" || word == "zk_v" || word.compare(0, 5, "zk_u_") == 0;
            if (!keep && word.compare(0, 3, "zk_") == 0)
                out += m + "_" + word;
            else if (word.compare(0, 3, "ZK_") == 0)
                out += M + "_" + word;
            else
                out += word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

class Gen {
public:
    explicit Gen(const Program &p) : p_(p), M_(upper(p.module)), m_(p.module) {}

    Generated run() {
        std::ostringstream h;
        interface(h);
        const std::string header_text = h.str();
        tables();
        param_functions();
        analog_functions();
        evaluate();
        const std::string body = out_.str();
        Generated g;
        g.h = prefix_internal("/* " + m_ + "eq.h: the interface of the " + m_ + " model, written by zelk4th from '" +
                              comment_text(p_.source_name) + "' with " + m_ + "eq.c.\n *\n" + usage_comment() +
                              " */\n" + header_text, m_, M_);
        g.c = prefix_internal("/* " + m_ + ": C model written by zelk4th from '" + comment_text(p_.source_name) +
                              "'.\n *\n" + usage_comment() +
                              " *\n * The interface below is also " + m_ + "eq.h, under the same include guard.\n"
                              " * Needs only <math.h> and <stdio.h>: compile with -std=c99, link with -lm.\n */\n"
                              "#include <math.h>\n#include <stdio.h>\n\n" +
                              header_text + "\n" + runtime_text(unknowns(), body) + body, m_, M_);
        return g;
    }

private:
    const Program &p_;
    const std::string M_, m_;  // upper- and lower-case module name
    std::ostringstream out_;
    int indent_ = 0;
    const Function *cur_fn_ = nullptr;  // the analog function being written

    int nodes() const { return static_cast<int>(p_.nodes.size()); }
    int unknowns() const { return nodes() + static_cast<int>(p_.branches.size()); }
    int unknowns_alloc() const { return unknowns() > 0 ? unknowns() : 1; }
    int nodes_alloc() const { return nodes() > 0 ? nodes() : 1; }
    int ports_alloc() const { return p_.port_nodes.empty() ? 1 : static_cast<int>(p_.port_nodes.size()); }
    std::string line_prefix() const { return std::string(static_cast<size_t>(indent_) * 4, ' '); }
    void line(const std::string &text) { out_ << line_prefix() << text << "\n"; }
    static std::string loc_text(const Loc &loc) {
        return loc.file.empty() ? std::string() : comment_text(loc.file) + ":" + std::to_string(loc.line);
    }
    // The source position as a comment at the end of a generated line.
    static std::string where(const Loc &loc) {
        return loc.file.empty() ? std::string() : "  /* " + loc_text(loc) + " */";
    }

    // ---- the interface ----

    std::string usage_comment() const {
        std::string u;
        u += " * Unknowns x[k], in this order: the node voltages (V) of the ports";
        for (int k : p_.port_nodes) u += " " + p_.nodes[static_cast<size_t>(k)]->name;
        u += ",\n * the internal nodes";
        bool any = false;
        for (const Symbol *n : p_.nodes) {
            bool port = false;
            for (int k : p_.port_nodes) port = port || n->index == k;
            if (!port) u += " " + n->name, any = true;
        }
        if (!any) u += " (none)";
        u += ", then the branch currents (A)";
        for (const PotentialBranch &b : p_.branches) u += " " + b.name;
        if (p_.branches.empty()) u += " (none)";
        u += ".\n *\n";
        u += " * " + m_ + "_init(&p)                  fills the parameter record with the defaults\n";
        u += " * " + m_ + "_init_given(&p, given)     the same for the parameters whose given[k] is 0\n";
        u += " * " + m_ + "_check(&p, msg, n)         number of parameters outside their range\n";
        u += " * " + m_ + "_check_param(&p, k, msg, n) 1 when parameter k is outside its range\n";
        u += " * " + m_ + "_evaluate(x, &p, &r)       r.i[k] + d r.q[k]/dt is residual k (equation k),\n";
        u += " *                               r.g, r.c its derivatives; 0, or 1 when not finite\n";
        return comment_text(u);
    }

    std::string range_text(const ParamInfo &info) const {
        return std::string(1, info.lo_bracket) + info.lo_text + ":" + info.hi_text + std::string(1, info.hi_bracket);
    }

    // The interface: the header file, repeated at the top of the C file.
    void interface(std::ostream &o) const {
        const std::string guard = M_ + "EQ_H";
        const std::string n = std::to_string(unknowns_alloc());
        o << "#ifndef " << guard << "\n#define " << guard << "\n\n#include <stddef.h>\n\n"
          << "/* Unknowns: node voltages first (ports, then internal nodes), then the\n"
          << "   currents of the branches that receive potential contributions.\n"
          << "   Equation k belongs to unknown k: the current balance of node k, or the\n"
          << "   branch equation of branch current k. */\n"
          << "#define " << M_ << "_MODULE_NAME \"" << m_ << "\"  /* the module, in lower case */\n"
          << "#define " << M_ << "_NUM_PORTS " << p_.port_nodes.size() << "\n"
          << "#define " << M_ << "_NUM_NODES " << nodes() << "\n"
          << "#define " << M_ << "_NUM_BRANCHES " << p_.branches.size() << "\n"
          << "#define " << M_ << "_NUM_UNKNOWNS " << unknowns() << "\n"
          << "#define " << M_ << "_NUM_PARAMS " << p_.params.size() << "\n";
        int entries = 0;
        for (int k = 0; k < unknowns(); ++k)
            for (int j = 0; j < unknowns(); ++j) entries += jac(p_.resist, k, j) || jac(p_.react, k, j);
        o << "#define " << M_ << "_NUM_JACOBIAN " << entries << "\n\n";

        o << "enum { " << M_ << "_TERMINAL = 0, " << M_ << "_INTERNAL = 1, " << M_ << "_BRANCH_CURRENT = 2 };\n\n"
          << "/* X(index, name, kind, has_charge): every unknown, and whether its\n"
          << "   equation has a charge part. */\n"
          << "#define " << M_ << "_UNKNOWNS(X)";
        for (int k = 0; k < unknowns(); ++k) {
            bool charge = false;
            for (int j = 0; j < unknowns(); ++j) charge = charge || jac(p_.react, k, j);
            const char *kind = k < static_cast<int>(p_.port_nodes.size()) ? "_TERMINAL" : k < nodes() ? "_INTERNAL"
                                                                                                   : "_BRANCH_CURRENT";
            o << " \\\n    X(" << k << ", \"" << c_string(unknown_name(k)) << "\", " << M_ << kind << ", "
              << (charge ? 1 : 0) << ")";
        }
        o << "\n\n/* X(equation, unknown, resist, react): the Jacobian entries that can be\n"
          << "   nonzero, row by row; resist: in g (d i / d x), react: in c (d q / d x). */\n"
          << "#define " << M_ << "_JACOBIAN(X)";
        for (int k = 0; k < unknowns(); ++k)
            for (int j = 0; j < unknowns(); ++j)
                if (jac(p_.resist, k, j) || jac(p_.react, k, j))
                    o << " \\\n    X(" << k << ", " << j << ", " << (jac(p_.resist, k, j) ? 1 : 0) << ", "
                      << (jac(p_.react, k, j) ? 1 : 0) << ")";
        o << "\n\nenum { " << M_ << "_MODEL_PARAM = 0, " << M_ << "_INSTANCE_PARAM = 1 };\n"
          << "enum { " << M_ << "_DECLARED = 0, " << M_ << "_TEMPERATURE = 1, " << M_ << "_AREA = 2 };\n\n"
          << "/* X(index, name, field, type, kind, role): every parameter, in the\n"
          << "   order of the record; kind: model or instance parameter; role:\n"
          << "   declared in the model, or the device temperature (K) or area that\n"
          << "   every model has. */\n"
          << "#define " << M_ << "_PARAMS(X)";
        for (size_t i = 0; i < p_.params.size(); ++i) {
            const ParamInfo &info = p_.side.params[i];
            const Symbol &s = *p_.params[i];
            const char *role = !info.implicit ? "_DECLARED" : info.name == "temp" ? "_TEMPERATURE" : "_AREA";
            o << " \\\n    X(" << i << ", \"" << c_string(info.name) << "\", " << s.cname << ", "
              << (s.type == Ty::Int ? "int" : "double") << ", " << M_
              << (info.device ? "_INSTANCE_PARAM" : "_MODEL_PARAM") << ", " << M_ << role << ")";
        }
        o << "\n\n/* Model and device parameters. */\n"
          << "typedef struct " << m_ << "_params {\n";
        for (size_t i = 0; i < p_.params.size(); ++i) {
            const ParamInfo &info = p_.side.params[i];
            const Symbol &s = *p_.params[i];
            std::string what = info.implicit ? (info.name == "temp" ? "device temperature (K)" : "device area factor")
                                             : std::string(info.device ? "device" : "model") + " parameter";
            o << "    " << (s.type == Ty::Int ? "int " : "double ") << s.cname << ";  /* " << what << ", default "
              << comment_text(info.default_text);
            if (info.has_range) o << ", range " << comment_text(range_text(info));
            o << " */\n";
        }
        o << "} " << m_ << "_params;\n\n"
          << "/* What " << m_ << "_evaluate computes, per equation. */\n"
          << "typedef struct " << m_ << "_result {\n"
          << "    double i[" << n << "];     /* static residual: current from the node into the device (A) */\n"
          << "    double q[" << n << "];     /* charge; its time derivative adds to the residual (C) */\n"
          << "    double g[" << n << "][" << n << "];  /* d i[k] / d x[j] */\n"
          << "    double c[" << n << "][" << n << "];  /* d q[k] / d x[j] */\n"
          << "} " << m_ << "_result;\n\n"
          << "extern const char *const " << m_ << "_node_names[" << nodes_alloc() << "];\n"
          << "extern const char *const " << m_ << "_unknown_names[" << n << "];\n"
          << "extern const int " << m_ << "_port_nodes[" << ports_alloc() << "];\n"
          << "extern const char *const " << m_ << "_param_names[" << p_.params.size() << "];\n"
          << "void " << m_ << "_init(" << m_ << "_params *p);\n"
          << "void " << m_ << "_init_given(" << m_ << "_params *p, const unsigned char *given);\n"
          << "int " << m_ << "_check(const " << m_ << "_params *p, char *msg, size_t size);\n"
          << "int " << m_ << "_check_param(const " << m_ << "_params *p, int index, char *msg, size_t size);\n"
          << "int " << m_ << "_param_index(const char *name);\n"
          << "double " << m_ << "_get_param(const " << m_ << "_params *p, int index);\n"
          << "void " << m_ << "_set_param(" << m_ << "_params *p, int index, double value);\n"
          << "int " << m_ << "_evaluate(const double *x, const " << m_ << "_params *p, " << m_ << "_result *r);\n\n"
          << "#endif /* " << guard << " */\n";
    }

    static bool jac(const std::vector<std::vector<char>> &m, int k, int j) {
        return m[static_cast<size_t>(k)][static_cast<size_t>(j)] != 0;
    }

    std::string unknown_name(int k) const {
        return k < nodes() ? p_.nodes[static_cast<size_t>(k)]->name
                           : p_.branches[static_cast<size_t>(k - nodes())].name;
    }

    void tables() {
        out_ << "\n/* ---- Name tables ---------------------------------------------------- */\n";
        out_ << "const char *const " << m_ << "_node_names[" << nodes_alloc() << "] = {";
        if (p_.nodes.empty()) out_ << "0";
        for (int k = 0; k < nodes(); ++k) out_ << (k ? ", " : "") << "\"" << c_string(unknown_name(k)) << "\"";
        out_ << "};\n";
        out_ << "const char *const " << m_ << "_unknown_names[" << unknowns_alloc() << "] = {";
        if (unknowns() == 0) out_ << "0";
        for (int k = 0; k < unknowns(); ++k) out_ << (k ? ", " : "") << "\"" << c_string(unknown_name(k)) << "\"";
        out_ << "};\n";
        out_ << "const int " << m_ << "_port_nodes[" << ports_alloc() << "] = {";
        if (p_.port_nodes.empty()) out_ << "0";
        for (size_t i = 0; i < p_.port_nodes.size(); ++i) out_ << (i ? ", " : "") << p_.port_nodes[i];
        out_ << "};\n";
        out_ << "const char *const " << m_ << "_param_names[" << p_.params.size() << "] = {";
        for (size_t i = 0; i < p_.params.size(); ++i) out_ << (i ? ", " : "") << "\"" << p_.params[i]->name << "\"";
        out_ << "};\n";
    }

    void param_functions() {
        out_ << "\n/* ---- Parameters ----------------------------------------------------- */\n";
        // Defaults in declaration order: a default may use the ones before it,
        // as they were given or defaulted.
        out_ << "void " << m_ << "_init_given(" << m_ << "_params *zk_p, const unsigned char *given)\n{\n";
        for (size_t i = 0; i < p_.params.size(); ++i)
            out_ << "    if (!given || !given[" << i << "]) zk_p->" << p_.params[i]->cname << " = "
                 << as(*p_.param_code[i].def, p_.params[i]->type) << ";\n";
        out_ << "}\n\n"
             << "void " << m_ << "_init(" << m_ << "_params *zk_p)\n{\n"
             << "    " << m_ << "_init_given(zk_p, 0);\n}\n\n";

        // One parameter at a time, so that a simulator can tell which one is
        // out of range; the whole record is that, over every index.
        out_ << "int " << m_ << "_check_param(const " << m_ << "_params *zk_p, int index, char *msg, size_t size)\n{\n"
             << "    (void)zk_p;\n"
             << "    if (msg && size > 0) msg[0] = '\\0';\n"
             << "    switch (index) {\n";
        for (size_t i = 0; i < p_.params.size(); ++i) {
            const ParamInfo &info = p_.side.params[i];
            if (!info.has_range) continue;
            const Symbol &s = *p_.params[i];
            const ParamCode &code = p_.param_code[i];
            const std::string v = "zk_p->" + s.cname;
            const std::string lo = as(*code.lo, Ty::Real), hi = as(*code.hi, Ty::Real);
            out_ << "    case " << i << ":\n"
                 << "        if (" << v << (info.lo_bracket == '(' ? " > " : " >= ") << lo << " && " << v
                 << (info.hi_bracket == ')' ? " < " : " <= ") << hi << ") return 0;\n"
                 << "        if (msg && size > 0)\n"
                 << "            snprintf(msg, size, \"" << m_ << ": parameter '" << c_string(info.name) << "' = "
                 << (s.type == Ty::Int ? "%d" : "%g") << " is outside its range "
                 << c_string(range_text(info)) << "\", " << v << ");\n"
                 << "        return 1;\n";
        }
        out_ << "    default: return 0;\n    }\n}\n\n";

        out_ << "int " << m_ << "_check(const " << m_ << "_params *zk_p, char *msg, size_t size)\n{\n"
             << "    int bad = 0, k;\n"
             << "    if (msg && size > 0) msg[0] = '\\0';\n"
             << "    for (k = 0; k < " << M_ << "_NUM_PARAMS; k++)\n"
             << "        if (" << m_ << "_check_param(zk_p, k, bad == 0 ? msg : 0, size)) bad++;\n"
             << "    return bad;\n}\n\n";

        out_ << "int " << m_ << "_param_index(const char *name)\n{\n"
             << "    int k;\n"
             << "    for (k = 0; k < " << M_ << "_NUM_PARAMS; k++)\n"
             << "        if (zk_streq(" << m_ << "_param_names[k], name)) return k;\n"
             << "    return -1;\n}\n\n";

        out_ << "double " << m_ << "_get_param(const " << m_ << "_params *zk_p, int index)\n{\n"
             << "    switch (index) {\n";
        for (size_t i = 0; i < p_.params.size(); ++i)
            out_ << "    case " << i << ": return " << (p_.params[i]->type == Ty::Int ? "(double)" : "") << "zk_p->"
                 << p_.params[i]->cname << ";\n";
        out_ << "    default: return 0.0;\n    }\n}\n\n";

        out_ << "void " << m_ << "_set_param(" << m_ << "_params *zk_p, int index, double value)\n{\n"
             << "    switch (index) {\n";
        for (size_t i = 0; i < p_.params.size(); ++i)
            out_ << "    case " << i << ": zk_p->" << p_.params[i]->cname << " = "
                 << (p_.params[i]->type == Ty::Int ? "zk_round(value)" : "value") << "; break;\n";
        out_ << "    default: break;\n    }\n}\n";
    }

    // ---- functions ----

    static std::string c_type(Ty t) { return t == Ty::Int ? "int" : "zk_dual"; }
    static std::string zero(Ty t) { return t == Ty::Int ? "0" : "zk_cst(0.0)"; }

    std::string signature(const Function &f) const {
        std::string s = "static " + c_type(f.ret) + " " + f.cname + "(const " + m_ + "_params *zk_p";
        for (const Symbol *a : f.args) s += ", " + c_type(a->type) + (a->ptr ? " *" : " ") + a->cname;
        return s + ")";
    }

    void analog_functions() {
        // Only those the module calls: the others would be unused static functions.
        std::vector<const Function *> called;
        for (size_t k = 0; k < p_.functions.size(); ++k)
            if (p_.called[k]) called.push_back(&p_.functions[k]);
        if (called.empty()) return;
        out_ << "\n/* ---- Analog functions ----------------------------------------------- */\n";
        for (const Function *f : called) out_ << signature(*f) << ";\n";
        for (const Function *fp : called) {
            const Function &f = *fp;
            out_ << "\n/* analog function " << f.name << " (" << loc_text(f.def->loc) << ") */\n" << signature(f) << "\n{\n";
            indent_ = 1;
            cur_fn_ = &f;
            line("(void)zk_p;");
            for (const Symbol *a : f.args)
                if (!a->read) line("(void)" + a->cname + ";");
            items(*f.def->body);
            line("return " + zero(f.ret) + ";");
            indent_ = 0;
            out_ << "}\n";
        }
    }

    void evaluate() {
        const FuncDef &def = *p_.unit.evaluate;
        out_ << "\n/* ---- The module: " << def.name << " of the preprocessed file (" << loc_text(def.loc)
             << ") ---- */\n"
             << "static void zk_clear(" << m_ << "_result *r)\n{\n"
             << "    int j, k;\n"
             << "    for (j = 0; j < ZK_NA; j++) {\n"
             << "        r->i[j] = 0.0;\n"
             << "        r->q[j] = 0.0;\n"
             << "        for (k = 0; k < ZK_NA; k++) r->g[j][k] = r->c[j][k] = 0.0;\n"
             << "    }\n}\n\n"
             << "static int zk_all_finite(const " << m_ << "_result *r)\n{\n"
             << "    int j;\n"
             << "    for (j = 0; j < ZK_NA; j++)\n"
             << "        if (!zk_finite(&r->i[j], 1) || !zk_finite(&r->q[j], 1) || !zk_finite(r->g[j], ZK_NA) ||\n"
             << "            !zk_finite(r->c[j], ZK_NA))\n"
             << "            return 0;\n"
             << "    return 1;\n}\n\n"
             << "int " << m_ << "_evaluate(const double *zk_v, const " << m_ << "_params *zk_p, " << m_
             << "_result *zk_r)\n{\n";
        indent_ = 1;
        for (const Symbol *s : p_.nodes)
            line("zk_dual " + s->cname + " = zk_seed(zk_v[" + std::to_string(s->index) + "], " +
                 std::to_string(s->index) + ");");
        for (size_t k = 0; k < p_.branches.size(); ++k) {
            const std::string j = std::to_string(nodes() + static_cast<int>(k));
            line("zk_dual zk_i" + std::to_string(k) + " = zk_seed(zk_v[" + j + "], " + j + ");  /* " +
                 comment_text(p_.branches[k].name) + " */");
        }
        for (const Symbol *s : p_.module_vars)
            if (s->kind != SymKind::Branch) line(c_type(s->type) + " " + s->cname + " = " + zero(s->type) + ";");
        std::string unused = "(void)zk_p;";
        for (const Symbol *s : p_.nodes)
            if (!s->read && !branch_uses(s->index)) unused += " (void)" + s->cname + ";";
        for (const Symbol *s : p_.module_vars)
            if (!s->read && s->kind != SymKind::Branch) unused += " (void)" + s->cname + ";";
        line(unused);
        line("zk_clear(zk_r);");
        // Each branch current leaves its first node into the device and
        // comes back at its second; its equation starts from the voltage
        // across it, and every potential contribution is subtracted.
        for (size_t k = 0; k < p_.branches.size(); ++k) {
            const PotentialBranch &b = p_.branches[k];
            const std::string j = std::to_string(nodes() + static_cast<int>(k));
            const std::string vp = p_.nodes[static_cast<size_t>(b.p)]->cname;
            const std::string across = b.n < 0 ? vp : "zk_sub(" + vp + ", " + p_.nodes[static_cast<size_t>(b.n)]->cname + ")";
            line("zk_stamp(zk_r->i, zk_r->g, " + std::to_string(b.p) + ", " + std::to_string(b.n) + ", zk_i" +
                 std::to_string(k) + ");");
            line("zk_stamp(zk_r->i, zk_r->g, " + j + ", -1, " + across + ");");
        }
        line("{");
        ++indent_;
        items(*def.body);
        --indent_;
        line("}");
        line("return zk_all_finite(zk_r) ? 0 : 1;");
        indent_ = 0;
        out_ << "}\n";
    }

    bool branch_uses(int node) const {
        for (const PotentialBranch &b : p_.branches)
            if (b.p == node || b.n == node) return true;
        return false;
    }

    // ---- statements ----

    void items(const Stmt &block) {
        for (const StmtP &s : block.body) statement(*s);
    }

    void declaration(const Stmt &d) {
        for (const Symbol *s : d.declared) {
            line(c_type(s->type) + " " + s->cname + " = " + zero(s->type) + ";");
            if (!s->read) line("(void)" + s->cname + ";");
        }
    }

    // A statement that must stand as one C statement (a loop or branch body).
    void body(const Stmt &s) {
        ++indent_;
        if (s.kind == StmtKind::Block)
            items(s);
        else
            statement(s);
        --indent_;
    }

    std::string assignment(const Stmt &s) const {
        const Expr &t = *s.target;
        std::string target = t.kind == ExprKind::Deref ? "*" + t.sym->cname : t.sym->cname;
        return target + " = " + as(*s.value, t.sym->type);
    }

    void statement(const Stmt &s) {
        switch (s.kind) {
        case StmtKind::Empty: return;
        case StmtKind::Decl: declaration(s); return;
        case StmtKind::Block:
            line("{");
            body(s);
            line("}");
            return;
        case StmtKind::Assign: line(assignment(s) + ";" + where(s.loc)); return;
        case StmtKind::Return: line("return " + as(*s.value, cur_fn_->ret) + ";" + where(s.loc)); return;
        case StmtKind::ExprStmt: line(expression_statement(*s.value) + ";" + where(s.loc)); return;
        case StmtKind::If: {
            const Stmt *cur = &s;
            line("if (" + truth(*cur->cond) + ") {" + where(cur->loc));
            for (;;) {
                body(*cur->then_s);
                if (!cur->else_s) break;
                if (cur->else_s->kind == StmtKind::If) {
                    cur = cur->else_s.get();
                    line("} else if (" + truth(*cur->cond) + ") {" + where(cur->loc));
                    continue;
                }
                line("} else {");
                body(*cur->else_s);
                break;
            }
            line("}");
            return;
        }
        case StmtKind::While:
            line("while (" + truth(*s.cond) + ") {" + where(s.loc));
            body(*s.then_s);
            line("}");
            return;
        case StmtKind::For:
            line("for (" + (s.init ? assignment(*s.init) : std::string()) + "; " +
                 (s.cond ? truth(*s.cond) : std::string()) + "; " + (s.step ? assignment(*s.step) : std::string()) +
                 ") {" + where(s.loc));
            body(*s.then_s);
            line("}");
            return;
        case StmtKind::Contrib: contribution(s); return;
        }
    }

    std::string expression_statement(const Expr &e) const {
        if (e.kind == ExprKind::Call && e.text == "printf") return printf_call(e);
        if (e.kind == ExprKind::Call && e.fn) return "(void)" + ex(e);
        if (e.kind == ExprKind::PostDec) return e.kids[0]->sym->cname + "--";
        return "(void)" + ex(e);
    }

    std::string printf_call(const Expr &e) const {
        std::string s = "printf(" + e.fmt;
        for (size_t i = 0; i < e.convs.size(); ++i) {
            const Expr &a = *e.kids[i + 1];
            char c = e.convs[i];
            s += ", ";
            if (c == 's')
                s += a.text;
            else if (c == 'd' || c == 'i' || c == 'c')
                s += as(a, Ty::Int);
            else if (c == 'o' || c == 'u' || c == 'x' || c == 'X')
                s += "(unsigned)" + as(a, Ty::Int);
            else
                s += as(a, Ty::Real);
        }
        return s + ")";
    }

    // A flow contribution: the static part stamps the currents and
    // conductances, the ddt() part the charges and capacitances.
    // A potential contribution is subtracted from its branch equation (added
    // when written against the branch's direction).
    void contribution(const Stmt &s) {
        std::string a = std::to_string(s.node_index[0]);
        std::string b = std::to_string(s.node_index[1]);
        if (!s.flow) {
            a = s.reversed ? std::to_string(s.branch) : "-1";
            b = s.reversed ? "-1" : std::to_string(s.branch);
        }
        Parts parts = split(*s.value);
        if (!parts.stat.empty()) line("zk_stamp(zk_r->i, zk_r->g, " + a + ", " + b + ", " + parts.stat + ");" + where(s.loc));
        if (!parts.charge.empty())
            line("zk_stamp(zk_r->q, zk_r->c, " + a + ", " + b + ", " + parts.charge + ");" + where(s.loc));
    }

    struct Parts {
        std::string stat, charge;  // dual C expressions, empty when absent
    };

    static std::string add(const std::string &x, const std::string &y, bool minus) {
        if (y.empty()) return x;
        if (x.empty()) return minus ? "zk_neg(" + y + ")" : y;
        return (minus ? "zk_sub(" : "zk_add(") + x + ", " + y + ")";
    }

    Parts split(const Expr &e) const {
        if (!e.has_ddt) return Parts{as(e, Ty::Dual), std::string()};
        switch (e.kind) {
        case ExprKind::Call: return Parts{std::string(), as(*e.kids[0], Ty::Dual)};  // ddt
        case ExprKind::Neg: {
            Parts p = split(*e.kids[0]);
            return Parts{add("", p.stat, true), add("", p.charge, true)};
        }
        case ExprKind::Binary: {
            if (e.text == "+" || e.text == "-") {
                Parts l = split(*e.kids[0]), r = split(*e.kids[1]);
                bool minus = e.text == "-";
                return Parts{add(l.stat, r.stat, minus), add(l.charge, r.charge, minus)};
            }
            // A product or quotient with a factor free of node voltages.
            bool left = e.kids[0]->has_ddt;
            Parts p = split(*e.kids[left ? 0 : 1]);
            std::string k = "zk_cst(" + as(*e.kids[left ? 1 : 0], Ty::Real) + ")";
            std::string fn = e.text == "*" ? "zk_mul(" : "zk_div(";
            auto scale = [&](const std::string &x) { return x.empty() ? x : fn + x + ", " + k + ")"; };
            return Parts{scale(p.stat), scale(p.charge)};
        }
        default: return Parts{as(e, Ty::Dual), std::string()};
        }
    }

    // ---- expressions ----

    static bool is_int_literal(const Expr &e) { return e.kind == ExprKind::Int; }

    // Converts e to type t.
    std::string as(const Expr &e, Ty t) const {
        std::string x = ex(e);
        if (e.type == t) return x;
        if (e.type == Ty::Int) {
            std::string r = is_int_literal(e) ? e.text + ".0" : "((double)" + x + ")";
            return t == Ty::Real ? r : "zk_cst(" + r + ")";
        }
        if (e.type == Ty::Real) return t == Ty::Dual ? "zk_cst(" + x + ")" : "zk_round(" + x + ")";
        // Dual
        return t == Ty::Real ? x + ".v" : "zk_round(" + x + ".v)";
    }

    std::string truth(const Expr &e) const {
        if (e.type == Ty::Int) return ex(e);
        return "(" + as(e, Ty::Real) + " != 0.0)";
    }

    std::string ex(const Expr &e) const {
        switch (e.kind) {
        case ExprKind::Int:
            return e.type == Ty::Int ? e.text : e.text + ".0";
        case ExprKind::Real:  // a scaled literal may look like an integer
            return e.text.find_first_of(".eE") == std::string::npos ? e.text + ".0" : e.text;
        case ExprKind::Str: return e.text;
        case ExprKind::Name: return name(*e.sym);
        case ExprKind::Deref: return "(*" + e.sym->cname + ")";
        case ExprKind::AddrOf: return "&" + e.sym->cname;
        case ExprKind::PostDec: return "(" + e.kids[0]->sym->cname + "--)";
        case ExprKind::Neg:
            return e.type == Ty::Dual ? "zk_neg(" + ex(*e.kids[0]) + ")" : "(-" + ex(*e.kids[0]) + ")";
        case ExprKind::Cond:
            return "(" + truth(*e.kids[0]) + " ? " + as(*e.kids[1], e.type) + " : " + as(*e.kids[2], e.type) + ")";
        case ExprKind::Binary: return binary(e);
        case ExprKind::Call: return call(e);
        }
        return std::string();
    }

    std::string name(const Symbol &s) const {
        switch (s.kind) {
        case SymKind::Branch: {
            const std::string p = p_.nodes[static_cast<size_t>(s.nodes[0])]->cname;
            return s.nodes.size() == 1 ? p : "zk_sub(" + p + ", " + p_.nodes[static_cast<size_t>(s.nodes[1])]->cname + ")";
        }
        case SymKind::Param: return "zk_p->" + s.cname;
        case SymKind::Const: return s.value;
        default: return s.cname;
        }
    }

    std::string binary(const Expr &e) const {
        const Expr &l = *e.kids[0], &r = *e.kids[1];
        const std::string &op = e.text;
        if (op == "&&" || op == "||") return "(" + truth(l) + " " + op + " " + truth(r) + ")";
        if (op == "+" || op == "-" || op == "*" || op == "/") {
            if (e.type == Ty::Dual) {
                const char *fn = op == "+" ? "zk_add(" : op == "-" ? "zk_sub(" : op == "*" ? "zk_mul(" : "zk_div(";
                return fn + as(l, Ty::Dual) + ", " + as(r, Ty::Dual) + ")";
            }
            return "(" + as(l, e.type) + " " + op + " " + as(r, e.type) + ")";
        }
        // Comparisons use values only.
        Ty t = (l.type == Ty::Int && r.type == Ty::Int) ? Ty::Int : Ty::Real;
        return "(" + as(l, t) + " " + op + " " + as(r, t) + ")";
    }

    std::string call(const Expr &e) const {
        if (e.unknown >= 0) {
            const std::string i = "zk_i" + std::to_string(e.unknown - nodes());
            return e.negate ? "zk_neg(" + i + ")" : i;
        }
        if (e.fn) {
            std::string s = e.fn->cname + "(zk_p";
            for (size_t i = 0; i < e.kids.size(); ++i) {
                const Expr &a = *e.kids[i];
                const Symbol &formal = *e.fn->args[i];
                if (!formal.ptr) {
                    s += ", " + as(a, formal.type);
                } else {
                    const Expr &v = *a.kids[0];
                    s += v.kind == ExprKind::Deref ? ", " + v.sym->cname : ", &" + v.sym->cname;
                }
            }
            return s + ")";
        }
        const Builtin &b = *e.builtin;
        const Expr &x = *e.kids[0];
        switch (b.kind) {
        case BuiltinKind::Step: return std::string(b.real_fn) + "(" + as(x, Ty::Real) + ")";
        case BuiltinKind::Abs:
            if (e.type == Ty::Int) return std::string(b.int_fn) + "(" + ex(x) + ")";
            return std::string(e.type == Ty::Dual ? b.dual_fn : b.real_fn) + "(" + ex(x) + ")";
        case BuiltinKind::MinMax:
        case BuiltinKind::Math2: {
            const char *fn = e.type == Ty::Int ? b.int_fn : e.type == Ty::Dual ? b.dual_fn : b.real_fn;
            return std::string(fn) + "(" + as(x, e.type) + ", " + as(*e.kids[1], e.type) + ")";
        }
        default:
            return std::string(e.type == Ty::Dual ? b.dual_fn : b.real_fn) + "(" + as(x, e.type) + ")";
        }
    }
};

}  // namespace

Generated generate(const Program &prog) { return Gen(prog).run(); }

}  // namespace zelk4th
