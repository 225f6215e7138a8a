#include "analyze.h"

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
        for (const Symbol *s : prog_.module_vars) {
            if (s->read && !s->assigned)
                prog_.warnings.push_back(s->loc.file + ":" + std::to_string(s->loc.line) + ": warning: '" + s->name +
                                         "' is read but never assigned, so it is always 0 (a declared branch "
                                         "used as a probe reads a variable of that name, not the branch)");
        }
    }

private:
    Program &prog_;
    Scopes scopes_;
    const Function *fn_ = nullptr;  // function being analysed; null in the evaluate function
    const Symbol *pi_ = nullptr;
    const Symbol *temperature_ = nullptr;  // alias of the device temperature
    std::map<std::string, Function *> fn_by_name_;

    Symbol *make(SymKind kind, const std::string &name, Ty type, const Loc &loc) {
        prog_.symbols.emplace_back();
        Symbol *s = &prog_.symbols.back();
        s->kind = kind;
        s->name = name;
        s->cname = c_name(name);
        s->type = type;
        s->loc = loc;
        return s;
    }

    // ---- parameters ----

    static ExprP parse_text(const std::string &text, const Loc &loc) {
        std::vector<Token> toks = tokenize(text, loc.file);
        for (Token &t : toks) t.loc.line += loc.line - 1;
        if (toks.size() == 1) throw Error(loc, "empty expression");
        return parse_expression(toks);
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
            code.def = parse_text(info.default_text, info.default_loc);
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
            code.lo = parse_text(info.lo_text, info.range_loc);
            constant_expr(*code.lo, what);
            code.hi = parse_text(info.hi_text, info.range_loc);
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
        for (size_t i = 0; i < side.nodes.size(); ++i) {
            Symbol *s = make(SymKind::Node, side.nodes[i], Ty::Dual, Loc());
            s->index = static_cast<int>(i);
            prog_.nodes.push_back(s);
        }
        for (const std::string &port : side.ports) {
            int index = -1;
            for (size_t i = 0; i < side.nodes.size(); ++i)
                if (side.nodes[i] == port) index = static_cast<int>(i);
            if (index < 0) throw Error("port '" + port + "' of the derivative record file is not an electrical name");
            prog_.port_nodes.push_back(index);
        }
        for (StmtP &d : prog_.unit.module_decls) {
            for (const std::string &name : d->names) {
                Symbol *s = make(SymKind::ModuleVar, name, d->decl_real ? Ty::Dual : Ty::Int, d->loc);
                for (const Symbol *n : prog_.nodes)
                    if (n->name == name) throw Error(d->loc, "variable '" + name + "' has the name of a node");
                for (const Symbol *m : prog_.module_vars)
                    if (m->name == name) throw Error(d->loc, "variable '" + name + "' is declared twice");
                d->declared.push_back(s);
                prog_.module_vars.push_back(s);
            }
        }
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
        block_items(*def.body, true);
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
        if (!s.flow) throw Error(s.loc, "potential contributions V(...) <+ are not supported yet");
        for (const std::string &n : s.nodes) {
            int index = -1;
            for (const Symbol *node : prog_.nodes)
                if (node->name == n) index = node->index;
            if (index < 0) throw Error(s.loc, "contribution to '" + n + "', which is not an electrical node");
            s.node_index.push_back(index);
        }
        if (s.nodes.size() == 2 && s.node_index[0] == s.node_index[1])
            throw Error(s.loc, "contribution between node '" + s.nodes[0] + "' and itself");
        if (!numeric(term(*s.value))) throw Error(s.value->loc, "a contribution needs a number");
    }

    // The right side of a flow contribution: ddt() may stand in it as a term,
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
            if (e.text == "I" || e.text == "I2")
                throw Error(e.loc, "flow probes I(...) are not supported yet (they need branch currents as unknowns)");
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

    Ty builtin_call(Expr &e, const Builtin &b) {
        e.builtin = &b;
        switch (b.kind) {
        case BuiltinKind::Ddt:
            throw Error(e.loc, "ddt() is supported only as a term of a flow contribution I(...) <+");
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
            std::string conv_spec = "%";
            ++i;
            while (i + 1 < in.size() && std::string("-+ #0").find(in[i]) != std::string::npos) conv_spec += in[i++];
            while (i + 1 < in.size() && std::isdigit(static_cast<unsigned char>(in[i]))) conv_spec += in[i++];
            if (i + 1 < in.size() && in[i] == '.') {
                conv_spec += in[i++];
                while (i + 1 < in.size() && std::isdigit(static_cast<unsigned char>(in[i]))) conv_spec += in[i++];
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
            out += conv_spec + conv;
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

std::string c_name(const std::string &name) {
    bool reserved = reserved_names().count(name) > 0 || name.compare(0, 2, "zk") == 0 ||
                    name.compare(0, 2, "__") == 0 ||
                    (name.size() > 1 && name[0] == '_' && std::isupper(static_cast<unsigned char>(name[1])));
    return reserved ? "zk_u_" + name : name;
}

void analyze(Program &prog) { Analyzer(prog).run(); }

}  // namespace zelk4th
