// Whole models through the translator, the real cpp and the fourth stage:
// the C compiles without a warning, computes what the model says, and its
// derivatives agree with finite differences of the same compiled code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "support/ngspice.h"
#include "z4_support.h"

namespace {

using zelktest::RunResult;
using zelktest::TempDir;
using zelktest::file_exists;
using zelktest::read_file;
using zelktest::write_file;

// The folder where test model NAME.va (or example NAME.va) is translated
// and its checker built, once for all the tests.
const std::string &built(const std::string &name) {
    static std::map<std::string, std::unique_ptr<TempDir>> dirs;
    std::unique_ptr<TempDir> &dir = dirs[name];
    if (!dir) {
        dir.reset(new TempDir);
        const std::string model = z4test::test_model(name + ".va");
        z4test::prepare(dir->path(), file_exists(model) ? model : z4test::example(name + ".va"));
    }
    return dir->path();
}

// Every example, test model and complete model of the guide (a "va" block
// without an error block after it) compiles without a warning, and its
// derivatives match finite differences, each nonzero one listed in the
// header's Jacobian table.
TEST(Zelk4thPipeline, EveryModelCompilesAndItsDerivativesMatchFiniteDifferences) {
    std::vector<std::pair<std::string, std::string>> models;  // path, checker arguments
    for (const std::string &m : z4test::example_models()) models.emplace_back(m, "fd 200 -2 2");
    for (const char *m : {"cnames.va", "pdep.va", "rl.va", "scaled.va"})
        models.emplace_back(z4test::test_model(m), "fd 50 -1 1");
    models.emplace_back(z4test::test_model("builtins.va"), "fd 300 0.1 0.9");  // inside every domain
    const size_t before_guide = models.size();
    TempDir guide_dir;
    const std::string guide = read_file(std::string(ZELK_SOURCE_DIR) + "/docs/guide.md");
    for (size_t at = guide.find("```va\n"); at != std::string::npos; at = guide.find("```va\n", at + 1)) {
        const size_t begin = at + 6, end = guide.find("```", begin);
        if (guide.compare(end, 13, "```\n\n```stder") == 0) continue;
        models.emplace_back(guide_dir.file("guide" + std::to_string(models.size()) + ".va"), "fd 50 -1 1");
        write_file(models.back().first, guide.substr(begin, end - begin));
    }
    ASSERT_GE(models.size() - before_guide, 2u) << "no model found in the guide";
    for (const auto &m : models) {
        SCOPED_TRACE(m.first);
        TempDir dir;
        const std::string module = z4test::prepare(dir.path(), m.first);
        RunResult fd = z4test::run_checker(dir.path(), module, m.second);
        EXPECT_EQ(fd.status, 0) << fd.out << fd.err;
        EXPECT_NE(fd.out.find("bad 0"), std::string::npos) << fd.out;
    }
}

// The derivative check must be able to fail: a wrong rule is caught.
TEST(Zelk4thPipeline, DerivativeCheckCatchesAWrongRule) {
    const std::string &dir = built("diode");
    std::string c = read_file(dir + "/diodeeq.c");
    const std::string rule = "return diode_zk_chain(a, e, e);";
    ASSERT_NE(c.find(rule), std::string::npos);
    write_file(dir + "/wrongeq.c", c.replace(c.find(rule), rule.size(), "return diode_zk_chain(a, e, e * 1.0001);"));
    ASSERT_EQ(z4test::build_checker(dir, "diode", "wrongeq.c").status, 0);
    RunResult fd = z4test::run_checker(dir, "diode", "fd 20 -1 1");
    EXPECT_EQ(fd.status, 1);
    EXPECT_NE(fd.err.find("d/dv(a) of node a"), std::string::npos) << fd.err;
    ASSERT_EQ(z4test::build_checker(dir, "diode", "diodeeq.c").status, 0);
}

// "name i q" per equation of one evaluation: name -> {i, q}.
std::map<std::string, std::pair<double, double>> point(const std::string &module, const std::string &args) {
    RunResult r = z4test::run_checker(built(module), module, "point " + args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::map<std::string, std::pair<double, double>> got;
    std::istringstream in(r.out);
    std::string name;
    double i, q;
    while (in >> name >> i >> q) got[name] = {i, q};
    return got;
}

void expect_currents(std::map<std::string, std::pair<double, double>> got, const std::map<std::string, double> &want,
                     double tolerance) {
    for (const auto &w : want) {
        ASSERT_TRUE(got.count(w.first)) << w.first;
        EXPECT_NEAR(got[w.first].first, w.second, tolerance * std::fabs(w.second)) << w.first;
    }
}

// One node per built-in: its current is the built-in of the node voltages x
// and y, so that each is checked alone.
TEST(Zelk4thPipeline, EveryBuiltinHasTheRightValue) {
    const double x = 0.3, y = 0.6, k = 2.5;
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
        {"x", 0.0},                 // every contribution goes to its own node and ground
    };
    std::string volts = "0.3 0.6";
    for (int i = 0; i < 35; ++i) volts += " 0";
    auto got = point("builtins", volts);
    expect_currents(got, want, 1e-14);
    EXPECT_NEAR(got["oddt"].second, k * x * y - y / 4, 1e-15);
}

// A number with a scale letter is a real although the translation writes
// 1k as 1000: it never divides as an integer, on either side of "/", from a
// text macro, in a parameter default or a range bound; a plain integer still
// does, and a plain real of the same value is not taken for it.
TEST(Zelk4thPipeline, ScaledLiteralsAreReals) {
    std::string zeros;
    for (int k = 0; k < 18; ++k) zeros += " 0";
    expect_currents(point("scaled", "1" + zeros),
                    {{"ok1", 1e-3}, {"ok2", 1e3 / 3}, {"oM1", 3e6 / 7}, {"oM2", 3.5e-6}, {"oG1", 1e9 / 7},
                     {"oG2", 3.5e-9}, {"om1", 0.5}, {"om2", 4.0 / 3}, {"ou1", 0.5}, {"ou2", 1.5}, {"on", 2.5},
                     {"op", 3.5}, {"of", 4.5}, {"oT1", 1e12 / 7}, {"oT2", 3.5e-12}, {"omac", 1e-3},
                     {"okm", 333 + 1e-3 + 1}, {"oe", 2000 + 1e3 / 3 + 0.75}, {"p", 1e-3}},  // p: g = 1 / 1k at 1 V
                    1e-15);
}

// One evaluation through the checker: its exit status, its message, and
// the start of what it prints, then (unless NAN) the current there.
TEST(Zelk4thPipeline, ParametersRangesAndStrobes) {
    const struct {
        const char *model, *args;
        int status;
        const char *err, *out;
        double current;
    } cases[] = {
        // Refused by name, with the brackets of the declaration: "(0:inf)"
        // refuses 0, "[0.5:10]" accepts 0.5.
        {"diode", "0.5 0 0.4 rs=0", 3, "diode: parameter 'rs' = 0 is outside its range (0:inf)\n", "", NAN},
        {"diode", "0.5 0 0.4 n=0.4", 3, "diode: parameter 'n' = 0.4 is outside its range [0.5:10]\n", "", NAN},
        {"diode", "0.5 0 0.4 n=10.5 rs=-1", 3, "diode: parameter 'n' = 10.5 is outside its range [0.5:10]\n", "", NAN},
        {"diode", "0.5 0 0.4 temp=0", 3, "diode: parameter 'temp' = 0 is outside its range (0:inf)\n", "", NAN},
        {"diode", "0.5 0 0.4 n=10 cj0=0", 0, "", "a ", NAN},
        // $strobe inside an unbraced branch, its newline with it: printed
        // only when the branch is taken.
        {"diode", "0.5 0 0.4 n=0.5 rs=1e-3", 0, "", "a ", NAN},
        {"diode", "-2 0 -1.5 bv=0.1", 0, "", "diode: reverse voltage -0.5 V beyond breakdown\na ", NAN},
        // Defaults computed in declaration order from the values given or
        // defaulted before them, an integer rounded, bounds that use other
        // parameters; the current at 1 V is a + b + m.
        {"pdep", "1 0", 0, "", "p ", 2 + 4 + 4},
        {"pdep", "1 0 a=1", 0, "", "p ", 1 + 2 + 4},
        {"pdep", "1 0 a=1 b=3 m=2.4", 0, "", "p ", 1 + 3 + 2},
        {"pdep", "1 0 b=1", 3, "pdep: parameter 'b' = 1 is outside its range [a:10*a]\n", "", NAN},
        {"pdep", "1 0 b=20.5", 3, "pdep: parameter 'b' = 20.5 is outside its range [a:10*a]\n", "", NAN},
        // Names that mean something in C (keywords, macros of its headers,
        // names of the generated file) renamed and still working.
        {"cnames", "0.5 0.1", 0, "", "0.8\nNAN ", std::exp(0.8) + 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.args);
        RunResult r = z4test::run_checker(built(c.model), c.model, std::string("point ") + c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        ASSERT_EQ(r.out.compare(0, std::strlen(c.out), c.out), 0) << r.out;
        if (!std::isnan(c.current))
            EXPECT_NEAR(std::strtod(r.out.c_str() + std::strlen(c.out), nullptr), c.current, 1e-14 * c.current);
    }
}

// Three models in one program: included into one translation unit, and
// compiled apart and linked through their headers, with gcc and clang.
TEST(Zelk4thPipeline, SeveralModelsShareOneProgram) {
    TempDir dir;
    for (const char *m : {"diode.va", "npn.va", "res.va"})
        ASSERT_EQ(z4test::translate(dir.path(), z4test::example(m)).status, 0);
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
            RunResult b = z4test::shell(dir.path(), build + " && ./prog");
            ASSERT_EQ(b.status, 0) << b.err;
            if (first.empty()) first = b.out;
            EXPECT_EQ(b.out, first);
        }
    }
    z4test::Rows rows = zelktest::number_rows(first);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[0][2], 0.7 / 1000);  // the resistor: V(p, n) / 1k
    EXPECT_GT(rows[0][0], 0.0);                // the diode conducts at 50 mV
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
    const size_t main_at = doc.find("int main(void)"), begin = doc.rfind("```c\n", main_at) + 5;
    ASSERT_NE(main_at, std::string::npos);
    TempDir dir;
    ASSERT_EQ(z4test::translate(dir.path(), z4test::example("diode.va")).status, 0);
    write_file(dir.file("example.c"), doc.substr(begin, doc.find("```", main_at) - begin));
    RunResult r = z4test::shell(dir.path(), "gcc -std=c99 -Wall -Wextra -Werror example.c -lm -o example && ./example");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string node, symbol, eq;
    double i, sum = 0, scale = 0;
    std::vector<std::string> nodes;
    for (const std::string &line : zelktest::lines_of(r.out)) {
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
