// Whole models through the translator, the real cpp and the fourth stage:
// the C compiles without a warning, computes what the model says, and its
// derivatives agree with finite differences of the same compiled code.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "z4_support.h"

namespace {

using zelktest::RunResult;
using zelktest::TempDir;
using zelktest::file_exists;
using zelktest::read_file;
using zelktest::write_file;

std::string module_of(const std::string &model) {
    std::string text = read_file(model);
    size_t at = text.find("\nmodule ");
    at += 8;
    std::string name = text.substr(at, text.find('(', at) - at);
    for (char &c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

// Translates, compiles strictly and builds the checker (fatal failures on the way).
void prepare(const TempDir &dir, const std::string &model, const std::string &module) {
    RunResult t = z4test::translate(dir.path(), model);
    ASSERT_EQ(t.status, 0) << model << "\n" << t.err;
    ASSERT_TRUE(file_exists(dir.file(module + "eq.c"))) << model;
    RunResult c = z4test::compile_strict(dir.path(), module + "eq.c");
    ASSERT_EQ(c.status, 0) << model << "\n" << c.err;
    EXPECT_EQ(c.err, "");
    RunResult b = z4test::build_checker(dir.path(), module, module + "eq.c");
    ASSERT_EQ(b.status, 0) << b.err;
}

TEST(Zelk4thPipeline, EveryExampleCompilesAndItsDerivativesMatchFiniteDifferences) {
    std::vector<std::string> models = z4test::example_models();
    ASSERT_GE(models.size(), 3u);
    for (const std::string &model : models) {
        SCOPED_TRACE(model);
        TempDir dir;
        const std::string module = module_of(model);
        prepare(dir, model, module);
        if (HasFatalFailure()) return;
        RunResult fd = z4test::run_checker(dir.path(), module, "fd 200 -1 1");
        EXPECT_EQ(fd.status, 0) << fd.out << fd.err;
        EXPECT_NE(fd.out.find("bad 0"), std::string::npos) << fd.out;
    }
}

// One node per built-in: its current is the built-in of the node voltages x
// and y, so both its value and its derivatives are checked alone.
TEST(Zelk4thPipeline, EveryBuiltinHasTheRightValueAndDerivatives) {
    TempDir dir;
    prepare(dir, z4test::test_model("builtins.va"), "builtins");
    if (HasFatalFailure()) return;
    RunResult fd = z4test::run_checker(dir.path(), "builtins", "fd 300 0.1 0.9");
    EXPECT_EQ(fd.status, 0) << fd.out << fd.err;

    const double x = 0.3, y = 0.6, k = 2.5;
    std::string volts = "0.3 0.6";
    for (int i = 0; i < 35; ++i) volts += " 0";
    RunResult pt = z4test::run_checker(dir.path(), "builtins", "point " + volts);
    ASSERT_EQ(pt.status, 0) << pt.err;
    std::map<std::string, std::pair<double, double>> got;  // node: current, charge
    std::istringstream in(pt.out);
    std::string name;
    double i, q;
    while (in >> name >> i >> q) got[name] = {i, q};
    const std::map<std::string, double> want = {
        {"oexp", std::exp(x)},      {"oln", std::log(x)},        {"olog", std::log10(x)},
        {"olog10", std::log10(y)},  {"osqrt", std::sqrt(x)},     {"ocbrt", std::cbrt(x - 1.5)},
        {"osin", std::sin(x)},      {"ocos", std::cos(x)},       {"otan", std::tan(x)},
        {"oasin", std::asin(x)},    {"oacos", std::acos(x)},     {"oatan", std::atan(x)},
        {"osinh", std::sinh(x)},    {"ocosh", std::cosh(x)},     {"otanh", std::tanh(x)},
        {"oasinh", std::asinh(x)},  {"oacosh", std::acosh(x + 1)}, {"oatanh", std::atanh(x)},
        {"oabs", std::fabs(x - y)}, {"omin", x},                 {"omax", y},
        {"ofloor", 3 * y},          {"oceil", 6 * x},            {"opow", std::pow(x, y)},
        {"opowc", std::pow(x, k)},  {"ocpow", std::pow(k, y)},   {"opowi", x * x * x},
        {"oatan2", std::atan2(y, x - 0.5)}, {"ohypot", std::hypot(x, y)},
        {"ovt", 1.38064852e-23 * 300 * x / 1.6021766208e-19}, {"olimexp", std::exp(y)},
        {"oarith", -x * y + x / y - 3 * y}, {"ocond", 2 * y},
        {"oddt", x},                // static part; the charge is checked below
        {"oint", 3 * x + 3.5},      // 7/2 is the integer 3, 7/2.0 the real 3.5
    };
    for (const auto &w : want) {
        ASSERT_TRUE(got.count(w.first)) << w.first;
        EXPECT_NEAR(got[w.first].first, w.second, 1e-14 * std::max(1.0, std::fabs(w.second))) << w.first;
    }
    EXPECT_NEAR(got["oddt"].second, k * x * y - y / 4, 1e-15);
    EXPECT_DOUBLE_EQ(got["x"].first, 0.0);  // every contribution goes to its own node and ground
}

// A number with a scale letter is a real although the translation writes
// 1k as 1000: it never divides as an integer, on either side of "/", from a
// text macro or in a parameter default; a plain integer still does.
TEST(Zelk4thPipeline, ScaledLiteralsAreReals) {
    TempDir dir;
    prepare(dir, z4test::test_model("scaled.va"), "scaled");
    if (HasFatalFailure()) return;
    std::string zeros;
    for (int k = 0; k < 19; ++k) zeros += " 0";
    RunResult pt = z4test::run_checker(dir.path(), "scaled", "point" + zeros);
    ASSERT_EQ(pt.status, 0) << pt.err;
    std::map<std::string, double> got;
    std::istringstream in(pt.out);
    std::string name;
    double i, q;
    while (in >> name >> i >> q) got[name] = i;
    const std::map<std::string, double> want = {
        {"ok1", 1e-3},       {"ok2", 1e3 / 3},      {"oM1", 3e6 / 7},  {"oM2", 3.5e-6}, {"oG1", 1e9 / 7},
        {"oG2", 3.5e-9},     {"om1", 0.5},          {"om2", 4.0 / 3},  {"ou1", 0.5},    {"ou2", 1.5},
        {"on", 2.5},         {"op", 3.5},           {"of", 4.5},       {"oT1", 1e12 / 7}, {"oT2", 3.5e-12},
        {"omac", 1e-3},      {"okm", 333 + 1e-3 + 1}, {"oe", 2000 + 1e3 / 3}, {"p", 0.0},
    };
    for (const auto &w : want) {
        ASSERT_TRUE(got.count(w.first)) << w.first;
        EXPECT_NEAR(got[w.first], w.second, 1e-15 * std::fabs(w.second)) << w.first;
    }
    RunResult g = z4test::run_checker(dir.path(), "scaled", "point 1" + zeros.substr(2));
    EXPECT_EQ(g.out.compare(0, 8, "p 0.001 "), 0) << g.out;  // g = 1 / 1k
}

// Three models in one program: included into one translation unit, and
// compiled apart and linked through their headers, with gcc and clang.
TEST(Zelk4thPipeline, SeveralModelsShareOneProgram) {
    TempDir dir;
    for (const char *m : {"diode.va", "npn.va", "res.va"}) {
        RunResult t = z4test::translate(dir.path(), z4test::example(m));
        ASSERT_EQ(t.status, 0) << t.err;
    }
    const std::string body =
        "int main(void)\n{\n"
        "    double v[3] = {0.7, 0.0, 0.65};\n"
        "    diode_params dp; npn_params np; res_params rp;\n"
        "    diode_result dr; npn_result nr; res_result rr;\n"
        "    diode_init(&dp); npn_init(&np); res_init(&rp);\n"
        "    if (diode_evaluate(v, &dp, &dr) || npn_evaluate(v, &np, &nr) || res_evaluate(v, &rp, &rr)) return 1;\n"
        "    printf(\"%.17g %.17g %.17g\\n\", dr.i[0], nr.i[1], rr.i[0]);\n"
        "    return DIODE_NUM_UNKNOWNS + NPN_NUM_UNKNOWNS + RES_NUM_UNKNOWNS - 8;\n}\n";
    write_file(dir.file("one.c"), "#include \"diodeeq.c\"\n#include \"npneq.c\"\n#include \"reseq.c\"\n" + body);
    write_file(dir.file("apart.c"),
               "#include <stdio.h>\n#include \"diodeeq.h\"\n#include \"npneq.h\"\n#include \"reseq.h\"\n" + body);
    std::string first;
    for (const char *cc : {"gcc", "clang"}) {
        const std::string flags = std::string(cc) + " -std=c99 -Wall -Wextra -Werror ";
        for (const std::string &build : {flags + "one.c -lm -o prog", flags + "apart.c diodeeq.c npneq.c reseq.c -lm -o prog"}) {
            SCOPED_TRACE(build);
            RunResult b = z4test::shell(dir.path(), build);
            ASSERT_EQ(b.status, 0) << b.err;
            RunResult r = z4test::shell(dir.path(), "./prog");
            ASSERT_EQ(r.status, 0) << r.err;
            if (first.empty()) first = r.out;
            EXPECT_EQ(r.out, first);
        }
    }
    std::vector<std::vector<double>> rows = z4test::number_rows(first);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][2], 0.7 / 1000);  // the resistor: V(p, n) / 1k
    EXPECT_GT(rows[0][0], 0.0);                // the diode conducts at 50 mV
}

// Every complete model the guide shows (a "va" block without an error
// block after it) goes through the whole pipeline and compiles cleanly.
TEST(Zelk4thPipeline, EveryModelOfTheGuideGoesThroughThePipeline) {
    const std::string guide = read_file(std::string(ZELK_SOURCE_DIR) + "/docs/guide.md");
    int models = 0;
    for (size_t at = guide.find("```va\n"); at != std::string::npos; at = guide.find("```va\n", at + 1)) {
        const size_t begin = at + 6, end = guide.find("```", begin);
        ASSERT_NE(end, std::string::npos);
        if (guide.compare(end, 13, "```\n\n```stder") == 0) continue;
        const std::string source = guide.substr(begin, end - begin);
        SCOPED_TRACE(source);
        ++models;
        TempDir dir;
        write_file(dir.file("model" + std::to_string(models) + ".va"), source);
        RunResult t = z4test::translate(dir.path(), dir.file("model" + std::to_string(models) + ".va"));
        ASSERT_EQ(t.status, 0) << t.err;
        EXPECT_EQ(t.err, "");
        std::string c_file;
        for (const std::string &f : zelktest::list_dir(dir.path()))
            if (f.size() > 4 && f.compare(f.size() - 4, 4, "eq.c") == 0) c_file = f;
        ASSERT_FALSE(c_file.empty());
        RunResult c = z4test::compile_strict(dir.path(), c_file);
        EXPECT_EQ(c.status, 0) << c.err;
    }
    EXPECT_GE(models, 3);
}

// The header's tables: ports first (whatever the declaration order), then
// internal nodes, then branch currents; the Jacobian entries that can be
// nonzero, resistive and reactive apart; the kind of every parameter.
TEST(Zelk4thPipeline, HeaderDescribesUnknownsJacobianAndParameters) {
    TempDir dir;
    write_file(dir.file("t.va"),
               "module t(b, a);\nelectrical x, a, b;\nmodel parameter real c0 = 1p;\n"
               "device parameter real r = 2 * c0;\nreal v;\nanalog begin\n  v = V(a, x);\n  I(a, x) <+ v / r;\n"
               "  V(x, b) <+ ddt(c0 * I(x, b));\n  I(b) <+ ddt(c0 * V(b));\nend\nendmodule\n");
    RunResult t = z4test::translate(dir.path(), dir.file("t.va"));
    ASSERT_EQ(t.status, 0) << t.err;
    const std::string h = read_file(dir.file("teq.h"));
    auto table = [&](const std::string &name) {
        size_t at = h.find("#define " + name + "(X)");
        if (at == std::string::npos) return std::string("(missing)");
        std::string out;
        for (size_t i = h.find(" \\\n", at); i != std::string::npos && i < h.find("\n\n", at); i = h.find(" \\\n", i + 1)) {
            size_t b = h.find_first_not_of(' ', i + 3), e = h.find('\n', b);
            out += (out.empty() ? "" : " ") + h.substr(b, (h.compare(e - 2, 2, " \\") == 0 ? e - 2 : e) - b);
        }
        return out;
    };
    EXPECT_EQ(table("T_UNKNOWNS"),
              "X(0, \"b\", T_TERMINAL, 1) X(1, \"a\", T_TERMINAL, 0) X(2, \"x\", T_INTERNAL, 0) "
              "X(3, \"I(x,b)\", T_BRANCH_CURRENT, 1)");
    EXPECT_EQ(table("T_JACOBIAN"),
              "X(0, 0, 0, 1) X(0, 3, 1, 0) X(1, 1, 1, 0) X(1, 2, 1, 0) X(2, 1, 1, 0) X(2, 2, 1, 0) X(2, 3, 1, 0) "
              "X(3, 0, 1, 0) X(3, 2, 1, 0) X(3, 3, 0, 1)");
    EXPECT_EQ(table("T_PARAMS"),
              "X(0, \"c0\", c0, double, T_MODEL_PARAM, T_DECLARED) X(1, \"r\", r, double, T_INSTANCE_PARAM, "
              "T_DECLARED) X(2, \"temp\", temp, double, T_INSTANCE_PARAM, T_TEMPERATURE) X(3, \"area\", area, "
              "double, T_INSTANCE_PARAM, T_AREA)");
    EXPECT_NE(h.find("#define T_NUM_JACOBIAN 10\n"), std::string::npos);
    // The C file carries the same interface.
    EXPECT_NE(read_file(dir.file("teq.c")).find(h.substr(h.find("#ifndef TEQ_H"))), std::string::npos);
}

// Source names that are C keywords, macros of the C headers or names of the
// generated file itself are renamed in the C text and keep working.
TEST(Zelk4thPipeline, NamesThatMeanSomethingInCAreRenamed) {
    TempDir dir;
    prepare(dir, z4test::test_model("cnames.va"), "cnames");
    if (HasFatalFailure()) return;
    RunResult r = z4test::run_checker(dir.path(), "cnames", "point 0.5 0.1");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    std::string strobe, node;
    double i = 0, q = 0;
    in >> strobe >> node >> i >> q;
    EXPECT_EQ(strobe, "0.8");
    EXPECT_EQ(node, "NAN");
    EXPECT_NEAR(i, std::exp(0.8) + 3, 1e-14);
    RunResult fd = z4test::run_checker(dir.path(), "cnames", "fd 20 -1 1");
    EXPECT_EQ(fd.status, 0) << fd.err;
    EXPECT_NE(read_file(dir.file("cnameseq.c")).find("double zk_u_double;"), std::string::npos);
}

// The derivative check must be able to fail: a wrong rule is caught.
TEST(Zelk4thPipeline, DerivativeCheckCatchesAWrongRule) {
    TempDir dir;
    prepare(dir, z4test::example("diode.va"), "diode");
    if (HasFatalFailure()) return;
    std::string c = read_file(dir.file("diodeeq.c"));
    const std::string rule = "return diode_zk_chain(a, e, e);";
    ASSERT_NE(c.find(rule), std::string::npos);
    c.replace(c.find(rule), rule.size(), "return diode_zk_chain(a, e, e * 1.0001);");
    write_file(dir.file("wrongeq.c"), c);
    ASSERT_EQ(z4test::build_checker(dir.path(), "diode", "wrongeq.c").status, 0);
    RunResult fd = z4test::run_checker(dir.path(), "diode", "fd 20 -1 1");
    EXPECT_EQ(fd.status, 1);
    EXPECT_NE(fd.err.find("d/dv(a) of node a"), std::string::npos) << fd.err;
}

// Parameters out of their range are refused by name, with the brackets of
// the declaration: "(0:inf)" refuses 0, "[0.5:10]" accepts 0.5.
TEST(Zelk4thPipeline, RangeCheckFollowsTheDeclaredBrackets) {
    TempDir dir;
    prepare(dir, z4test::example("diode.va"), "diode");
    if (HasFatalFailure()) return;
    const struct {
        const char *args;
        int status;
        const char *message;
    } cases[] = {
        {"rs=0", 3, "diode: parameter 'rs' = 0 is outside its range (0:inf)\n"},
        {"n=0.4", 3, "diode: parameter 'n' = 0.4 is outside its range [0.5:10]\n"},
        {"n=10.5 rs=-1", 3, "diode: parameter 'n' = 10.5 is outside its range [0.5:10]\n"},
        {"n=0.5 rs=1e-3", 0, ""},
        {"n=10 cj0=0", 0, ""},
        {"temp=0", 3, "diode: parameter 'temp' = 0 is outside its range (0:inf)\n"},
    };
    for (const auto &c : cases) {
        RunResult r = z4test::run_checker(dir.path(), "diode", std::string("point 0.5 0 0.4 ") + c.args);
        EXPECT_EQ(r.status, c.status) << c.args << r.err;
        EXPECT_EQ(r.err, c.message) << c.args;
    }
}

// Defaults computed in declaration order from the values given or defaulted
// before them, an integer parameter rounded, bounds that use other parameters.
TEST(Zelk4thPipeline, ParameterDefaultsAndBoundsUseOtherParameters) {
    TempDir dir;
    prepare(dir, z4test::test_model("pdep.va"), "pdep");
    if (HasFatalFailure()) return;
    const struct {
        const char *args;
        double current;  // at V(p, n) = 1
        const char *message;
    } cases[] = {
        {"", 2 + 4 + 4, ""},
        {"a=1", 1 + 2 + 4, ""},  // b's default follows the given a
        {"a=1 b=3 m=2.4", 1 + 3 + 2, ""},
        {"b=1", 0, "pdep: parameter 'b' = 1 is outside its range [a:10*a]\n"},
        {"b=20.5", 0, "pdep: parameter 'b' = 20.5 is outside its range [a:10*a]\n"},
    };
    for (const auto &c : cases) {
        RunResult r = z4test::run_checker(dir.path(), "pdep", std::string("point 1 0 ") + c.args);
        EXPECT_EQ(r.err, c.message) << c.args;
        if (*c.message) continue;
        std::istringstream out(r.out);  // "p i q" first
        std::string node;
        double i = 0;
        out >> node >> i;
        EXPECT_EQ(node, "p");
        EXPECT_DOUBLE_EQ(i, c.current) << c.args;
    }
}

// $strobe inside an unbraced branch: its newline belongs to the branch.
TEST(Zelk4thPipeline, StrobeInABranchPrintsOnlyWhenTheBranchIsTaken) {
    TempDir dir;
    prepare(dir, z4test::example("diode.va"), "diode");
    if (HasFatalFailure()) return;
    RunResult fwd = z4test::run_checker(dir.path(), "diode", "point 0.5 0 0.4");
    ASSERT_EQ(fwd.status, 0);
    EXPECT_EQ(fwd.out.find("\n\n"), std::string::npos) << fwd.out;
    EXPECT_EQ(fwd.out.compare(0, 2, "a "), 0) << fwd.out;
    RunResult rev = z4test::run_checker(dir.path(), "diode", "point -2 0 -1.5 bv=0.1");
    ASSERT_EQ(rev.status, 0);
    const std::string strobe = "diode: reverse voltage -0.5 V beyond breakdown\na ";
    EXPECT_EQ(rev.out.compare(0, strobe.size(), strobe), 0) << rev.out;
}

// Bad input: a message naming the file and line, a non-zero status and no
// output file, also when the stage runs inside the translator's pipeline.
TEST(Zelk4thPipeline, RefusedModelsLeaveNoOutput) {
    const struct {
        const char *source, *message;
    } cases[] = {
        {"module m(a, b);\nelectrical a, b;\nmodel parameter real r = 2 * g;\nmodel parameter real g = 1;\n"
         "analog I(a, b) <+ V(a, b) / r;\nendmodule\n",
         "zelk4th: t.va:3: the default of parameter 'r' uses parameter 'g', which is declared after it\n"},
        {"module m(a, b);\nelectrical a, b;\nreal q;\nanalog begin\nq = 1;\nI(q) <+ 1;\nend\nendmodule\n",
         "zelk4th: t.va:6: contribution to 'q', which is not an electrical node\n"},
        {"`define F(x) foo(x)\nmodule m(a, b);\nelectrical a, b;\nanalog begin\n\nI(a, b) <+ `F(V(a));\nend\nendmodule\n",
         "zelk4th: t.va:6: unknown function 'foo'\n"},
        {"module m(a, b);\nelectrical a, b;\nreal x;\nanalog begin\nx = ddt(V(a));\nI(a, b) <+ x;\nend\nendmodule\n",
         "zelk4th: t.va:5: ddt() is supported only as a term of a contribution\n"},
        {"module m(a, b);\nelectrical a, b;\nanalog I(a, b) <+ idt(V(a, b));\nendmodule\n",
         "zelk4th: t.va:3: idt() is not supported\n"},
        {"module m(a, b);\nelectrical a, b;\nanalog I(a, b) <+ I(a, b);\nendmodule\n",
         "zelk4th: t.va:3: a flow probe I(...) reads only the current of a branch that has a potential "
         "contribution V(...) <+\n"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        write_file(dir.file("meq.c"), "stale output of an earlier run");
        write_file(dir.file("t.va"), c.source);
        zelktest::Stubs stubs;
        stubs.real_cpp = true;
        stubs.real_zelk4th = true;
        RunResult r = zelktest::run_zelkpp(dir.path(), {"t.va"}, stubs);
        EXPECT_EQ(r.status, 2) << c.source;
        EXPECT_EQ(r.err, c.message) << c.source;
        EXPECT_FALSE(file_exists(dir.file("meq.c"))) << c.source;
        EXPECT_TRUE(file_exists(dir.file("meq.cpp")));
    }
}

// The example program of the interface documentation builds against the
// diode example and prints one line per node; the contributions of a
// two-terminal branch cancel over the nodes.
TEST(Zelk4thPipeline, DocumentedExampleBuildsAndRuns) {
    const std::string doc = read_file(std::string(ZELK_SOURCE_DIR) + "/docs/zelk4th.md");
    const size_t main_at = doc.find("int main(void)");
    ASSERT_NE(main_at, std::string::npos);
    const size_t begin = doc.rfind("```c\n", main_at) + 5;
    const std::string code = doc.substr(begin, doc.find("```", main_at) - begin);
    TempDir dir;
    ASSERT_EQ(z4test::translate(dir.path(), z4test::example("diode.va")).status, 0);
    write_file(dir.file("example.c"), code);
    RunResult b = z4test::shell(dir.path(), "gcc -std=c99 -Wall -Wextra -Werror example.c -lm -o example");
    ASSERT_EQ(b.status, 0) << b.err;
    RunResult r = z4test::shell(dir.path(), "./example");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out);
    std::string node, symbol, eq;
    double i, sum = 0, scale = 0;
    std::vector<std::string> nodes;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        ASSERT_TRUE(static_cast<bool>(words >> node >> symbol >> eq >> i)) << line;  // "a  i = ..."
        nodes.push_back(node);
        sum += i;
        scale = std::max(scale, std::fabs(i));
    }
    EXPECT_EQ(nodes, (std::vector<std::string>{"a", "c", "ci"}));
    EXPECT_GT(scale, 1e-6);
    EXPECT_LT(std::fabs(sum), 1e-12 * scale);
}

TEST(Zelk4thPipeline, BadInputFilesAndCommandLine) {
    TempDir dir;
    RunResult t = z4test::translate(dir.path(), z4test::example("res.va"));
    ASSERT_EQ(t.status, 0) << t.err;
    const std::string zelk4th = zelktest::program("zelk4th");
    auto run = [&](const std::vector<std::string> &args) {
        std::vector<std::string> argv = {zelk4th};
        argv.insert(argv.end(), args.begin(), args.end());
        return zelktest::run(dir.path(), argv);
    };
    // The command line.
    for (const auto &args : {std::vector<std::string>{}, {"reseq.cpp"}, {"a", "b", "c"}, {"--osdi", "reseq.cpp"},
                             {"--osdi", "--type"}, {"--type", "r", "reseq.cpp", "res.osdi"}}) {
        RunResult r = run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "usage: zelk4th IN OUT\n       zelk4th --osdi [--type NAME] IN MODULE\n");
    }
    RunResult bad_type = run({"--osdi", "--type", "Res", "reseq.cpp", "res.osdi"});
    EXPECT_EQ(bad_type.status, 1);
    EXPECT_EQ(bad_type.err, "zelk4th: device type 'Res': lower-case letters, digits and '_', starting with a letter\n");
    // A compiler that fails: the module's source stays, no module.
    RunResult no_cc = zelktest::run(dir.path(), {zelk4th, "--osdi", "reseq.cpp", "res.osdi"}, "", {{"CC", "false"}});
    EXPECT_EQ(no_cc.status, 3);
    EXPECT_NE(no_cc.err.find("the C compiler failed on 'res.osdi.c'"), std::string::npos) << no_cc.err;
    EXPECT_TRUE(file_exists(dir.file("res.osdi.c")));
    EXPECT_FALSE(file_exists(dir.file("res.osdi")));
    // A preprocessed file that the translator did not write.
    write_file(dir.file("reseq.cpp"), "# 1 \"other.c\"\nvoid f(void) { }\n");
    RunResult r = run({"reseq.cpp", "out.c"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "zelk4th: other.c:1: expected a declaration or a function definition, found 'void'\n");
    EXPECT_FALSE(file_exists(dir.file("out.c")));
    // A missing side file.
    ASSERT_EQ(std::rename(dir.file("res.param").c_str(), dir.file("keep").c_str()), 0);
    write_file(dir.file("out.c"), "stale");
    r = run({"reseq.cpp", "out.c"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "zelk4th: cannot read 'res.param': No such file or directory\n");
    EXPECT_FALSE(file_exists(dir.file("out.c")));
    // An input whose name does not lead to the side files.
    r = run({"res.cpp", "out.c"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("must be named <module>eq.cpp"), std::string::npos) << r.err;
}

}  // namespace
