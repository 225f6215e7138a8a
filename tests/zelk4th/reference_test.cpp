// Models through the whole pipeline against references that share nothing
// with the generated code: the example models' equations written again in
// tests/zelk4th/reference.py and evaluated with mpmath at 40 digits (every
// derivative included), and a potential branch against the analytic
// resistor and inductor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ngspice.h"
#include "z4_support.h"

namespace {

using zelktest::RunResult;
using zelktest::TempDir;
using z4test::Rows;

constexpr double kPi = 3.14159265358979323846;
const char kPython[] = "/usr/bin/python3";

bool have_mpmath() {
    return z4test::shell("/", std::string(kPython) + " -c 'import mpmath' >/dev/null 2>&1").status == 0;
}

TEST(Zelk4thReference, NewModelsMatchHighPrecisionValuesAndDerivatives) {
    if (!have_mpmath()) GTEST_SKIP() << "python3-mpmath is not installed";
    // Points inside every region of each model (the reference differentiates
    // numerically, so none sits on a region boundary).
    const struct {
        const char *module;
        std::vector<const char *> points;  // unknowns, then parameters
    } cases[] = {
        {"varactor", {"-3 0", "-0.5 0.2", "0.2 0", "0.9 0.1 m=0.33 fc=0.7", "1.5 0 cj0=2e-12"}},
        {"njf", {"3 -0.5 0.1", "0.5 0 0", "-0.4 -1 0", "2 -2.5 0", "-3 0.2 0 lambda=0.1 vto=-1", "0.2 0.65 0"}},
        {"polyres", {"0.8 -0.1", "-1.2 0.3 order=12", "0.05 0 g3=0", "3 0 v0=0.2 order=1"}},
        {"tdiode", {"0.6 0", "0.6 0 temp=250", "0.5 0.1 temp=400 xti=2 eg=1.2", "-0.5 0 tnom=50"}},
        {"sdiode", {"0.7 0 0.65 1e-3 rs=5", "0.7 0 0.7 2e-3", "-1 0.2 -0.9 -1e-9 rs=100 n=1.5 cj0=0"}},
    };
    double worst = 0;
    int compared = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.module);
        TempDir dir;
        z4test::prepare(dir.path(), z4test::example(std::string(c.module) + ".va"));
        if (HasFailure()) return;
        // Every derivative also against finite differences, and every
        // nonzero one listed in the header's Jacobian table.
        RunResult fd = z4test::run_checker(dir.path(), c.module, "fd 100 -2 2");
        EXPECT_EQ(fd.status, 0) << fd.out << fd.err;
        for (const char *point : c.points) {
            SCOPED_TRACE(point);
            Rows got = z4test::checker_rows(dir.path(), c.module, std::string("full ") + point);
            RunResult ref = z4test::shell(dir.path(), std::string(kPython) + " '" + ZELK_SOURCE_DIR +
                                                          "/tests/zelk4th/reference.py' " + c.module + " " + point);
            ASSERT_EQ(ref.status, 0) << ref.err;
            Rows want = zelktest::number_rows(ref.out);
            ASSERT_EQ(got.size(), want.size());
            for (size_t k = 0; k < want.size(); ++k) {
                ASSERT_EQ(got[k].size(), want[k].size());
                double scale = 0;
                for (double w : want[k]) scale = std::max(scale, std::fabs(w));
                for (size_t j = 0; j < want[k].size(); ++j) {
                    const double err = std::fabs(got[k][j] - want[k][j]);
                    EXPECT_LE(err, 1e-12 * std::fabs(want[k][j]) + 1e-14 * scale)
                        << "equation " << k << ", column " << j << ": " << got[k][j] << " against " << want[k][j];
                    if (std::fabs(want[k][j]) > 1e-6 * scale) worst = std::max(worst, err / std::fabs(want[k][j]));
                    ++compared;
                }
            }
        }
    }
    std::printf("compared %d values and derivatives, largest relative error %.3g\n", compared, worst);
}

// V(p,n) <+ r*I(p,n) + l*ddt(I(p,n)): with l = 0 the conductance form of the
// resistor example; its admittance and its current driven by a sine from
// rest are those of the series circuit.
TEST(Zelk4thReference, PotentialBranchIsAResistorAndAnInductor) {
    TempDir dir, res;
    z4test::prepare(dir.path(), z4test::test_model("rl.va"));
    z4test::prepare(res.path(), z4test::example("res.va"));
    if (HasFailure()) return;
    Rows pot = z4test::checker_rows(dir.path(), "rl", "dc 0 -1 1 10 r=2200 l=0");
    Rows flow = z4test::checker_rows(res.path(), "res", "dc 0 -1 1 10 r=2200");
    ASSERT_EQ(pot.size(), 11u);
    ASSERT_EQ(flow.size(), pot.size());
    for (size_t k = 0; k < pot.size(); ++k) EXPECT_NEAR(pot[k][1], flow[k][1], 1e-15 * std::fabs(flow[k][1]));

    const double r = 50, l = 10e-6, f = 1e6, w = 2 * kPi * f;
    Rows ac = z4test::checker_rows(dir.path(), "rl", "ac 0 0.3 1e6 r=50 l=10e-6");
    ASSERT_EQ(ac.size(), 1u);
    const std::complex<double> y = 1.0 / std::complex<double>(r, w * l);
    EXPECT_NEAR(ac[0][0], y.real(), 1e-14 * std::abs(y));
    EXPECT_NEAR(ac[0][1], y.imag(), 1e-14 * std::abs(y));

    // Trapezoidal rule, 4000 steps a period: error about (w h)^2 / 12 = 2e-7.
    for (double rr : {r, 0.0}) {
        SCOPED_TRACE(rr);
        Rows tran = z4test::checker_rows(dir.path(), "rl", "tran 0 1 1e6 4000 2 l=10e-6 r=" + std::to_string(rr));
        ASSERT_EQ(tran.size(), 8000u);
        const double z2 = rr * rr + w * w * l * l;
        for (const auto &row : tran) {
            const double t = row[0];
            const double want =
                (rr * std::sin(w * t) - w * l * std::cos(w * t) + w * l * std::exp(-rr * t / l)) / z2;
            EXPECT_NEAR(row[1], want, 1e-6 / std::sqrt(z2)) << "t = " << t;
        }
    }
}

}  // namespace
