// Models through the whole pipeline against references that share nothing
// with the generated code: the models' equations written again in
// tests/zelk4th/reference.py and evaluated with mpmath at 40 digits, every
// derivative included.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/ngspice.h"
#include "z4_support.h"

namespace {

using zelktest::RunResult;
using zelktest::TempDir;

const char kPython[] = "/usr/bin/python3";

TEST(Zelk4thReference, ModelsMatchHighPrecisionValuesAndDerivatives) {
    if (z4test::shell("/", std::string(kPython) + " -c 'import mpmath' >/dev/null 2>&1").status != 0)
        GTEST_SKIP() << "python3-mpmath is not installed";
    // Points inside every region of each model (the reference differentiates
    // numerically, so none sits on a region boundary).
    const struct {
        std::string model;
        std::vector<const char *> points;  // unknowns, then parameters
    } cases[] = {
        {z4test::example("varactor.va"), {"-3 0", "-0.5 0.2", "0.2 0", "0.9 0.1 m=0.33 fc=0.7", "1.5 0 cj0=2e-12"}},
        {z4test::example("njf.va"),
         {"3 -0.5 0.1", "0.5 0 0", "-0.4 -1 0", "2 -2.5 0", "-3 0.2 0 lambda=0.1 vto=-1", "0.2 0.65 0"}},
        {z4test::example("polyres.va"), {"0.8 -0.1", "-1.2 0.3 order=12", "0.05 0 g3=0", "3 0 v0=0.2 order=1"}},
        {z4test::example("tdiode.va"), {"0.6 0", "0.6 0 temp=250", "0.5 0.1 temp=400 xti=2 eg=1.2", "-0.5 0 tnom=50"}},
        {z4test::example("sdiode.va"), {"0.7 0 0.65 1e-3 rs=5", "0.7 0 0.7 2e-3", "-1 0.2 -0.9 -1e-9 rs=100 n=1.5 cj0=0"}},
        // A potential branch: the branch current is an unknown, its equation
        // carries the inductor's charge.
        {z4test::test_model("rl.va"), {"0.3 0 1e-3", "1 -1 -2e-3 r=50 l=1e-5", "0.2 0.1 0.5 r=0"}},
    };
    double worst = 0;
    int compared = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.model);
        TempDir dir;
        const std::string module = z4test::prepare(dir.path(), c.model);
        if (HasFailure()) return;
        for (const char *point : c.points) {
            SCOPED_TRACE(point);
            z4test::Rows got = z4test::checker_rows(dir.path(), module, std::string("full ") + point);
            RunResult ref = z4test::shell(dir.path(), std::string(kPython) + " '" + ZELK_SOURCE_DIR +
                                                          "/tests/zelk4th/reference.py' " + module + " " + point);
            ASSERT_EQ(ref.status, 0) << ref.err;
            z4test::Rows want = zelktest::number_rows(ref.out);
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

}  // namespace
