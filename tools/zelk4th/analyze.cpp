#include "analyze.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <map>
#include <set>

#include "builtins.h"
#include "lexer.h"
#include "parser.h"

namespace zelk4th {

namespace {

// Names the generated code could not use for a variable or a record field:
// C keywords, object-like macros of <math.h> and <stdio.h>, the C functions
// the generated code calls, and anything with the generated file's own prefix.
const std::set<std::string> &reserved_names() {
    static const std::set<std::string> names = {
        // C99 keywords
        "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else", "enum",
        "extern", "float", "for", "goto", "if", "inline", "int", "long", "register", "restrict",
        "return", "short", "signed", "sizeof", "static", "struct", "switch", "typedef", "union",
        "unsigned", "void", "volatile", "while", "_Bool", "_Complex", "_Imaginary",
        // macros of <math.h> and <stdio.h>
        "NAN", "INFINITY", "HUGE_VAL", "HUGE_VALF", "HUGE_VALL", "FP_INFINITE", "FP_NAN",
        "FP_NORMAL", "FP_SUBNORMAL", "FP_ZERO", "FP_FAST_FMA", "FP_FAST_FMAF", "FP_FAST_FMAL",
        "FP_ILOGB0", "FP_ILOGBNAN", "MATH_ERRNO", "MATH_ERREXCEPT", "math_errhandling", "EOF",
        "BUFSIZ", "FILENAME_MAX", "FOPEN_MAX", "L_tmpnam", "NULL", "SEEK_CUR", "SEEK_END",
        "SEEK_SET", "TMP_MAX", "stdin", "stdout", "stderr", "M_E", "M_LOG2E", "M_LOG10E", "M_LN2",
        "M_LN10", "M_PI", "M_PI_2", "M_PI_4", "M_1_PI", "M_2_PI", "M_2_SQRTPI", "M_SQRT2",
        "M_SQRT1_2", "PI",
        // functions the generated code calls
        "printf", "snprintf", "exp", "log", "log10", "sqrt", "cbrt", "sin", "cos", "tan", "asin",
        "acos", "atan", "sinh", "cosh", "tanh", "asinh", "acosh", "atanh", "pow", "atan2", "hypot",
        "floor", "ceil", "fabs", "fmin", "fmax", "isfinite"};
    return names;
}

Ty join(Ty a, Ty b) {
    if (a == Ty::Dual || b == Ty::Dual) return Ty::Dual;
    if (a == Ty::Real || b == Ty::Real) return Ty::Real;
    return Ty::Int;
}

bool numeric(Ty t) { return t == Ty::Int || t == Ty::Real || t == Ty::Dual; }

// The scope of names visible at one point.
class Scopes {
public:
    void push() { levels_.emplace_back(); }
    void pop() { levels_.pop_back(); }
    const Symbol *find(const std::string &name) const {
        for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
            auto f = it->find(name);
            if (f != it->end()) return f->second;
        }
        return nullptr;
    }
    // Adds to the innermost level; the symbol already there, if any.
    const Symbol *add(const Symbol *s) {
        auto &level = levels_.back();
        auto f = level.find(s->name);
        if (f != level.end()) return f->second;
        level[s->name] = s;
        return nullptr;
    }

private:
    std::vector<std::map<std::string, const Symbol *>> levels_;
};

class Analyzer {
public:
    explicit Analyzer(Program &p) : prog_(p) {}

    void run() {
        parameters();
        module_scope();
        for (auto &f : prog_.unit.functions)
            if (!f->is_evaluate) declare_function(*f);
        for (Function &f : prog_.functions) function_body(f);
        evaluate();
        sparsity();
        reachable();
        for (const Symbol *s : prog_.module_vars) {
            if (s->kind == SymKind::ModuleVar && s->read && !s->assigned)
                prog_.warnings.push_back(s->loc.file + ":" + std::to_string(s->loc.line) + ": warning: '" + s->name +
                                         "' is read but never assigned, so it is always 0");
        }
    }

private:
    Program &prog_;
    Scopes scopes_;
    const Function *fn_ = nullptr;  // function being analysed; null in the evaluate function
    const Symbol *pi_ = nullptr;
    const Symbol *temperature_ = nullptr;  // alias of the device temperature
    std::map<std::string, Function *> fn_by_name_;
    std::vector<const Stmt *> flow_contribs_;

    Symbol *make(SymKind kind, const std::string &name, Ty type, const Loc &loc) {
        prog_.symbols.emplace_back();
        Symbol *s = &prog_.symbols.back();
        s->kind = kind;
        s->name = name;
        s->cname = c_name(name, prog_.module);
        s->type = type;
        s->loc = loc;
        return s;
    }

    // ---- parameters ----

    // A parameter text of the side files.  When the declaration was found
    // in the Verilog-A source, positions are its line there, and the numbers
    // of text[begin, end) there tell which integers were scaled literals.
    ExprP parse_text(const std::string &text, const ParamInfo &info, const Loc &side_loc, size_t begin,
                     size_t end) const {
        const SourceFile *file = info.decl_found ? prog_.sources.find(info.decl_file) : nullptr;
        const Loc loc = file ? Loc{info.decl_file, info.decl.line} : side_loc;
        std::vector<Token> toks = tokenize(text, loc.file);
        for (Token &t : toks) t.loc.line = loc.line;
        if (file) mark_scaled_in(toks, *file, begin, end);
        if (toks.size() == 1) throw Error(loc, "empty expression");
        return parse_expression(toks);
    }

    // A default may use only the parameters declared before it.
    void no_later_param(const Expr &e, size_t i) const {
        if (e.kind == ExprKind::Name && !scopes_.find(e.text)) {
            for (size_t j = i + 1; j < prog_.params.size(); ++j)
                if (prog_.params[j]->name == e.text)
                    throw Error(e.loc, "the default of parameter '" + prog_.params[i]->name + "' uses parameter '" +
                                           e.text + "', which is declared after it");
        }
        for (const ExprP &k : e.kids) no_later_param(*k, i);
    }

    void parameters() {
        Symbol *pi = make(SymKind::Const, "PI", Ty::Real, Loc());
        pi->value = "3.1415926";  // the translator's own value of PI
        pi_ = pi;
        Symbol *inf = make(SymKind::Const, "inf", Ty::Real, Loc());
        inf->value = "HUGE_VAL";
        scopes_.push();  // constants, which parameters of the same name hide
        scopes_.add(pi);
        scopes_.push();  // parameters
        std::vector<Symbol *> params;
        for (size_t i = 0; i < prog_.side.params.size(); ++i) {
            const ParamInfo &info = prog_.side.params[i];
            Symbol *s = make(SymKind::Param, info.name, info.integer ? Ty::Int : Ty::Real, info.default_loc);
            s->index = static_cast<int>(i);
            params.push_back(s);
            prog_.params.push_back(s);
        }
        // $temperature arrives as "temperature": the device temperature.
        Symbol *temperature = nullptr;
        for (Symbol *s : params)
            if (s->name == "temp") temperature = s;
        for (Symbol *s : params)
            if (s->name == "temperature") temperature = nullptr;
        if (temperature) {
            Symbol *alias = make(SymKind::Param, "temperature", Ty::Real, temperature->loc);
            alias->cname = temperature->cname;
            alias->index = temperature->index;
            temperature_ = alias;
        }
        // A default may use the parameters declared before it.
        prog_.param_code.resize(params.size());
        for (size_t i = 0; i < params.size(); ++i) {
            const ParamInfo &info = prog_.side.params[i];
            ParamCode &code = prog_.param_code[i];
            code.def = parse_text(info.default_text, info, info.default_loc, info.decl.value_begin, info.decl.value_end);
            no_later_param(*code.def, i);
            constant_expr(*code.def, "the default of parameter '" + info.name + "'");
            scopes_.add(params[i]);
            if (temperature_ && temperature_->index == static_cast<int>(i)) scopes_.add(temperature_);
        }
        // Range bounds may use every parameter, and inf.
        scopes_.push();
        scopes_.add(inf);
        for (size_t i = 0; i < params.size(); ++i) {
            const ParamInfo &info = prog_.side.params[i];
            if (!info.has_range) continue;
            ParamCode &code = prog_.param_code[i];
            const std::string what = "the range of parameter '" + info.name + "'";
            code.lo = parse_text(info.lo_text, info, info.range_loc, info.decl.range_begin, info.decl.end);
            constant_expr(*code.lo, what);
            // The upper bound's numbers follow those of the lower one.
            size_t colon = info.decl.range_begin;
            if (const SourceFile *f = info.decl_found ? prog_.sources.find(info.decl_file) : nullptr) {
                int depth = 0;
                for (size_t k = info.decl.range_begin + 1; k < info.decl.end && k < f->text.size(); ++k) {
                    char c = f->text[k];
                    depth += (c == '(' || c == '[') - (c == ')' || c == ']');
                    if (c == ':' && depth == 0) {
                        colon = k;
                        break;
                    }
                }
            }
            code.hi = parse_text(info.hi_text, info, info.range_loc, colon, info.decl.end);
            constant_expr(*code.hi, what);
        }
        scopes_.pop();
    }

    // A parameter text: only constants, parameters and built-ins.
    void constant_expr(Expr &e, const std::string &what) {
        Ty t = expr(e);
        if (t != Ty::Int && t != Ty::Real)
            throw Error(e.loc, what + " must be a number computed from constants and parameters");
    }

    // ---- module level ----

    void module_scope() {
        const SideInfo &side = prog_.side;
        scopes_.push();  // nodes and module variables; visible in the evaluate function only
        // The ports come first, in the order of the module header; then the
        // internal nodes in declaration order.
        std::vector<std::string> order;
        for (const std::string &port : side.ports) {
            bool found = false;
            for (const std::string &n : side.nodes) found = found || n == port;
            if (!found) throw Error("port '" + port + "' of the derivative record file is not an electrical name");
            for (const std::string &o : order)
                if (o == port) throw Error("port '" + port + "' is listed twice in the derivative record file");
            order.push_back(port);
            prog_.port_nodes.push_back(static_cast<int>(order.size()) - 1);
        }
        for (const std::string &n : side.nodes) {
            bool port = false;
            for (const std::string &p : side.ports) port = port || n == p;
            if (!port) order.push_back(n);
        }
        for (size_t i = 0; i < order.size(); ++i) {
            Symbol *s = make(SymKind::Node, order[i], Ty::Dual, Loc());
            s->index = static_cast<int>(i);
            prog_.nodes.push_back(s);
        }
        for (StmtP &d : prog_.unit.module_decls) {
            for (const std::string &name : d->names) {
                Symbol *s = make(SymKind::ModuleVar, name, d->decl_real ? Ty::Dual : Ty::Int, d->loc);
                // A declared branch: read as a probe, it is its voltage.
                auto br = prog_.sources.branches.find(name);
                if (br != prog_.sources.branches.end() && d->decl_real) {
                    std::vector<int> nodes;
                    for (const std::string &n : br->second) nodes.push_back(node_index(n));
                    if (nodes[0] >= 0 && (nodes.size() == 1 || nodes[1] >= 0)) {
                        s->kind = SymKind::Branch;
                        s->nodes = nodes;
                    }
                }
                for (const Symbol *n : prog_.nodes)
                    if (n->name == name) throw Error(d->loc, "variable '" + name + "' has the name of a node");
                for (const Symbol *m : prog_.module_vars)
                    if (m->name == name) throw Error(d->loc, "variable '" + name + "' is declared twice");
                d->declared.push_back(s);
                prog_.module_vars.push_back(s);
            }
        }
    }

    int node_index(const std::string &name) const {
        for (const Symbol *n : prog_.nodes)
            if (n->name == name) return n->index;
        return -1;
    }

    // ---- potential branches ----

    // The branch-current unknown of the branch between nodes a and b (b: -1
    // for ground), made when `make` is set; -1 when there is none.  `reversed`
    // tells that (a, b) is the branch's (n, p).
    int branch_of(int a, int b, bool make_one, bool *reversed) {
        const int base = static_cast<int>(prog_.nodes.size());
        for (size_t k = 0; k < prog_.branches.size(); ++k) {
            const PotentialBranch &br = prog_.branches[k];
            if ((br.p == a && br.n == b) || (br.p == b && br.n == a)) {
                *reversed = br.p != a;
                return base + static_cast<int>(k);
            }
        }
        *reversed = false;
        if (!make_one) return -1;
        PotentialBranch br;
        br.p = a;
        br.n = b;
        br.name = "I(" + prog_.nodes[static_cast<size_t>(a)]->name +
                  (b >= 0 ? "," + prog_.nodes[static_cast<size_t>(b)]->name : std::string()) + ")";
        prog_.branches.push_back(br);
        return base + static_cast<int>(prog_.branches.size()) - 1;
    }

    // The node indices of a contribution, checked.
    std::vector<int> contribution_nodes(const Stmt &s) const {
        std::vector<int> out;
        for (const std::string &n : s.nodes) {
            int index = node_index(n);
            if (index < 0) throw Error(s.loc, "contribution to '" + n + "', which is not an electrical node");
            out.push_back(index);
        }
        if (out.size() == 2 && out[0] == out[1])
            throw Error(s.loc, "contribution between node '" + s.nodes[0] + "' and itself");
        if (out.size() == 1) out.push_back(-1);
        return out;
    }

    // Every branch that receives a potential contribution gets its unknown
    // before the statements are analysed, so that a probe of its current may
    // come first.
    void find_potential_branches(Stmt &s) {
        if (s.kind == StmtKind::Contrib && !s.flow) {
            std::vector<int> nodes = contribution_nodes(s);
            bool reversed = false;
            branch_of(nodes[0], nodes[1], true, &reversed);
        }
        for (StmtP &k : s.body) find_potential_branches(*k);
        for (Stmt *k : {s.then_s.get(), s.else_s.get()})
            if (k) find_potential_branches(*k);
    }

    void declare_function(const FuncDef &def) {
        if (find_builtin(def.name))
            throw Error(def.loc, "analog function '" + def.name + "' has the name of a built-in function");
        if (fn_by_name_.count(def.name)) throw Error(def.loc, "analog function '" + def.name + "' is defined twice");
        prog_.functions.emplace_back();
        Function &f = prog_.functions.back();
        f.name = def.name;
        f.cname = "zk_fn_" + def.name;
        f.ret = def.ret == "int" ? Ty::Int : Ty::Dual;
        f.def = &def;
        for (size_t i = 0; i < def.params.size(); ++i) {
            const std::string &name = def.params[i];
            const ArgDecl *decl = nullptr;
            for (const ArgDecl &d : def.decls)
                if (d.name == name) decl = &d;
            if (!decl) throw Error(def.param_locs[i], "argument '" + name + "' of '" + def.name + "' has no type");
            if (decl->type == "double")
                throw Error(def.loc, "'" + def.name + "' is the evaluate function of another module: only the last "
                                     "module of a file is translated, put each module in a file of its own");
            for (size_t j = 0; j < i; ++j)
                if (def.params[j] == name)
                    throw Error(def.param_locs[i], "argument '" + name + "' of '" + def.name + "' is named twice");
            Symbol *s = make(SymKind::Arg, name, decl->type == "int" ? Ty::Int : Ty::Dual, decl->loc);
            s->ptr = decl->ptr;
            f.args.push_back(s);
        }
        for (const ArgDecl &d : def.decls) {
            bool listed = false;
            for (const std::string &p : def.params) listed = listed || p == d.name;
            if (!listed) throw Error(d.loc, "'" + d.name + "' is declared but is not an argument of '" + def.name + "'");
        }
        fn_by_name_[f.name] = &f;
    }

    void function_body(Function &f) {
        fn_ = &f;
        Scopes saved = scopes_;
        // Analog functions see their arguments, their locals and the parameters.
        scopes_ = Scopes();
        scopes_.push();
        scopes_.add(pi_);
        scopes_.push();
        for (const Symbol *p : prog_.params) scopes_.add(p);
        if (temperature_) scopes_.add(temperature_);
        // The arguments and the outermost locals share one C scope.
        scopes_.push();
        for (const Symbol *a : f.args) scopes_.add(a);
        block_items(*f.def->body, false);
        scopes_ = saved;
        fn_ = nullptr;
    }

    void evaluate() {
        const FuncDef &def = *prog_.unit.evaluate;
        if (def.ret != "int") throw Error(def.loc, "the evaluate function must return int");
        for (const ArgDecl &d : def.decls)
            if (d.type != "double" || d.ptr)
                throw Error(d.loc, "the nodes of the evaluate function must be declared double");
        std::string listed, expected;
        for (const std::string &p : def.params) listed += (listed.empty() ? "" : ", ") + p;
        for (const std::string &n : prog_.side.nodes) expected += (expected.empty() ? "" : ", ") + n;
        if (listed != expected)
            throw Error(def.loc, "the nodes of '" + def.name + "' (" + listed +
                                     ") are not the electrical names of the derivative record file (" + expected + ")");
        if (def.decls.size() != def.params.size())
            throw Error(def.loc, "the nodes of '" + def.name + "' must each be declared double once");
        for (const Symbol *n : prog_.nodes) scopes_.add(n);
        for (const Symbol *m : prog_.module_vars) scopes_.add(m);
        find_potential_branches(*def.body);
        block_items(*def.body, true);
        // A branch is driven by its potential or by its flow, not both.
        for (const Stmt *s : flow_contribs_) {
            bool reversed = false;
            if (branch_of(s->node_index[0], s->node_index[1], false, &reversed) >= 0)
                throw Error(s->loc, "flow contribution to a branch that also has a potential contribution V(...) <+");
        }
    }

    // ---- Jacobian sparsity ----
    //
    // Which unknowns each real value can depend on: a variable depends on
    // everything any assignment to it depends on (conditions carry no
    // derivatives), iterated until nothing changes.  An analog function's
    // results depend on all its arguments.

    using Set = std::vector<char>;
    std::map<const Symbol *, Set> deps_;
    bool changed_ = false;

    size_t unknowns() const { return prog_.nodes.size() + prog_.branches.size(); }

    static void merge(Set &a, const Set &b, bool *changed = nullptr) {
        for (size_t k = 0; k < a.size(); ++k)
            if (b[k] && !a[k]) {
                a[k] = 1;
                if (changed) *changed = true;
            }
    }

    Set &var_deps(const Symbol *s) {
        auto it = deps_.find(s);
        if (it == deps_.end()) it = deps_.emplace(s, Set(unknowns(), 0)).first;
        return it->second;
    }

    Set deps(const Expr &e) {
        Set out(unknowns(), 0);
        switch (e.kind) {
        case ExprKind::Name:
        case ExprKind::Deref:
            if (!e.sym) break;
            if (e.sym->kind == SymKind::Node) out[static_cast<size_t>(e.sym->index)] = 1;
            if (e.sym->kind == SymKind::Branch)
                for (int n : e.sym->nodes) out[static_cast<size_t>(n)] = 1;
            if (e.sym->kind == SymKind::ModuleVar || e.sym->kind == SymKind::Local || e.sym->kind == SymKind::Arg)
                out = var_deps(e.sym);
            break;
        case ExprKind::Cond:
            deps(*e.kids[0]);
            merge(out, deps(*e.kids[1]));
            merge(out, deps(*e.kids[2]));
            break;
        case ExprKind::Call:
            if (e.unknown >= 0) {
                out[static_cast<size_t>(e.unknown)] = 1;
                break;
            }
            for (const ExprP &k : e.kids) merge(out, k->kind == ExprKind::AddrOf ? var_deps(k->sym) : deps(*k));
            if (e.fn)
                for (const ExprP &k : e.kids)
                    if (k->kind == ExprKind::AddrOf) merge(var_deps(k->sym), out, &changed_);
            break;
        default:
            for (const ExprP &k : e.kids) merge(out, deps(*k));
            break;
        }
        if (e.type != Ty::Dual) std::fill(out.begin(), out.end(), 0);
        return out;
    }

    void term_deps(const Expr &e, Set &stat, Set &charge) {
        if (!e.has_ddt) {
            merge(stat, deps(e));
        } else if (e.kind == ExprKind::Call) {
            merge(charge, deps(*e.kids[0]));
        } else {
            for (const ExprP &k : e.kids) term_deps(*k, stat, charge);
        }
    }

    void stamp_rows(int row, const Set &stat, const Set &charge) {
        if (row < 0) return;
        merge(prog_.resist[static_cast<size_t>(row)], stat);
        merge(prog_.react[static_cast<size_t>(row)], charge);
    }

    void deps_walk(const Stmt &s) {
        switch (s.kind) {
        case StmtKind::Block:
            for (const StmtP &k : s.body) deps_walk(*k);
            break;
        case StmtKind::Assign: {
            Set d = deps(*s.value);
            if (s.target->sym && s.target->sym->type == Ty::Dual) merge(var_deps(s.target->sym), d, &changed_);
            break;
        }
        case StmtKind::ExprStmt:
        case StmtKind::Return: deps(*s.value); break;
        case StmtKind::If:
        case StmtKind::While:
        case StmtKind::For:
            if (s.init) deps_walk(*s.init);
            if (s.cond) deps(*s.cond);
            if (s.step) deps_walk(*s.step);
            deps_walk(*s.then_s);
            if (s.else_s) deps_walk(*s.else_s);
            break;
        case StmtKind::Contrib: {
            Set stat(unknowns(), 0), charge(unknowns(), 0);
            term_deps(*s.value, stat, charge);
            if (s.flow) {
                stamp_rows(s.node_index[0], stat, charge);
                stamp_rows(s.node_index[1], stat, charge);
            } else {
                stamp_rows(s.branch, stat, charge);
            }
            break;
        }
        case StmtKind::Decl:
        case StmtKind::Empty: break;
        }
    }

    void sparsity() {
        const size_t n = unknowns();
        prog_.resist.assign(n, Set(n, 0));
        prog_.react.assign(n, Set(n, 0));
        do {
            changed_ = false;
            deps_walk(*prog_.unit.evaluate->body);
        } while (changed_);
        // A branch current enters and leaves its nodes; its equation holds
        // the voltage across it.
        for (size_t k = 0; k < prog_.branches.size(); ++k) {
            const size_t j = prog_.nodes.size() + k;
            for (int node : {prog_.branches[k].p, prog_.branches[k].n}) {
                if (node < 0) continue;
                prog_.resist[static_cast<size_t>(node)][j] = 1;
                prog_.resist[j][static_cast<size_t>(node)] = 1;
            }
        }
    }

    // ---- analog functions that are called ----

    void calls_in(const Expr &e, std::set<const Function *> &seen) {
        if (e.fn && seen.insert(e.fn).second) calls_in(*e.fn->def->body, seen);
        for (const ExprP &k : e.kids) calls_in(*k, seen);
    }

    void calls_in(const Stmt &s, std::set<const Function *> &seen) {
        for (const Expr *e : {s.target.get(), s.value.get(), s.cond.get()})
            if (e) calls_in(*e, seen);
        for (const Stmt *k : {s.then_s.get(), s.else_s.get(), s.init.get(), s.step.get()})
            if (k) calls_in(*k, seen);
        for (const StmtP &k : s.body) calls_in(*k, seen);
    }

    void reachable() {
        std::set<const Function *> seen;
        calls_in(*prog_.unit.evaluate->body, seen);
        for (const Function &f : prog_.functions) prog_.called.push_back(seen.count(&f) ? 1 : 0);
    }

    // ---- statements ----

    // The statements of a block, in a scope of their own unless they share
    // the one of the function's arguments.
    void block_items(Stmt &block, bool new_scope) {
        if (new_scope) scopes_.push();
        for (StmtP &s : block.body) statement(*s);
        if (new_scope) scopes_.pop();
    }

    void declare(Stmt &d) {
        for (const std::string &name : d.names) {
            Symbol *s = make(SymKind::Local, name, d.decl_real ? Ty::Dual : Ty::Int, d.loc);
            if (scopes_.add(s)) throw Error(d.loc, "'" + name + "' is declared twice");
            d.declared.push_back(s);
        }
    }

    void statement(Stmt &s) {
        switch (s.kind) {
        case StmtKind::Block: block_items(s, true); return;
        case StmtKind::Decl: declare(s); return;
        case StmtKind::Empty: return;
        case StmtKind::Assign: assignment(s); return;
        case StmtKind::ExprStmt:
            if (s.value->kind == ExprKind::Call && s.value->text == "printf") {
                printf_call(*s.value);
            } else {
                expr(*s.value);
            }
            return;
        case StmtKind::Return:
            if (!fn_) throw Error(s.loc, "'return' outside an analog function");
            want_number(*s.value);
            return;
        case StmtKind::If:
            want_number(*s.cond);
            statement(*s.then_s);
            if (s.else_s) statement(*s.else_s);
            return;
        case StmtKind::While:
            want_number(*s.cond);
            statement(*s.then_s);
            return;
        case StmtKind::For:
            if (s.init) assignment(*s.init);
            if (s.cond) want_number(*s.cond);
            if (s.step) assignment(*s.step);
            statement(*s.then_s);
            return;
        case StmtKind::Contrib: contribution(s); return;
        }
    }

    void assignment(Stmt &s) {
        Expr &t = *s.target;
        const Symbol *sym = nullptr;
        if (t.kind == ExprKind::Deref) {
            expr(t);
            sym = t.kids[0]->sym;
        } else {
            sym = lookup(t);
            if (sym->kind == SymKind::Node) throw Error(t.loc, "cannot assign to node '" + sym->name + "'");
            if (sym->kind == SymKind::Branch) throw Error(t.loc, "cannot assign to branch '" + sym->name + "'");
            if (sym->kind == SymKind::Param || sym->kind == SymKind::Const)
                throw Error(t.loc, "cannot assign to parameter '" + sym->name + "'");
            if (sym->ptr)
                throw Error(t.loc, "'" + sym->name + "' is passed by address and is assigned as *" + sym->name);
            t.sym = sym;
            t.type = sym->type;
        }
        const_cast<Symbol *>(sym)->assigned = true;
        want_number(*s.value);
    }

    void contribution(Stmt &s) {
        if (fn_) throw Error(s.loc, "a contribution inside analog function '" + fn_->name + "'");
        s.node_index = contribution_nodes(s);
        if (s.flow)
            flow_contribs_.push_back(&s);
        else
            s.branch = branch_of(s.node_index[0], s.node_index[1], false, &s.reversed);
        if (!numeric(term(*s.value))) throw Error(s.value->loc, "a contribution needs a number");
    }

    // The right side of a contribution: ddt() may stand in it as a term,
    // added or subtracted, multiplied or divided by a value that does not
    // depend on the node voltages.
    Ty term(Expr &e) {
        if (e.kind == ExprKind::Call && e.text == "ddt") {
            if (e.kids.size() != 1) throw Error(e.loc, "ddt() takes one argument");
            want_number(*e.kids[0]);
            e.has_ddt = true;
            return e.type = Ty::Dual;
        }
        if (e.kind == ExprKind::Neg) {
            Ty t = term(*e.kids[0]);
            if (!numeric(t)) throw Error(e.loc, "'-' needs a number");
            e.has_ddt = e.kids[0]->has_ddt;
            return e.type = t;
        }
        if (e.kind == ExprKind::Binary && (e.text == "+" || e.text == "-")) {
            Ty a = term(*e.kids[0]);
            Ty b = term(*e.kids[1]);
            if (!numeric(a) || !numeric(b)) throw Error(e.loc, "'" + e.text + "' needs numbers");
            e.has_ddt = e.kids[0]->has_ddt || e.kids[1]->has_ddt;
            return e.type = join(a, b);
        }
        if (e.kind == ExprKind::Binary && (e.text == "*" || e.text == "/")) {
            Ty a = term(*e.kids[0]);
            Ty b = e.text == "*" ? term(*e.kids[1]) : expr(*e.kids[1]);
            Expr &l = *e.kids[0], &r = *e.kids[1];
            if (l.has_ddt && r.has_ddt) throw Error(e.loc, "a product of two ddt() terms");
            if (l.has_ddt || r.has_ddt) {
                const Expr &factor = l.has_ddt ? r : l;
                if (factor.type == Ty::Dual)
                    throw Error(e.loc, "ddt() multiplied or divided by a value that depends on the node voltages");
                e.has_ddt = true;
            }
            if (!numeric(a) || !numeric(b)) throw Error(e.loc, "'" + e.text + "' needs numbers");
            return e.type = join(a, b);
        }
        return expr(e);
    }

    // ---- expressions ----

    void want_number(Expr &e) {
        Ty t = expr(e);
        if (!numeric(t)) throw Error(e.loc, std::string("a number is needed here, not a ") + type_name(t));
    }

    // The symbol a name stands for, marked as read.
    const Symbol *resolve(const Expr &e) {
        const Symbol *s = lookup(e);
        const_cast<Symbol *>(s)->read = true;
        return s;
    }

    // The symbol a name stands for, when it is only written.
    const Symbol *lookup(const Expr &e) {
        const Symbol *s = scopes_.find(e.text);
        if (!s) {
            if (fn_)
                throw Error(e.loc, "unknown name '" + e.text + "' in analog function '" + fn_->name +
                                       "' (it sees its arguments, its locals and the parameters)");
            throw Error(e.loc, "unknown name '" + e.text + "'");
        }
        return s;
    }

    Ty expr(Expr &e) {
        switch (e.kind) {
        case ExprKind::Int: {
            errno = 0;
            long long v = std::strtoll(e.text.c_str(), nullptr, 10);
            return e.type = (errno == 0 && v <= INT_MAX) ? Ty::Int : Ty::Real;
        }
        case ExprKind::Real: return e.type = Ty::Real;
        case ExprKind::Str: return e.type = Ty::Str;
        case ExprKind::Name: {
            if (e.text == "vt" && !scopes_.find(e.text) && temperature_) {
                // $vt without an argument: the thermal voltage at $temperature.
                ExprP t = std::make_unique<Expr>();
                t->kind = ExprKind::Name;
                t->loc = e.loc;
                t->text = "temperature";
                e.kind = ExprKind::Call;
                e.text = "ut";
                e.kids.push_back(std::move(t));
                return expr(e);
            }
            const Symbol *s = resolve(e);
            if (s->ptr) throw Error(e.loc, "'" + s->name + "' is passed by address and is read as *" + s->name);
            e.sym = s;
            return e.type = s->type;
        }
        case ExprKind::Deref: {
            Expr &k = *e.kids[0];
            if (k.kind != ExprKind::Name) throw Error(e.loc, "'*' applies only to an argument passed by address");
            const Symbol *s = resolve(k);
            if (!s->ptr) throw Error(e.loc, "'" + s->name + "' is not passed by address");
            k.sym = s;
            k.type = s->type;
            e.sym = s;
            return e.type = s->type;
        }
        case ExprKind::AddrOf: throw Error(e.loc, "'&' is allowed only for an argument passed by address");
        case ExprKind::Neg: {
            want_number(*e.kids[0]);
            return e.type = e.kids[0]->type;
        }
        case ExprKind::PostDec: {
            Expr &k = *e.kids[0];
            if (k.kind == ExprKind::Name) {
                expr(k);
                if (k.type == Ty::Int && (k.sym->kind == SymKind::Local || k.sym->kind == SymKind::ModuleVar ||
                                          k.sym->kind == SymKind::Arg)) {
                    const_cast<Symbol *>(k.sym)->assigned = true;
                    return e.type = Ty::Int;
                }
            }
            throw Error(e.loc, "'--' applies only to an integer variable");
        }
        case ExprKind::Binary: {
            want_number(*e.kids[0]);
            want_number(*e.kids[1]);
            const std::string &op = e.text;
            if (op == "+" || op == "-" || op == "*" || op == "/")
                return e.type = join(e.kids[0]->type, e.kids[1]->type);
            return e.type = Ty::Int;  // comparisons and logic use values only
        }
        case ExprKind::Cond:
            want_number(*e.kids[0]);
            want_number(*e.kids[1]);
            want_number(*e.kids[2]);
            return e.type = join(e.kids[1]->type, e.kids[2]->type);
        case ExprKind::Call: return call(e);
        }
        return Ty::None;
    }

    Ty call(Expr &e) {
        if (const Builtin *b = find_builtin(e.text)) return builtin_call(e, *b);
        auto f = fn_by_name_.find(e.text);
        if (f == fn_by_name_.end()) {
            if (e.text == "I" || e.text == "I2") return flow_probe(e);
            throw Error(e.loc, "unknown function '" + e.text + "'");
        }
        const Function &fn = *f->second;
        if (e.kids.size() != fn.args.size())
            throw Error(e.loc, "'" + fn.name + "' takes " + std::to_string(fn.args.size()) + " argument(s), not " +
                                   std::to_string(e.kids.size()));
        for (size_t i = 0; i < e.kids.size(); ++i) {
            Expr &a = *e.kids[i];
            const Symbol &formal = *fn.args[i];
            const std::string which = "argument " + std::to_string(i + 1) + " of '" + fn.name + "'";
            if (!formal.ptr) {
                if (a.kind == ExprKind::AddrOf) throw Error(a.loc, which + " is passed by value, not by address");
                want_number(a);
                continue;
            }
            // Passed by address: a variable of exactly the argument's type.
            if (a.kind != ExprKind::AddrOf)
                throw Error(a.loc, which + " is an output argument and needs a variable");
            Expr &v = *a.kids[0];
            const Symbol *s = nullptr;
            if (v.kind == ExprKind::Deref) {
                expr(v);
                s = v.sym;
            } else if (v.kind == ExprKind::Name) {
                s = lookup(v);
                if (s->kind != SymKind::Local && s->kind != SymKind::ModuleVar && s->kind != SymKind::Arg)
                    throw Error(a.loc, which + " is an output argument and needs a variable, not '" + s->name + "'");
                if (s->ptr) throw Error(a.loc, which + ": '" + s->name + "' is passed by address, pass *" + s->name);
                v.sym = s;
                v.type = s->type;
            } else {
                throw Error(a.loc, which + " is an output argument and needs a variable");
            }
            if (s->type != formal.type)
                throw Error(a.loc, which + " is " + (formal.type == Ty::Int ? "an integer" : "a real") +
                                       " output argument; '" + s->name + "' is " +
                                       (s->type == Ty::Int ? "an integer" : "a real"));
            const_cast<Symbol *>(s)->assigned = true;
            a.sym = s;
            a.type = s->type;
        }
        e.fn = &fn;
        return e.type = fn.ret;
    }

    // I(br), I(a) or I2(a,b): the current of a branch with a potential
    // contribution, which is an unknown.
    Ty flow_probe(Expr &e) {
        if (fn_) throw Error(e.loc, "a flow probe I(...) inside analog function '" + fn_->name + "'");
        const std::string bad = "a flow probe I(...) needs a declared branch or one or two nodes";
        std::vector<int> nodes;
        for (const ExprP &k : e.kids) {
            const Symbol *s = k->kind == ExprKind::Name ? scopes_.find(k->text) : nullptr;
            if (!s) throw Error(e.loc, bad);
            if (s->kind == SymKind::Node)
                nodes.push_back(s->index);
            else if (s->kind == SymKind::Branch && e.kids.size() == 1)
                nodes = s->nodes;
            else
                throw Error(e.loc, bad);
        }
        if (nodes.empty() || e.kids.size() != (e.text == "I" ? 1u : 2u)) throw Error(e.loc, bad);
        if (nodes.size() == 1) nodes.push_back(-1);
        e.unknown = branch_of(nodes[0], nodes[1], false, &e.negate);
        if (e.unknown < 0)
            throw Error(e.loc, "a flow probe I(...) reads only the current of a branch that has a potential "
                               "contribution V(...) <+");
        return e.type = Ty::Dual;
    }

    Ty builtin_call(Expr &e, const Builtin &b) {
        e.builtin = &b;
        switch (b.kind) {
        case BuiltinKind::Ddt:
            throw Error(e.loc, "ddt() is supported only as a term of a contribution");
        case BuiltinKind::Idt: throw Error(e.loc, "idt() is not supported");
        case BuiltinKind::Printf: throw Error(e.loc, "$strobe is a statement, not a value");
        default: break;
        }
        if (static_cast<int>(e.kids.size()) != b.nargs)
            throw Error(e.loc, "'" + e.text + "' takes " + std::to_string(b.nargs) + " argument(s), not " +
                                   std::to_string(e.kids.size()));
        for (ExprP &k : e.kids) want_number(*k);
        Ty a = e.kids[0]->type;
        switch (b.kind) {
        case BuiltinKind::Step: return e.type = Ty::Real;
        case BuiltinKind::Abs: return e.type = a;
        case BuiltinKind::MinMax: return e.type = join(a, e.kids[1]->type);
        case BuiltinKind::Math2: return e.type = join(join(a, e.kids[1]->type), Ty::Real);
        default: return e.type = join(a, Ty::Real);
        }
    }

    // $strobe: the format is checked and rewritten so that every conversion
    // gets an argument of the C type it expects.
    void printf_call(Expr &e) {
        if (e.kids.empty() || e.kids[0]->kind != ExprKind::Str)
            throw Error(e.loc, "$strobe needs a format string as its first argument");
        const std::string &in = e.kids[0]->text;
        std::string out = "\"";
        std::string convs;
        for (size_t i = 1; i + 1 < in.size(); ++i) {
            char c = in[i];
            if (c == '\\') {
                out += c;
                out += in[++i];
                continue;
            }
            if (c != '%') {
                out += c;
                continue;
            }
            std::string flags_and_width = "%";
            ++i;
            while (i + 1 < in.size() && std::string("-+ #0").find(in[i]) != std::string::npos) flags_and_width += in[i++];
            while (i + 1 < in.size() && std::isdigit(static_cast<unsigned char>(in[i]))) flags_and_width += in[i++];
            if (i + 1 < in.size() && in[i] == '.') {
                flags_and_width += in[i++];
                while (i + 1 < in.size() && std::isdigit(static_cast<unsigned char>(in[i]))) flags_and_width += in[i++];
            }
            // Length modifiers are dropped: the argument is converted instead.
            // A lone "h" is the hexadecimal conversion of Verilog-A.
            while (i + 1 < in.size()) {
                char m = in[i];
                bool length = std::strchr("lLqjzt", m) != nullptr ||
                              (m == 'h' && i + 2 < in.size() && std::strchr("diouxXh", in[i + 1]) != nullptr);
                if (!length) break;
                ++i;
            }
            if (i + 1 >= in.size()) throw Error(e.loc, "incomplete conversion at the end of the $strobe format");
            char conv = in[i];
            if (conv == 'h' || conv == 'H') conv = 'x';
            if (conv == '%') {
                out += "%%";
                continue;
            }
            if (conv == 'm' || conv == 'M') {  // the module's name
                out += prog_.module;
                continue;
            }
            if (std::string("diouxXceEfFgGaAs").find(conv) == std::string::npos)
                throw Error(e.loc, std::string("the $strobe conversion '%") + in[i] + "' is not supported");
            out += flags_and_width + conv;
            convs += conv;
        }
        out += "\"";
        if (e.kids.size() - 1 != convs.size())
            throw Error(e.loc, "the $strobe format has " + std::to_string(convs.size()) + " conversion(s) for " +
                                   std::to_string(e.kids.size() - 1) + " argument(s)");
        for (size_t i = 0; i < convs.size(); ++i) {
            Expr &a = *e.kids[i + 1];
            Ty t = expr(a);
            if (convs[i] == 's' ? t != Ty::Str : !numeric(t))
                throw Error(a.loc, std::string("argument ") + std::to_string(i + 2) + " of $strobe does not match '%" +
                                       convs[i] + "'");
        }
        e.fmt = out;
        e.convs = convs;
        e.builtin = find_builtin("printf");
        e.type = Ty::None;
    }
};

}  // namespace

std::string c_name(const std::string &name, const std::string &module) {
    std::string upper = module;
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool reserved = reserved_names().count(name) > 0 || name.compare(0, 2, "zk") == 0 ||
                    name.compare(0, module.size() + 1, module + "_") == 0 ||
                    name.compare(0, upper.size() + 1, upper + "_") == 0 ||
                    name.compare(0, 2, "__") == 0 ||
                    (name.size() > 1 && name[0] == '_' && std::isupper(static_cast<unsigned char>(name[1])));
    return reserved ? "zk_u_" + name : name;
}

void analyze(Program &prog) { Analyzer(prog).run(); }

}  // namespace zelk4th
