// The compiled example models against ngspice's own resistor, capacitor and
// diode on the same parameters: DC sweeps, the capacitor's charge and the
// small-signal admittance, within 1e-6 relative plus 1e-15 absolute.
#include "support/ngspice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "z4_support.h"

namespace {

using zelktest::RunResult;
using zelktest::TempDir;
using Rows = std::vector<std::vector<double>>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFreq = 1e6;

#define REQUIRE_NGSPICE()                                                                                     \
    do {                                                                                                      \
        if (!zelktest::have_ngspice()) GTEST_SKIP() << "ngspice is not installed (tools/install-ngspice.sh)"; \
    } while (0)

void expect_close(double model, double spice, const std::string &what) {
    double tol = 1e-6 * std::max(std::fabs(model), std::fabs(spice)) + 1e-15;
    EXPECT_LE(std::fabs(model - spice), tol) << what << ": model " << model << ", ngspice " << spice;
}

// Runs ngspice in batch mode on `devices` between node a and ground, driven by
// the source V1, with `control` commands; returns the numbers of `out`.
Rows ngspice(const TempDir &dir, const std::string &devices, const std::string &control, const std::string &out) {
    RunResult r = zelktest::run_ngspice(dir.path(),
                                        "* comparison deck\nV1 a 0 dc 0 ac 1\n" + devices +
                                            "\n.options gmin=0 reltol=1e-12 abstol=1e-20 vntol=1e-15 temp=27 tnom=27\n" +
                                            zelktest::spice_control(control) + ".end\n",
                                        {out});
    return zelktest::spice_rows(dir.path(), out, r);
}

// Translates and builds the checker of an example model.
void prepare(const TempDir &dir, const std::string &file, const std::string &module) {
    RunResult t = z4test::translate(dir.path(), z4test::example(file));
    ASSERT_EQ(t.status, 0) << t.err;
    RunResult b = z4test::build_checker(dir.path(), module, module + "eq.c");
    ASSERT_EQ(b.status, 0) << b.err;
}

Rows checker(const TempDir &dir, const std::string &module, const std::string &args) {
    RunResult r = z4test::run_checker(dir.path(), module, args);
    EXPECT_EQ(r.status, 0) << args << "\n" << r.err;
    return zelktest::number_rows(r.out);
}

// DC sweep of port a: the model's current into the device against ngspice's
// source current (which flows the other way).
void compare_dc(const TempDir &dir, const std::string &module, const std::string &params, const std::string &devices,
                double v0, double v1, int steps) {
    char sweep[128];
    std::snprintf(sweep, sizeof sweep, "dc V1 %.17g %.17g %.17g\nwrdata dc.out i(V1)", v0, v1, (v1 - v0) / steps);
    Rows spice = ngspice(dir, devices, sweep, "dc.out");
    Rows model = checker(dir, module, "dc 0 " + std::to_string(v0) + " " + std::to_string(v1) + " " +
                                          std::to_string(steps) + " " + params);
    ASSERT_EQ(spice.size(), static_cast<size_t>(steps + 1));
    ASSERT_EQ(model.size(), spice.size());
    for (size_t k = 0; k < model.size(); ++k) {
        ASSERT_NEAR(model[k][0], spice[k][0], 1e-9);
        expect_close(model[k][1], -spice[k][1], module + " current at " + std::to_string(model[k][0]) + " V");
    }
}

// Small-signal admittance of port a at a bias point.
std::vector<double> compare_ac(const TempDir &dir, const std::string &module, const std::string &params,
                               const std::string &devices, double bias) {
    char control[200];
    std::snprintf(control, sizeof control, "alter V1 dc=%.17g\nac lin 1 %g %g\nwrdata ac.out i(V1)", bias, kFreq, kFreq);
    Rows spice = ngspice(dir, devices, control, "ac.out");
    Rows model = checker(dir, module, "ac 0 " + std::to_string(bias) + " " + std::to_string(kFreq) + " " + params);
    EXPECT_EQ(spice.size(), 1u);
    EXPECT_EQ(model.size(), 1u);
    if (spice.size() != 1 || model.size() != 1 || spice[0].size() < 3) return {};
    const std::string at = module + " admittance at " + std::to_string(bias) + " V";
    expect_close(model[0][0], -spice[0][1], at + " (real)");
    expect_close(model[0][1], -spice[0][2], at + " (imaginary)");
    return {-spice[0][1], -spice[0][2]};
}

TEST(Zelk4thSpice, ResistorDcSweep) {
    REQUIRE_NGSPICE();
    TempDir dir;
    prepare(dir, "res.va", "res");
    if (HasFatalFailure()) return;
    compare_dc(dir, "res", "r=2200", "R1 a 0 2200", -1, 1, 20);
}

TEST(Zelk4thSpice, CapacitorLeakageChargeAndAdmittance) {
    REQUIRE_NGSPICE();
    TempDir dir;
    prepare(dir, "capacitor.va", "cap");
    if (HasFatalFailure()) return;
    const std::string params = "cj=4.7e-12 gleak=2e-9", devices = "C1 a 0 4.7e-12\nR1 a 0 5e8";
    compare_dc(dir, "cap", params, devices, -1, 1, 10);
    for (double bias : {-1.0, 0.5}) compare_ac(dir, "cap", params, devices, bias);
    // The charge: ngspice's capacitance (from its admittance) times the voltage.
    std::vector<double> y = compare_ac(dir, "cap", params, devices, 0.0);
    ASSERT_EQ(y.size(), 2u);
    const double c_spice = y[1] / (2 * kPi * kFreq);
    for (const auto &row : checker(dir, "cap", "dc 0 -1 1 8 " + params))
        expect_close(row[2], c_spice * row[0], "cap charge at " + std::to_string(row[0]) + " V");
}

TEST(Zelk4thSpice, DiodeWithSeriesResistance) {
    REQUIRE_NGSPICE();
    TempDir dir;
    prepare(dir, "diode.va", "diode");
    if (HasFatalFailure()) return;
    // The junction capacitance of the example is constant: grading coefficient 0.
    const std::string params = "is=2e-14 n=1.2 rs=5 cj0=3e-12";
    const std::string devices = "D1 a 0 dmod\n.model dmod d is=2e-14 n=1.2 rs=5 cjo=3e-12 m=0";
    // Down to -3 n vt, below which ngspice's diode changes its equation.
    compare_dc(dir, "diode", params, devices, -0.07, 0.9, 97);
    for (double bias : {0.0, 0.5, 0.7, 0.85}) compare_ac(dir, "diode", params, devices, bias);
}

}  // namespace
