// Numeric literals: the plain-number recognisers and the value of literals
// with a scale letter.
#include <gtest/gtest.h>

#include <string>

#include "symbols/literals.h"
#include "symbols/state.h"
#include "translate/reset.h"

namespace {

class Literals : public ::testing::Test {
protected:
    void SetUp() override { zelk_reset_translation(); }
    void TearDown() override { zelk_reset_translation(); }

    // Converts `text` with the line number set to `line`; returns the value
    // and leaves what went to standard error in `err`.
    double convert(const std::string &text, int line, std::string *err) {
        ZelkCurLineNumber = line;
        ::testing::internal::CaptureStderr();
        double v = zelkStr2Float(text.c_str());
        *err = ::testing::internal::GetCapturedStderr();
        return v;
    }
};

TEST_F(Literals, IntegerRecogniserLimits) {
    const struct {
        const char *text;
        int want;
    } cases[] = {
        {"0", 1},           {"42", 1},           {"-12345678901", 1}, {"+12345678901", 1},
        {"12345678901", 1}, {"123456789012", 0}, {"-123456789012", 0}, {"12a", 0},
        {"a12", 0},         {"+", 0},            {"-", 0},            {"", 0},
        {"1.0", 0},         {"1e3", 0},          {"--1", 0},          {" 1", 0},
    };
    for (const auto &c : cases) EXPECT_EQ(zelkIsInteg(c.text), c.want) << "'" << c.text << "'";
    EXPECT_EQ(zelkIsInteg(nullptr), 0);
}

TEST_F(Literals, FloatRecogniserAcceptsPlainNumbersOnly) {
    const std::string d23(23, '7');
    const struct {
        std::string text;
        int want;
    } cases[] = {
        // Shapes a plain number can take, including the degenerate ones.
        {"1.5", 1}, {".5e-3", 1}, {"1e", 1}, {".", 1}, {"123", 1}, {"-2.5E+10", 1},
        {"e5", 1}, {"1.", 1}, {"+.", 1}, {"1e12345", 1}, {"1.5e-", 1},
        // Identifiers, scaled literals and composite C text are not.
        {"1.5k", 0}, {"x", 0}, {"1e123456", 0}, {"1.5.2", 0}, {".5.", 0}, {"1e5.", 0},
        {"(1)", 0}, {"1+2", 0}, {"-", 0}, {"+", 0}, {"", 0}, {"1e5e", 0}, {"1e--5", 0},
        // 23 digits in each part of the mantissa, then the exponent.
        {d23, 1}, {d23 + "7", 0}, {d23 + ".", 1}, {d23 + "e9", 1}, {d23 + "." + d23, 1},
        {d23 + "." + d23 + "7", 0}, {d23 + "." + d23 + "E-99", 1}, {"." + d23, 1},
        {"." + d23 + "7", 0}, {"." + d23 + "e1", 1},
    };
    for (const auto &c : cases) EXPECT_EQ(zelkIsFloat(c.text.c_str()), c.want) << "'" << c.text << "'";
    EXPECT_EQ(zelkIsFloat(nullptr), 0);
}

// The value is accumulated digit by digit, fraction digits weighted by
// repeated multiplication by 0.1 and the scale factor applied last; these
// literals come out differently (by one unit in the last place) from what a
// library conversion would give, so only that order gives these exact values.
// The token text is the value printed with "%-16.9g", cut at the first blank.
TEST_F(Literals, ScaledValueIsAccumulatedBitExactly) {
    const struct {
        const char *literal;
        double value;
        const char *text;
    } cases[] = {
        {"10u", 0x1.4f8b588e368f0p-17, "1e-05"},     // 9.999999999999999e-06, not 1e-05
        {"0.3k", 0x1.2c00000000001p+8, "300"},       // 300.00000000000006
        {".3K", 0x1.2c00000000001p+8, "300"},        // the same through the leading-point path
        {".3456k", 0x1.599999999999bp+8, "345.6"},   // 345.6000000000001
        {"0.3456k", 0x1.599999999999bp+8, "345.6"},
        {"0.7m", 0x1.6f0068db8bac8p-11, "0.0007"},   // 0.0007000000000000001
        {"4.56789M", 0x1.16cd47fffffffp+22, "4567890"},  // 4567889.999999999
        {"2.2n", 0x1.2e5d9e5c45271p-29, "2.2e-09"},
        {"1.5k", 1500.0, "1500"},
        {"2M", 2e6, "2000000"},
        {"1T", 1e12, "1e+12"},
        {"1G", 1e9, "1e+09"},
        {"2.n", 0x1.12e0be826d695p-29, "2e-09"},
        {".123p", 0x1.14f8ac2b24cb9p-43, "1.23e-13"},
        {"47f", 0x1.a7569f163c670p-45, "4.7e-14"},
        {"0.1a", 0x1.d83c94fb6d2adp-64, "1e-19"},
        {"-1.5k", -1500.0, "-1500"},
        {"0a", 0.0, "0"},
    };
    for (const auto &c : cases) {
        std::string err;
        EXPECT_EQ(convert(c.literal, 1, &err), c.value) << c.literal;
        EXPECT_EQ(err, "") << c.literal;
        EXPECT_EQ(zelk_scaled_literal_text(c.literal), c.text) << c.literal;
    }
    EXPECT_EQ(ZelkCurErrNumber, 0);
    EXPECT_EQ(zelkStr2Float(nullptr), 0.0);
    EXPECT_EQ(zelkStr2Float(""), 0.0);
}

TEST_F(Literals, TooManyDigitsStopsAtTheSixtyFourthAndSkipsTheScale) {
    const std::string z61(61, '0'), z62(62, '0');
    const struct {
        std::string text;
        double want;
        bool error;
    } cases[] = {
        // Points count towards the 63 ...
        {"1." + z61 + "k", 1000.0, false},
        {"1." + z62 + "k", 1.0, true},
        {"-1." + z62 + "k", -1.0, true},
        // ... except the leading one.
        {".5" + z62 + "k", 500.0, false},
        {".5" + z62 + "0k", 0.5, true},
        // Digits after the sixty-fourth are not read at all.
        {std::string(64, '9') + "k", 0x1.84f03e93ff9f6p+212, true},
        {std::string(64, '9') + "9999k", 0x1.84f03e93ff9f6p+212, true},
    };
    int errors = 0;
    for (const auto &c : cases) {
        std::string err;
        EXPECT_EQ(convert(c.text, 12, &err), c.want) << c.text;
        if (c.error) {
            ++errors;
            EXPECT_EQ(err, "!! Error: Too many digits(>63) in number:'" + c.text +
                               "' in line number:12 .\n");
        } else {
            EXPECT_EQ(err, "") << c.text;
        }
        EXPECT_EQ(ZelkCurErrNumber, errors) << c.text;
    }
}

TEST_F(Literals, InvalidScaleLetterReportsAndReturnsTheUnscaledValue) {
    const struct {
        const char *text;
        double want;
        const char *message;
    } cases[] = {
        {"2.5x", 2.5, "!! Error: Invalid scale factor 'x'(x:78) for :'2.5x' in line number:7 .\n"},
        {"-3g", -3.0, "!! Error: Invalid scale factor 'g'(x:67) for :'-3g' in line number:7 .\n"},
        {".5A", 0.5, "!! Error: Invalid scale factor 'A'(x:41) for :'.5A' in line number:7 .\n"},
        {"7U", 7.0, "!! Error: Invalid scale factor 'U'(x:55) for :'7U' in line number:7 .\n"},
    };
    int errors = 0;
    for (const auto &c : cases) {
        std::string err;
        EXPECT_EQ(convert(c.text, 7, &err), c.want) << c.text;
        EXPECT_EQ(err, c.message);
        EXPECT_EQ(ZelkCurErrNumber, ++errors);
    }
}

}  // namespace
