// Types of expressions (integer, plain real, real with derivatives) and the
// checks that refuse what the generated C could not compute.
#include <gtest/gtest.h>

#include <string>

#include "analyze.h"
#include "diag.h"
#include "lexer.h"
#include "parser.h"

namespace {

using namespace zelk4th;

ParamInfo param(const std::string &name, const std::string &def, bool integer) {
    ParamInfo p;
    p.name = name;
    p.default_text = def;
    p.default_loc = Loc{"m.deriv", 1};
    p.integer = integer;
    return p;
}

// Module m: nodes a and b, real parameter r, integer parameter n, the device
// temperature; module variables x (real) and k (integer); an integer function
// g(p), a real function f(u) (with a local, reading a parameter) and a real
// function h(u, *w).
const char kPrologue[] =
    "DoubleRec x ;\n int k ;\n"
    "int\ng( p )\nint p;\n {\n return ( p+1 ) ;\n }\n"
    "DoubleRec\nf( u )\nDoubleRec u;\n {\n DoubleRec t ;\n t=u*r ; return ( t ) ;\n }\n"
    "DoubleRec\nh( u, w )\nDoubleRec u, *w;\n {\n *w=u ; return ( u ) ;\n }\n";

Program analyzed(const std::string &body, const std::string &prologue = kPrologue) {
    Program p;
    p.module = "m";
    p.side.ports = {"a", "b"};
    p.side.nodes = {"a", "b"};
    p.side.params = {param("r", "1000", false), param("n", "3", true), param("temp", "300.15", false)};
    p.side.params[2].implicit = true;
    p.unit = parse_unit(tokenize(prologue + std::string("int\nMevaluate ( a, b)\n double a, b;\n{\n") + body + "\n}\n",
                                 "meq.cpp"),
                        "Mevaluate");
    analyze(p);
    return p;
}

std::string error_of(const std::string &body, const std::string &prologue = kPrologue) {
    try {
        analyzed(body, prologue);
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

const char *type_word(Ty t) {
    switch (t) {
    case Ty::Int: return "int";
    case Ty::Real: return "real";
    case Ty::Dual: return "dual";
    case Ty::Str: return "string";
    case Ty::None: break;
    }
    return "none";
}

TEST(Zelk4thTypes, IntegerPlainRealAndRealWithDerivatives) {
    const struct {
        const char *expr, *type;
    } cases[] = {
        // literals, variables, parameters
        {"1", "int"}, {"1.5", "real"}, {"10000000000", "real"}, {"k", "int"}, {"x", "dual"}, {"a", "dual"},
        {"r", "real"}, {"n", "int"}, {"PI", "real"}, {"temperature", "real"},
        // arithmetic: integer only between integers, derivatives as soon as a node or real variable enters
        {"k/2", "int"}, {"-k", "int"}, {"n*k+1", "int"}, {"k/2.0", "real"}, {"r*2", "real"}, {"n*r", "real"},
        {"a-b", "dual"}, {"a*r", "dual"}, {"k*x", "dual"}, {"-a", "dual"},
        // comparisons and logic are integers whatever they compare
        {"a>b", "int"}, {"a>b&&k", "int"}, {"r<=1||x==a", "int"},
        {"k?1:2", "int"}, {"k?1:2.5", "real"}, {"a>0?1:a", "dual"},
        // built-ins
        {"exp(r)", "real"}, {"exp(k)", "real"}, {"exp(a)", "dual"}, {"ut(300)", "real"}, {"ut(a)", "dual"},
        {"ABS(k)", "int"}, {"ABS(r)", "real"}, {"ABS(a)", "dual"},
        {"MIN(k,2)", "int"}, {"MIN(k,2.5)", "real"}, {"MAX(a,1)", "dual"},
        {"floor(a)", "real"}, {"ceil(k)", "real"}, {"pow(2,3)", "real"}, {"pow(a,2)", "dual"}, {"pow(2,a)", "dual"},
        {"atan2(1,k)", "real"}, {"hypot(a,1)", "dual"},
        // analog functions return their declared type
        {"g(1)", "int"}, {"g(a)", "int"}, {"f(1)", "dual"}, {"h(1, &(x))", "dual"},
    };
    for (const auto &c : cases) {
        Program p = analyzed(std::string("x = ") + c.expr + " ;");
        EXPECT_STREQ(type_word(p.unit.evaluate->body->body[0]->value->type), c.type) << c.expr;
    }
}

// Defaults may use the parameters before them; bounds may use any.
TEST(Zelk4thTypes, ParameterTextsUseConstantsAndParametersOnly) {
    const struct {
        const char *def, *lo, *message;
    } cases[] = {
        {"2*r+n", "r/2", "(no error)"},
        {"r>1?3:4", "-inf", "(no error)"},
        {"exp(r)", "q", "(no error)"},  // q: declared after, usable in a bound
        {"q", "0", "m.deriv:1: the default of parameter 'z' uses parameter 'q', which is declared after it"},
        {"a", "0", "m.deriv:1: unknown name 'a'"},
        {"\"s\"", "0", "the default of parameter 'z' must be a number computed from constants and parameters"},
        {"1", "inf+zz", "m.param:1: unknown name 'zz'"},
    };
    for (const auto &c : cases) {
        Program p;
        p.module = "m";
        p.side.ports = {"a"};
        p.side.nodes = {"a"};
        p.side.params = {param("r", "1", false), param("n", "2", true), param("z", c.def, false),
                         param("q", "1", false)};
        p.side.params[2].has_range = true;
        p.side.params[2].lo_text = c.lo;
        p.side.params[2].hi_text = "inf";
        p.side.params[2].range_loc = Loc{"m.param", 1};
        p.unit = parse_unit(tokenize("int\nMevaluate ( a)\n double a;\n{\n}\n", "meq.cpp"), "Mevaluate");
        std::string got = "(no error)";
        try {
            analyze(p);
        } catch (const Error &e) {
            got = e.what();
        }
        EXPECT_NE(got.find(c.message), std::string::npos) << c.def << " / " << c.lo << ": " << got;
    }
}

// Each refused construct named with its line; `prologue` (when set)
// replaces the module's variables and functions.
TEST(Zelk4thChecks, RefusedConstructsNameTheSourceLine) {
    const std::string f = "# 7 \"t.va\"\nDoubleRec x ;\nDoubleRec\nf( u )\nDoubleRec u;\n {\n";
    const struct {
        const char *stmt, *message;
        std::string prologue;
    } cases[] = {
        {"x = ddt(a) ;", "ddt() is supported only as a term of a contribution"},
        {"_I(a,b) <== exp(ddt(a)) ;", "ddt() is supported only as a term of a contribution"},
        {"_I(a,b) <== a*ddt(a) ;", "ddt() multiplied or divided by a value that depends on the node voltages"},
        {"_I(a,b) <== ddt(a)/x ;", "ddt() multiplied or divided by a value that depends on the node voltages"},
        {"_I(a,b) <== ddt(a)*ddt(b) ;", "a product of two ddt() terms"},
        {"_I(a,b) <== r/ddt(a) ;", "ddt() is supported only as a term"},
        {"x = idt(a) ;", "idt() is not supported"},
        {"_V(a,b) <== 1 ; _I(b,a) <== 1 ;", "flow contribution to a branch that also has a potential contribution"},
        {"x = I2(a,b) ;", "reads only the current of a branch that has a potential contribution"},
        {"_V(a) <== 1 ; x = I2(a,b) ;", "reads only the current of a branch that has a potential contribution"},
        {"x = I(x) ;", "a flow probe I(...) needs a declared branch or one or two nodes"},
        {"_V(a,b) <== 1 ; x = I2(a,r) ;", "a flow probe I(...) needs a declared branch or one or two nodes"},
        {"x = foo(a) ;", "unknown function 'foo'"},
        {"x = zz ;", "unknown name 'zz'"},
        {"_I(q) <== 1 ;", "contribution to 'q', which is not an electrical node"},
        {"_I(a,a) <== 1 ;", "contribution between node 'a' and itself"},
        {"a = 1 ;", "cannot assign to node 'a'"},
        {"r = 1 ;", "cannot assign to parameter 'r'"},
        {"x = \"s\" ;", "a number is needed here, not a string"},
        {"return ( 1 ) ;", "'return' outside an analog function"},
        {"x = exp(a,b) ;", "'exp' takes 1 argument(s), not 2"},
        {"x = g(1,2) ;", "'g' takes 1 argument(s), not 2"},
        {"x = h(1, x) ;", "argument 2 of 'h' is an output argument and needs a variable"},
        {"x = h(1, &(a)) ;", "argument 2 of 'h' is an output argument and needs a variable, not 'a'"},
        {"x = h(1, &(k)) ;", "argument 2 of 'h' is a real output argument; 'k' is an integer"},
        {"x = f(&(x)) ;", "argument 1 of 'f' is passed by value, not by address"},
        {"printf(\"%d %g\", k) ;", "the $strobe format has 2 conversion(s) for 1 argument(s)"},
        {"printf(\"%b\", k) ;", "the $strobe conversion '%b' is not supported"},
        {"printf(\"%s\", k) ;", "argument 2 of $strobe does not match '%s'"},
        {"printf(k) ;", "$strobe needs a format string as its first argument"},
        {"x = printf(\"a\") ;", "$strobe is a statement, not a value"},
        // Analog functions see only their arguments, their locals and the parameters.
        {"", "unknown name 'x' in analog function 'f'", f + " return ( u+x ) ;\n }\n"},
        {"", "a contribution inside analog function 'f'", f + " _I(a,b) <== u ;\n }\n"},
        {"", "argument 'u' of 'f' has no type", "# 7 \"t.va\"\nDoubleRec\nf( u )\n {\n return ( 1 ) ;\n }\n"},
        {"", "has the name of a built-in function",
         "# 7 \"t.va\"\nDoubleRec\nexp( u )\nDoubleRec u;\n {\n return ( 1 ) ;\n }\n"},
    };
    for (const auto &c : cases) {
        const std::string got =
            error_of(std::string("# 7 \"t.va\"\n") + c.stmt, c.prologue.empty() ? kPrologue : c.prologue);
        EXPECT_EQ(got.compare(0, 7, "t.va:7:"), 0) << got;
        EXPECT_NE(got.find(c.message), std::string::npos) << c.stmt << " gives " << got;
    }
}

TEST(Zelk4thChecks, EvaluateNodesMustMatchTheSideFile) {
    Program p;
    p.module = "m";
    p.side.ports = {"a"};
    p.side.nodes = {"a", "b"};
    p.unit = parse_unit(tokenize("int\nMevaluate ( b, a)\n double b, a;\n{\n}\n", "meq.cpp"), "Mevaluate");
    try {
        analyze(p);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_NE(std::string(e.what()).find("the nodes of 'Mevaluate' (b, a) are not the electrical names"),
                  std::string::npos)
            << e.what();
    }
}

TEST(Zelk4thChecks, VariableReadButNeverAssignedIsWarned) {
    Program p = analyzed("DoubleRec z ;\n x = x+1 ; k = 2 ;", "DoubleRec x, br ;\n int k ;\n");
    EXPECT_TRUE(p.warnings.empty());
    p = analyzed("k = 2 ;\n x = br ;", "DoubleRec x, br ;\n int k ;\n");
    ASSERT_EQ(p.warnings.size(), 1u);
    EXPECT_NE(p.warnings[0].find("'br' is read but never assigned"), std::string::npos);
}

}  // namespace
