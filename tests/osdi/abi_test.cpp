// tests/osdi/abi_module.c, built on our OSDI declarations, loaded into
// ngspice next to built-in elements that do the same: DC sweep, AC sweep and
// transient agree; temperature, multiplier and model-card defaults of
// instance parameters reach the module; a parameter out of range stops the
// analysis with a message naming it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/ngspice.h"

using namespace zelktest;

namespace {

using Rows = std::vector<std::vector<double>>;

// Builds the module in `dir` as abi.osdi with $CC (default cc); its path.
std::string build_module(const TempDir &dir) {
    const char *cc = std::getenv("CC");
    const std::string src = ZELK_SOURCE_DIR;
    RunResult r = run(dir.path(), {"/bin/sh", "-c",
                                   std::string(cc && *cc ? cc : "cc") +
                                       " -std=c99 -Wall -Wextra -Werror -shared -fPIC -I'" + src +
                                       "/tools/zelk4th/osdi' '" + src + "/tests/osdi/abi_module.c' -o abi.osdi"});
    EXPECT_EQ(r.status, 0) << r.err;
    return dir.file("abi.osdi");
}

// Runs `circuit` with the module loaded and `commands` in its control block.
RunResult simulate(const TempDir &dir, const std::string &circuit, const std::string &commands,
                   const std::vector<std::string> &outputs) {
    std::string module = build_module(dir);
    return run_ngspice(dir.path(), "* osdi module\n" + circuit + spice_control("pre_osdi " + module + "\n" + commands) +
                                       ".end\n",
                       outputs, 60);
}

// Every row compares columns first+2k with first+2k+1 (module, built-in).
void expect_pairs(const Rows &rows, size_t first, size_t pairs, size_t expected_rows, const std::string &what) {
    ASSERT_EQ(rows.size(), expected_rows) << what;
    for (const auto &row : rows) {
        ASSERT_EQ(row.size(), first + 2 * pairs) << what;
        for (size_t k = first; k < row.size(); k += 2) {
            double tol = 1e-6 * std::max(std::fabs(row[k]), std::fabs(row[k + 1])) + 1e-15;
            EXPECT_LE(std::fabs(row[k] - row[k + 1]), tol)
                << what << " at " << row[0] << ", column " << k << ": module " << row[k] << ", built-in " << row[k + 1];
        }
    }
}

// One source drives four branches, each measured by its own 0 V source: the
// resistor type against R, the series RC type (internal node) against R + C,
// at a circuit temperature of 50 C so that tc1 matters.
const char *const kFourBranches =
    "Vin in 0 dc 0 ac 1 pulse(0 1 1n 1n 1n 5n 20n)\n"
    "Va in a 0\nNa a 0 rmod l=2.2\n.model rmod zres rsh=1000 tc1=0.01\n"
    "Vb in b 0\nRb b 0 2200 tc1=0.01\n"
    "Vc in c 0\nNc c 0 rcmod c=4.7p\n.model rcmod zrc r=1k\n"
    "Vd in d 0\nRd d dx 1k\nCd dx 0 4.7p\n"
    ".options gmin=0 reltol=1e-9 abstol=1e-18 vntol=1e-12\n.temp 50\n";

TEST(OsdiAbi, MatchesBuiltinElements) {
    REQUIRE_OSDI_NGSPICE();
    TempDir dir;
    const std::string currents = " i(Va) i(Vb) i(Vc) i(Vd)";
    RunResult r = simulate(dir, kFourBranches,
                           "dc Vin -1 1 0.25\nwrdata dc.out" + currents + "\nac dec 3 1e6 1e9\nwrdata ac.out" + currents +
                               "\ntran 0.1n 20n\nwrdata tran.out" + currents,
                           {"dc.out", "ac.out", "tran.out"});
    expect_pairs(spice_rows(dir.path(), "dc.out", r), 1, 2, 9, "dc");
    // AC: real and imaginary part of each current, module and built-in interleaved by pairs of columns.
    Rows ac = spice_rows(dir.path(), "ac.out", r), ac_pairs;
    for (const auto &row : ac) {
        ASSERT_EQ(row.size(), 9u);
        ac_pairs.push_back({row[0], row[1], row[3], row[2], row[4], row[5], row[7], row[6], row[8]});
    }
    expect_pairs(ac_pairs, 1, 4, 10, "ac");
    Rows tran = spice_rows(dir.path(), "tran.out", r);
    ASSERT_GT(tran.size(), 100u);
    expect_pairs(tran, 1, 2, tran.size(), "tran");
    // The capacitor charges: the RC current is not zero throughout.
    double peak = 0;
    for (const auto &row : tran) peak = std::max(peak, std::fabs(row[3]));
    EXPECT_GT(peak, 1e-4);
}

TEST(OsdiAbi, InstanceTemperatureMultiplierAndModelDefaults) {
    REQUIRE_OSDI_NGSPICE();
    TempDir dir;
    // An OSDI instance's temp= is in kelvin, a built-in's in Celsius.
    RunResult r = simulate(dir,
                           "Vin in 0 dc 1\n.model rmod zres rsh=1000 tc1=0.01\n.model rdef zres rsh=500 l=4\n"
                           "Va in a 0\nNa a 0 rmod temp=350\nVb in b 0\nRb b 0 1000 tc1=0.01 temp=76.85\n"
                           "Vc in c 0\nNc c 0 rmod dt=10\nVd in d 0\nRd d 0 1000 tc1=0.01 dtemp=10\n"
                           "Ve in e 0\nNe e 0 rmod m=3\nVf in f 0\nRf f 0 1000 tc1=0.01 m=3\n"
                           "Vg in g 0\nNg g 0 rdef\nVh in h 0\nRh h 0 2000\n"
                           ".options gmin=0\n.temp 40\n",
                           "dc Vin 1 1 1\nwrdata op.out i(Va) i(Vb) i(Vc) i(Vd) i(Ve) i(Vf) i(Vg) i(Vh)", {"op.out"});
    expect_pairs(spice_rows(dir.path(), "op.out", r), 1, 4, 1, "instance parameters");
}

TEST(OsdiAbi, ParameterOutOfRangeStopsTheAnalysis) {
    REQUIRE_OSDI_NGSPICE();
    struct Case {
        const char *instances;
        const char *message;
    };
    // The failing instance both before and after a good one: the simulator
    // keeps only the last set-up's result.
    const Case cases[] = {
        {"Na a 0 bad l=2\n", "zres: parameter 'rsh' = -5 is outside its range (0:inf)"},
        {"Na a 0 good l=0\nNb a 0 good l=2\n", "zres: parameter 'l' = 0 is outside its range (0:inf)"},
        {"Nb a 0 good l=2\nNa a 0 good l=-1\n", "zres: parameter 'l' = -1 is outside its range (0:inf)"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        RunResult r = simulate(dir,
                               std::string("Vin a 0 dc 1\n.model bad zres rsh=-5\n.model good zres\n") + c.instances,
                               "op\nwrdata op.out i(Vin)\ndc Vin 0 1 0.5\nwrdata dc.out i(Vin)", {"op.out", "dc.out"});
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.instances << r.out << r.err;
        // Stopped at set-up, not after failing to converge with an inert instance.
        EXPECT_NE(r.err.find("errors occurred during initialization"), std::string::npos) << c.instances << r.err;
        EXPECT_NE(r.err.find("simulation(s) aborted"), std::string::npos) << c.instances << r.err;
        EXPECT_FALSE(file_exists(dir.file("op.out"))) << c.instances;
        EXPECT_FALSE(file_exists(dir.file("dc.out"))) << c.instances;
    }
}

}  // namespace
