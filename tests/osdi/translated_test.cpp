// Translated example models built into OSDI modules by `zelk4th --osdi` and
// run in ngspice beside an equivalent made of ngspice's own elements, in the
// same circuit: a DC sweep, an AC sweep and a transient agree within 1e-6
// relative plus 1e-15 A.  Also: every example builds without a warning,
// parameters out of range stop the simulation with a message naming them,
// the Newton iterations of a diode switched straight on, eval's convergence
// test and step control called directly, and the README's rectifier.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "osdi_abi.h"
#include "support/ngspice.h"
#include "zelk4th/z4_support.h"

using namespace zelktest;

namespace {

using Rows = std::vector<std::vector<double>>;

std::string replace_all(std::string s, const std::string &from, const std::string &to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// Translates `va` (a path, or a file of examples/) in its own folder of
// `dir` and builds it with `zelk4th --osdi` (and `options`, e.g. "--type
// NAME"); the module's path.
std::string build_module(const TempDir &dir, const std::string &va, const std::string &options = "",
                         const std::string &cc = "") {
    const std::string name = va.substr(va.rfind('/') + 1), sub = dir.file(name.substr(0, name.find('.')));
    z4test::shell(dir.path(), "mkdir -p '" + sub + "'");
    RunResult t = z4test::translate(sub, va.find('/') == std::string::npos ? z4test::example(va) : va);
    EXPECT_EQ(t.status, 0) << va << t.err;
    std::string eq;
    for (const std::string &f : list_dir(sub))
        if (f.size() > 6 && f.compare(f.size() - 6, 6, "eq.cpp") == 0) eq = f;
    const std::string module = eq.substr(0, eq.size() - 6) + ".osdi";
    RunResult b = z4test::shell(sub, (cc.empty() ? "" : "CC='" + cc + "' ") + "'" + program("zelk4th") + "' --osdi " +
                                         options + " " + eq + " " + module);
    EXPECT_EQ(b.status, 0) << va << b.err;
    return sub + "/" + module;
}

// One model (or several) against built-in elements.  In `dut` (the
// translated devices) and `ref` (their equivalent), {1}, {2}, {3} stand for
// the terminals and {s} for a suffix that keeps the two copies apart.
// Terminal k is driven from node drive[k] through the 0 V source vt<k>_<copy>,
// whose current is compared.  The source Vin is swept, and drives AC and
// transient.
struct Case {
    const char *name;
    std::vector<std::string> models;  // examples/ files, each built into a module
    const char *cards;                // model cards and subcircuits of both
    const char *dut, *ref;
    std::vector<std::string> drive;
    const char *vin;    // Vin's values, from "in" to ground
    const char *more;   // other sources and settings (.temp)
    const char *sweep;  // dc Vin FROM TO STEP
    const char *tran;   // tran STEP STOP
};

// clang-format off
const Case kCases[] = {
    {"res", {"res.va"}, ".model rm res_va r=2.2k\n", "N{s} {1} {2} rm", "R{s} {1} {2} 2.2k", {"in", "0"},
     "dc 0 ac 1 sin(0 1 10meg)", "", "-2 2 0.5", "1n 200n"},
    {"capacitor", {"capacitor.va"}, ".model cm cap_va cj=4.7p gleak=1u\n", "N{s} {1} {2} cm",
     "C{s} {1} {2} 4.7p\nRg{s} {1} {2} 1meg", {"in", "0"}, "dc 0.5 ac 1 sin(0 1 10meg)", "", "-2 2 0.5", "1n 200n"},
    // The multiplier m of the module against the built-in diode's.
    {"diode", {"diode.va"},
     ".model dm diode_va is=1e-14 n=1.5 rs=10 cj0=2p\n.model dref d is=1e-14 n=1.5 rs=10 cjo=2p m=0\n",
     "N{s} {1} {2} dm m=2", "D{s} {1} {2} dref m=2", {"in", "0"}, "dc 0.6 ac 1 sin(0 1 1meg)", "", "-1 0.9 0.05",
     "2n 3u"},
    // The saturation current's temperature law at the circuit temperature and
    // at an instance temperature (kelvin for the module, Celsius for ngspice's
    // diode), in forward bias: below -3 n Vt ngspice's diode has a reverse law.
    {"tdiode_circuit_temperature", {"tdiode.va"},
     ".model tm tdiode_va is=1e-14 n=1.2 eg=1.11 xti=3 tnom=27\n.model tref d is=1e-14 n=1.2 eg=1.11 xti=3 tnom=27\n",
     "N{s} {1} {2} tm", "D{s} {1} {2} tref", {"in", "0"}, "dc 0.5 ac 1 sin(0.3 0.3 1meg)", ".temp 75\n",
     "-0.1 0.8 0.05", "2n 3u"},
    {"tdiode_instance_temperature", {"tdiode.va"},
     ".model tm tdiode_va is=1e-14 n=1.2 eg=1.11 xti=3 tnom=27\n.model tref d is=1e-14 n=1.2 eg=1.11 xti=3 tnom=27\n",
     "N{s} {1} {2} tm temp=350", "D{s} {1} {2} tref temp=76.85", {"in", "0"}, "dc 0.5 ac 1 sin(0.3 0.3 1meg)", "",
     "-0.1 0.8 0.05", "2n 3u"},
    // A potential branch (a branch-current unknown): rs = 0 ties the junction to the anode.
    {"sdiode", {"sdiode.va"}, ".model sm sdiode_va is=1e-14 n=1 rs=0 cj0=1p\n.model sref d is=1e-14 rs=0 cjo=1p m=0\n",
     "N{s} {1} {2} sm", "D{s} {1} {2} sref", {"in", "0"}, "dc 0.6 ac 1 sin(0 0.7 1meg)", "", "-1 0.75 0.05", "2n 3u"},
    // A model parameter named m beside the multiplier m.
    {"varactor", {"varactor.va"},
     ".model vm varactor_va cj0=10p vj=0.8 m=0.5 fc=0.5 gleak=1n\n.model vref d is=0 cjo=10p vj=0.8 m=0.5 fc=0.5\n",
     "N{s} {1} {2} vm", "D{s} {1} {2} vref\nRg{s} {1} {2} 1g", {"in", "0"}, "dc -2 ac 1 sin(-2 2.5 1meg)", "",
     "-5 0.6 0.2", "2n 3u"},
    {"npn", {"npn.va"},
     ".model qm npn_va is=1e-16 bf=100 br=2 tf=0.3n vtherm=0.025864917007157463\n"
     ".model qref npn is=1e-16 bf=100 br=2 tf=0.3n\n",
     "N{s} {1} {2} {3} qm", "Q{s} {1} {2} {3} qref", {"cc", "in", "0"}, "dc 0.7 ac 1 sin(0.7 0.02 10meg)",
     "Vcc cc 0 dc 2\n", "0 0.8 0.05", "1n 300n"},
    // Square law against ngspice's level 1 (no junctions, no Meyer
    // capacitances) with the model's constant gate capacitances beside it;
    // an instance parameter given on the model card.
    {"mosfet", {"mosfet.va"},
     ".model nm nmos_va kp=200u vt0=0.7 lambda=0.02 cox=2.3m width=20u\n"
     ".model mref nmos level=1 kp=200u vto=0.7 lambda=0.02 is=0\n",
     "N{s} {1} {2} {3} nm length=2u",
     "M{s} {1} {2} {3} {3} mref w=20u l=2u\nCgs{s} {2} {3} 46f\nCgd{s} {2} {1} 46f", {"cc", "in", "0"},
     "dc 1.5 ac 1 sin(1.5 1 10meg)", "Vcc cc 0 dc 2\n", "0 3 0.1", "1n 300n"},
    // Drain swept from reversed operation through the linear region into saturation.
    {"njf", {"njf.va"},
     ".model jm njf_va beta=1m vto=-2 lambda=0.02 is=1e-15\n.model jref njf beta=1m vto=-2 lambda=0.02 is=1e-15\n",
     "N{s} {1} {2} {3} jm", "J{s} {1} {2} {3} jref", {"in", "gg", "0"}, "dc 1 ac 1 sin(1 1.2 10meg)",
     "Vgg gg 0 dc -0.5\n", "-0.4 3 0.1", "1n 300n"},
    // An integer model parameter picks the characteristic; a B source is the equivalent.
    {"nlcond_quadratic", {"nlcond.va"}, ".model gm nlcond_va level=2 g0=1m alpha=0.1\n", "N{s} {1} {2} gm",
     "B{s} {1} {2} I=1m*v({1},{2})*(1+0.1*v({1},{2})*v({1},{2}))", {"in", "0"}, "dc 1 ac 1 sin(0 3 10meg)", "",
     "-3 3 0.25", "1n 200n"},
    {"nlcond_saturating", {"nlcond.va"}, ".model gm nlcond_va level=3 g0=1m vsat=0.5\n", "N{s} {1} {2} gm",
     "B{s} {1} {2} I=1m*0.5*v({1},{2})/sqrt(0.25+v({1},{2})*v({1},{2}))", {"in", "0"}, "dc 1 ac 1 sin(0 3 10meg)",
     "", "-3 3 0.25", "1n 200n"},
    // The cubic's root in closed form.
    {"polyres", {"polyres.va"},
     ".model pm polyres_va g1=1m g3=0.5m v0=0.5 order=6\n"
     ".func e6(x) {x+x*x/2+x*x*x/6+x*x*x*x/24+x*x*x*x*x/120+x*x*x*x*x*x/720}\n"
     ".func cr(x) {pow(x/2+sqrt(x*x/4+1/27),1/3)-pow(sqrt(x*x/4+1/27)-x/2,1/3)}\n",
     "N{s} {1} {2} pm", "B{s} {1} {2} I=0.5m*e6(v({1},{2})/0.5)+0.25m*cr(v({1},{2})/0.5)", {"in", "0"},
     "dc 0.3 ac 1 sin(0 1 10meg)", "", "-1 1 0.1", "1n 200n"},
    {"two_models", {"res.va", "diode.va"},
     ".model rm res_va r=1k\n.model dm diode_va is=1e-14 rs=10 cj0=2p\n.model dref d is=1e-14 rs=10 cjo=2p m=0\n",
     "Nr{s} {1} m{s} rm\nNd{s} m{s} {2} dm", "R{s} {1} m{s} 1k\nD{s} m{s} {2} dref", {"in", "0"},
     "dc 1 ac 1 sin(0 3 1meg)", "", "-3 3 0.25", "2n 3u"},
    // A potential branch with a charge: the series R and L of a test model.
    {"rl", {z4test::test_model("rl.va")}, ".model lm rl_va r=50 l=10u\n", "N{s} {1} {2} lm",
     "R{s} {1} m{s} 50\nL{s} m{s} {2} 10u", {"in", "0"}, "dc 0.5 ac 1 sin(0 1 1meg)", "", "-1 1 0.1", "2n 3u"},
    {"subcircuit", {"sdiode.va"},
     ".model sm sdiode_va is=1e-14 rs=5 cj0=1p\n.model sref d is=1e-14 rs=5 cjo=1p m=0\n"
     ".subckt half a c\nNj a c sm\nR1 c 0 1k\n.ends\n.subckt halfref a c\nDj a c sref\nR1 c 0 1k\n.ends\n",
     "X{s} {1} {2} half", "X{s} {1} {2} halfref", {"in", "0"}, "dc 1 ac 1 sin(0 2 1meg)", "", "-2 2 0.1", "2n 3u"},
};
// clang-format on

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

// The deck of a case: both copies, the analyses, their results in dc.out,
// ac.out and tran.out, pairs of columns (translated, built-in) per terminal.
std::string deck(const Case &c, const std::vector<std::string> &modules) {
    std::string text = std::string("* ") + c.name + "\nVin in 0 " + c.vin + "\n" + c.more;
    std::string vectors;
    for (size_t k = 0; k < c.drive.size(); ++k)
        for (int copy = 1; copy <= 2; ++copy)
            vectors += " i(vt" + std::to_string(k + 1) + "_" + std::to_string(copy) + ")";
    for (int copy = 1; copy <= 2; ++copy) {
        const std::string s = std::to_string(copy);
        std::string dev = copy == 1 ? c.dut : c.ref;
        for (size_t k = 0; k < c.drive.size(); ++k) {
            const std::string t = "t" + std::to_string(k + 1) + "_" + s;
            text += "Vt" + std::to_string(k + 1) + "_" + s + " " + c.drive[k] + " " + t + " 0\n";
            dev = replace_all(dev, "{" + std::to_string(k + 1) + "}", t);
        }
        text += replace_all(dev, "{s}", s) + "\n";
    }
    text += c.cards;
    text += ".options gmin=0 reltol=1e-9 abstol=1e-18 vntol=1e-12\n";
    std::string commands;
    for (const std::string &m : modules) commands += "pre_osdi " + m + "\n";
    commands += std::string("dc Vin ") + c.sweep + "\nwrdata dc.out" + vectors + "\nac dec 4 1k 1g\nwrdata ac.out" +
                vectors + "\ntran " + c.tran + "\nwrdata tran.out" + vectors;
    return text + spice_control(commands) + ".end\n";
}

// Row by row, the translated device's value against the built-in's for
// each terminal (complex when `re_im`): within 1e-6 relative plus 1e-15 A.
// Returns the largest value seen (a comparison of zeros must not pass for
// one) and the largest error over its tolerance.
std::pair<double, double> expect_close(const Rows &rows, size_t terminals, bool re_im, const std::string &what) {
    const size_t width = re_im ? 2 : 1;
    double largest = 0, worst = 0;
    EXPECT_FALSE(rows.empty()) << what;
    for (const auto &row : rows) {
        if (row.size() != 1 + 2 * width * terminals) {
            ADD_FAILURE() << what << ": row of " << row.size() << " numbers";
            break;
        }
        for (size_t k = 0; k < terminals; ++k) {
            const size_t at = 1 + 2 * width * k;
            const std::complex<double> a(row[at], re_im ? row[at + 1] : 0.0),
                b(row[at + width], re_im ? row[at + width + 1] : 0.0);
            const double size = std::max(std::abs(a), std::abs(b)), tol = 1e-6 * size + 1e-15;
            largest = std::max(largest, size);
            worst = std::max(worst, std::abs(a - b) / tol);
            EXPECT_LE(std::abs(a - b), tol)
                << what << " at " << row[0] << ", terminal " << k + 1 << ": translated " << a << ", built-in " << b;
        }
    }
    EXPECT_GT(largest, 1e-9) << what << ": only zeros";
    return {largest, worst};
}

class Translated : public ::testing::TestWithParam<Case> {};

TEST_P(Translated, MatchesBuiltinElementsInDcAcAndTransient) {
    REQUIRE_OSDI_NGSPICE();
    const Case &c = GetParam();
    TempDir dir;
    std::vector<std::string> modules;
    for (const std::string &va : c.models) modules.push_back(build_module(dir, va));
    if (HasFailure()) return;
    RunResult r = run_ngspice(dir.path(), deck(c, modules), {"dc.out", "ac.out", "tran.out"}, 60);
    const size_t n = c.drive.size();
    Rows tran = spice_rows(dir.path(), "tran.out", r);
    EXPECT_GT(tran.size(), 100u);
    const double dc = expect_close(spice_rows(dir.path(), "dc.out", r), n, false, "dc").second;
    const double ac = expect_close(spice_rows(dir.path(), "ac.out", r), n, true, "ac").second;
    std::cout << c.name << ": largest error / tolerance: dc " << dc << ", ac " << ac << ", tran "
              << expect_close(tran, n, false, "tran").second << "\n";
}

INSTANTIATE_TEST_SUITE_P(Examples, Translated, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

// The diode and nlcond examples, built once for the tests below.
class Module : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        diode_ = build_module(*dir_, "diode.va");
        nlcond_ = build_module(*dir_, "nlcond.va");
    }
    static void TearDownTestSuite() { delete dir_; }
    static TempDir *dir_;
    static std::string diode_, nlcond_;
};
TempDir *Module::dir_;
std::string Module::diode_, Module::nlcond_;

// Every example, and every test model of the fourth stage (names that clash
// with C, or differ only in case), builds without a warning from gcc and
// clang, under a device type of our choosing (the comparisons above run
// each example in ngspice).
TEST(TranslatedModules, EveryModelBuildsWithoutWarnings) {
    TempDir dir;
    std::vector<std::string> models = z4test::example_models();
    for (const char *m : {"builtins.va", "cnames.va", "pdep.va", "rl.va", "scaled.va"})
        models.push_back(z4test::test_model(m));
    int built = 0;
    for (const std::string &va : models) {
        const std::string name = va.substr(va.rfind('/') + 1), type = "zk_" + name.substr(0, name.find('.'));
        build_module(dir, va, "--type " + type, "clang -Wall -Wextra -Werror");
        const std::string module = build_module(dir, va, "--type " + type, "gcc -Wall -Wextra -Werror");
        built += file_exists(module);
        EXPECT_NE(read_file(module + ".c").find(".name = \"" + type + "\","), std::string::npos) << va;
    }
    EXPECT_GE(built, 16);
}

// A parameter out of range, on the card or the instance line, stops the
// simulation at set-up with a message naming it and its value, whatever the
// order of the instances; so does an instance with a terminal missing.
TEST_F(Module, ParametersOutOfRangeStopTheSimulation) {
    REQUIRE_OSDI_NGSPICE();
    const std::vector<std::pair<const char *, std::vector<std::string>>> cases = {
        {"N1 a 0 bad",
         {"diode: parameter 'n' = 20 is outside its range [0.5:10]",
          "diode: parameter 'rs' = 0 is outside its range (0:inf)"}},
        {"N1 a 0 dm mult=-2\nN2 a 0 dm", {"diode: parameter 'mult' = -2 is outside its range (0:inf)"}},
        {"N2 a 0 dm\nN1 a 0 dm mult=-2", {"diode: parameter 'mult' = -2 is outside its range (0:inf)"}},
        {"N1 a 0 dm temp=-5", {"diode: parameter 'temp' = -5 is outside its range (0:inf)"}},
        {"N1 a 0 gm", {"nlcond: parameter 'level' = 4 is outside its range [1:3]"}},
        {"N1 a dm", {"diode_va: an instance needs its 2 terminals (a c); 1 connected"}},
    };
    for (const auto &c : cases) {
        RunResult r = run_ngspice(
            dir_->path(),
            std::string("* out of range\nV1 a 0 dc 0.5\n") + c.first +
                "\n.model dm diode_va\n.model bad diode_va rs=0 n=20\n.model gm nlcond_va level=4\n" +
                spice_control("pre_osdi " + diode_ + "\npre_osdi " + nlcond_ + "\nop\nwrdata op.out i(V1)") + ".end\n",
            {"op.out"}, 60);
        for (const std::string &m : c.second)
            EXPECT_NE(r.err.find(m + "\n"), std::string::npos) << c.first << "\n" << r.err;
        EXPECT_NE(r.err.find("simulation(s) aborted"), std::string::npos) << c.first << "\n" << r.err;
        EXPECT_FALSE(file_exists(dir_->file("op.out"))) << c.first;
    }
}

// The diode example straight across 0.8, 2, 5 and 20 V from a cold start
// (operating point from zero, default tolerances), against ngspice's diode:
// the same current, and the Newton iterations of each (printed; step
// control keeps the translated one within a few times the built-in's).
TEST_F(Module, ColdStartOfADiodeStraightAcrossASource) {
    REQUIRE_OSDI_NGSPICE();
    // The Newton iterations of one operating point, and the source's current.
    auto op = [&](const std::string &device, const std::string &volts) {
        RunResult r =
            run_ngspice(dir_->path(),
                        "* cold start\nV1 a 0 dc " + volts + "\n" + device +
                            "\n.model dm diode_va is=1e-14 rs=10\n.model dref d is=1e-14 rs=10\n.options gmin=0\n" +
                            spice_control("pre_osdi " + diode_ + "\nop\nwrdata op.out i(V1)\nrusage totiter"),
                        {"op.out"}, 60);
        Rows rows = spice_rows(dir_->path(), "op.out", r);
        const size_t at = r.out.find("Total iterations = ");
        EXPECT_NE(at, std::string::npos) << r.out;
        return std::make_pair(at == std::string::npos ? 0 : std::atoi(r.out.c_str() + at + 19),
                              rows.size() == 1 && rows[0].size() == 2 ? rows[0][1] : 0.0);
    };
    std::cout << "volts  Newton iterations: translated  built-in\n";
    for (const char *volts : {"0.8", "2", "5", "20"}) {
        const auto translated = op("N1 a 0 dm", volts), builtin = op("D1 a 0 dref", volts);
        std::cout << volts << "  " << translated.first << "  " << builtin.first << "\n";
        EXPECT_NEAR(translated.second, builtin.second, 2e-3 * std::fabs(builtin.second)) << volts << " V";
        EXPECT_LE(translated.first, 3 * builtin.first + 5) << volts << " V";
    }
}

// The module's eval called directly, as the simulator calls it: a Newton
// step whose new current the last linearisation predicts within 1e-3 has
// converged, one it misses by more has not; a step into overflow is
// shortened and the point actually evaluated is where the loads linearise.
TEST_F(Module, EvalChecksCurrentsAndShortensStepsIntoOverflow) {
    void *lib = dlopen(diode_.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    const auto *d = static_cast<const osdi_descriptor *>(dlsym(lib, "OSDI_DESCRIPTORS"));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->num_nodes, 3u);                                                               // a c ci
    ASSERT_EQ(d->jacobian_entries[0].nodes.node_1 | d->jacobian_entries[0].nodes.node_2, 0u);  // (a, a) first
    std::vector<char> model(d->model_size), inst(d->instance_size);
    osdi_init_info res;
    d->setup_model(nullptr, model.data(), nullptr, &res);
    EXPECT_EQ(res.num_errors, 0u);
    d->setup_instance(nullptr, inst.data(), model.data(), 300.15, 2, nullptr, &res);
    EXPECT_EQ(res.flags | res.num_errors, 0u);
    // Simulator node k + 1 for unknown k; every matrix entry in its own cell.
    auto *node = reinterpret_cast<uint32_t *>(inst.data() + d->node_mapping_offset);
    auto *jac = reinterpret_cast<double **>(inst.data() + d->jacobian_ptr_resist_offset);
    std::vector<double> cells(d->num_jacobian_entries), v = {0, 0.7, 0, 0}, rhs(4, 0.0);  // v: ground, a, c, ci
    for (uint32_t k = 0; k < 3; ++k) node[k] = k + 1;
    for (uint32_t e = 0; e < d->num_jacobian_entries; ++e) jac[e] = &cells[e];
    osdi_sim_info info{};
    info.prev_solve = v.data();
    info.flags = OSDI_CALC_RESIST_RESIDUAL | OSDI_CALC_RESIST_JACOBIAN | OSDI_ANALYSIS_DC;
    auto eval = [&](double va) { return v[1] = va, d->eval(nullptr, inst.data(), model.data(), &info); };
    auto current = [&] { return *reinterpret_cast<double *>(inst.data() + d->nodes[0].resist_residual_off); };
    auto diode = [](double va) { return 1e-14 * std::expm1(va / 0.025864917007157463); };
    EXPECT_EQ(eval(0.7), 0u);  // nothing to compare with yet
    EXPECT_NEAR(current(), diode(0.7), 1e-12 * diode(0.7));
    // Linearisation error about i (dv/vt)^2 / 2: 7e-4 i after 1 mV, 2.4e-3 i after 2 mV.
    EXPECT_EQ(eval(0.701), 0u);
    EXPECT_EQ(eval(0.703), OSDI_EVAL_LIMITED);
    const double i1 = current();
    EXPECT_NEAR(i1, diode(0.703), 1e-12 * i1);
    // 20 V across: exp() overflows; eval goes back towards 0.703 V until the
    // current is within ten times the linear prediction.
    EXPECT_EQ(eval(20), OSDI_EVAL_LIMITED);
    const double predicted = i1 * (1 + (20 - 0.703) / 0.025864917007157463), i2 = current();
    EXPECT_GT(i2, i1);
    EXPECT_LE(i2 - predicted, 10 * predicted + 1e-9);
    // The right-hand side linearises there: row a is G_aa v(a) - i(a) with
    // v(ci) = 0, so it gives back the shortened v(a), whose current is i2.
    for (double &c : cells) c = 0;
    d->load_jacobian_resist(inst.data(), model.data());
    d->load_spice_rhs_dc(inst.data(), model.data(), rhs.data(), v.data());
    const double va = (rhs[1] + i2) / cells[0];
    EXPECT_NEAR(i2, diode(va), 1e-9 * i2);
    EXPECT_GT(va, 0.703);
    EXPECT_LT(va, 1.5);
    dlclose(lib);
}

// The README's demonstration: examples/rectifier.cir beside the diode
// module prints the rectified voltage with the module and with ngspice's
// diode, which agree to ngspice's default tolerances.
TEST_F(Module, RectifierExampleRuns) {
    REQUIRE_OSDI_NGSPICE();
    RunResult r = run_ngspice(diode_.substr(0, diode_.rfind('/')), read_file(z4test::example("rectifier.cir")), {}, 60);
    int rows = 0;
    for (const std::string &line : lines_of(r.out)) {
        std::istringstream in(line);
        double index, vin, out, ref;
        if (!(in >> index >> vin >> out >> ref)) continue;
        ++rows;
        EXPECT_NEAR(out, ref, 1e-4 * std::fabs(ref) + 1e-9) << line;
        if (index >= 5) EXPECT_GT(out, 3.0) << line;  // after 1 ms: 5 V peaks rectified into 1 kohm || 10 uF
    }
    EXPECT_EQ(rows, 21) << r.out << r.err;
}

}  // namespace
