// Reading the derivative record file and the parameter file, and finding the
// brackets of parameter ranges in the Verilog-A source.
#include <gtest/gtest.h>

#include <string>

#include "diag.h"
#include "sidefiles.h"
#include "support/harness.h"

namespace {

using namespace zelk4th;
using zelktest::TempDir;
using zelktest::write_file;

const char kDeriv[] =
    "2\na\nc\n3\na\nc\nci\n3\nis\n1e-14\n0\n0\nm\n2\n1\n1\nw\npow(is,2)\n0\n0\n1\nk\n0\n2\na_ci\nci_c\n0\n"
    "/* End of d.deriv */\n\n";
const char kParam[] =
    "\n/* Device Parameters */\n#define temp            here->PIPOINtemp\n#define area            here->PIPOINarea\n"
    "\n/* Model Parameters */\n#define is              ZELKPARAMREAL(is,1e-14,0,inf)\n"
    "#define m               ZELKPARAMINT(m,2,1,max(3,4))\n#define w               ZELKPARAMREAL(w,pow(is,2),(null),(null))\n"
    "\n/* Derivatives Record */\ntypedef struct sDoubleRec \n{ \n  double val; \n  double D_a; \n  double D_c; \n"
    "  double D_ci; \n} DoubleRec ; \n\n\n/* End of d.param */\n\n";

std::string read_error(const TempDir &dir) {
    try {
        read_side_files(dir.file("d"));
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Zelk4thSideFiles, ReadsNamesParametersAndRanges) {
    TempDir dir;
    write_file(dir.file("d.deriv"), kDeriv);
    write_file(dir.file("d.param"), kParam);
    SideInfo s = read_side_files(dir.file("d"));
    EXPECT_EQ(s.ports, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(s.nodes, (std::vector<std::string>{"a", "c", "ci"}));
    EXPECT_EQ(s.int_vars, (std::vector<std::string>{"k"}));
    EXPECT_EQ(s.flow_branches, (std::vector<std::string>{"a_ci", "ci_c"}));
    ASSERT_EQ(s.params.size(), 5u);  // three declared, then temp and area
    EXPECT_EQ(s.params[0].name, "is");
    EXPECT_EQ(s.params[0].default_text, "1e-14");
    EXPECT_EQ(s.params[0].default_loc.line, 10);
    EXPECT_EQ(s.params[0].lo_text, "0");
    EXPECT_EQ(s.params[0].hi_text, "inf");
    EXPECT_TRUE(s.params[1].device);
    EXPECT_TRUE(s.params[1].integer);
    EXPECT_EQ(s.params[1].hi_text, "max(3,4)");  // commas inside parentheses stay
    EXPECT_EQ(s.params[2].default_text, "pow(is,2)");
    EXPECT_FALSE(s.params[2].has_range);
    EXPECT_EQ(s.params[3].name, "temp");
    EXPECT_TRUE(s.params[3].implicit);
    EXPECT_EQ(s.params[3].default_text, "300.15");
    EXPECT_EQ(s.params[4].name, "area");
}

TEST(Zelk4thSideFiles, DeclaredTemperatureReplacesTheImplicitOne) {
    TempDir dir;
    std::string deriv = kDeriv, param = kParam;
    deriv.replace(deriv.find("3\nis\n"), 5, "4\ntemp\n310\n1\n0\nis\n");
    param.replace(param.find("#define is "), 0, "#define temp            ZELKPARAMREAL(temp,310,(null),(null))\n");
    write_file(dir.file("d.deriv"), deriv);
    write_file(dir.file("d.param"), param);
    SideInfo s = read_side_files(dir.file("d"));
    ASSERT_EQ(s.params.size(), 5u);
    EXPECT_EQ(s.params[0].name, "temp");
    EXPECT_FALSE(s.params[0].implicit);
    EXPECT_EQ(s.params[4].name, "area");
}

TEST(Zelk4thSideFiles, ErrorsNameTheFileAndLine) {
    const std::string deriv = kDeriv, param = kParam;
    auto replaced = [](std::string s, const std::string &from, const std::string &to) {
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const struct {
        std::string deriv, param, message;
    } cases[] = {
        {replaced(deriv, "3\na\nc\nci", "x\na\nc\nci"), param, "d.deriv:4: expected the number of electrical names, found 'x'"},
        {replaced(deriv, "m\n2\n1\n1", "m\n2\n7\n1"), param, "d.deriv:15: expected 0 or 1 (device parameter), found '7'"},
        {deriv.substr(0, 20), param, "d.deriv:9: the file ends too early"},
        {replaced(deriv, "/* End of d.deriv */", "junk"), param, "d.deriv:28: expected '/* End of d.deriv */'"},
        {deriv, replaced(param, "ZELKPARAMINT(m,", "ZELKPARAMREAL(m,"),
         "d.param:8: parameter 'm' does not match the derivative record file"},
        {deriv, replaced(param, "#define w               ZELKPARAMREAL(w,pow(is,2),(null),(null))\n", ""),
         "parameter 'w' of the derivative record file is missing"},
        {deriv, replaced(param, "  double D_ci; \n", ""), "the derivative record fields do not match"},
        {deriv, replaced(param, "ZELKPARAMREAL(is,1e-14,0,inf)", "ZELKPARAMREAL(is,1e-14,0)"),
         "d.param:7: malformed definition of parameter 'is'"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        write_file(dir.file("d.deriv"), c.deriv);
        write_file(dir.file("d.param"), c.param);
        std::string got = read_error(dir);
        EXPECT_NE(got.find(c.message), std::string::npos) << got;
        EXPECT_EQ(got.compare(0, dir.path().size(), dir.path()), 0) << got;  // names the file
    }
    TempDir dir;
    write_file(dir.file("d.deriv"), deriv);
    EXPECT_EQ(read_error(dir), "cannot read '" + dir.file("d.param") + "': No such file or directory");
}

TEST(Zelk4thSideFiles, RangeBracketsComeFromTheSource) {
    const std::string src =
        "// model parameter real r = 1 from [5:6];   a comment is not a declaration\n"
        "/* parameter real r = 1 from [7:8]; */\n"
        "model parameter real rs = 1 from [1:2];\n"
        "model parameter real r = 1k from (0:inf);\n"
        "device parameter integer n\n  = 2 from [1 : max(3, (4))) exclude (5:6);\n"
        "model parameter real g = 1 from ( (1+2) : 3 ];\n"
        "model parameter real none = 1;\n"
        "model parameter real odd = 1 from 0;\n";
    const struct {
        const char *name;
        char lo, hi;
    } found[] = {{"r", '(', ')'}, {"rs", '[', ']'}, {"n", '[', ')'}, {"g", '(', ']'}};
    for (const auto &f : found) {
        char lo = 0, hi = 0;
        ASSERT_TRUE(range_brackets(src, f.name, &lo, &hi)) << f.name;
        EXPECT_EQ(lo, f.lo) << f.name;
        EXPECT_EQ(hi, f.hi) << f.name;
    }
    char lo = 'x', hi = 'x';
    EXPECT_FALSE(range_brackets(src, "none", &lo, &hi));
    EXPECT_FALSE(range_brackets(src, "absent", &lo, &hi));
    EXPECT_FALSE(range_brackets(src, "odd", &lo, &hi));
    EXPECT_EQ(lo, 'x');
}

}  // namespace
