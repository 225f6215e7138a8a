// Golden tests: every folder under tests/golden/cases is one run of the
// translator with stub stages (see GoldenCase in support/harness.h), and
// every file in its "expected" folder must match what the run produced:
// "exit", "stdout", "stderr" and "stages" (the stages run, one per line)
// describe the run itself, any other name is a file the run must have
// written (the trace "debug_zelk" among them).  NAME.absent says the run must
// not write NAME.  Standard output and the trace are compared without their
// run details (the program's path, the process id).
//
// Every case must pin the generated C: expected/ holds NAME.vacpp, or
// NAME.vacpp.absent when the run must not write one.
//
// ZELK_UPDATE_GOLDEN=1 rewrites the expected files of every case from what
// the run produced and adds the generated file, the side files and the trace
// where a case does not pin them yet (a case without "exit" also gets exit,
// stdout, stderr and stages).  Review such changes by hand before committing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

#include "support/harness.h"

using namespace zelktest;

namespace {

bool ends_with(const std::string &s, const std::string &suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool is_regular_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A readable pointer to the first difference.
std::string first_difference(const std::string &want, const std::string &got) {
    size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    size_t from = i > 60 ? i - 60 : 0;
    std::ostringstream s;
    s << "first difference at byte " << i << "\n  expected: ..." << want.substr(from, 120)
      << "\n  actual:   ..." << got.substr(from, 120);
    return s.str();
}

class Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Golden, Matches) {
    TempDir tmp;
    GoldenCase c = prepare_golden_case(GetParam(), tmp.path());
    const std::string expected_dir = c.dir + "/expected";
    RunResult r = run_zelkpp(tmp.path(), c.args, c.stubs);

    std::string stages;
    for (const std::string &s : stages_run(tmp.path())) stages += s + "\n";
    std::string trace = read_file(tmp.file("debug_zelk"));
    // Whatever way the run ended, its status file is gone.
    std::smatch status_file;
    if (std::regex_search(trace, status_file, std::regex("/tmp/Zelk[0-9]+")))
        EXPECT_FALSE(file_exists(status_file.str())) << status_file.str() << " left behind";
    auto actual = [&](const std::string &name, bool *exists) -> std::string {
        *exists = true;
        if (name == "exit") return std::to_string(r.status) + "\n";
        if (name == "stdout") return without_run_details(r.out);
        if (name == "stderr") return r.err;
        if (name == "stages") return stages;
        *exists = is_regular_file(tmp.file(name));
        // Not read otherwise: a link to /dev/full reads without end.
        if (!*exists) return std::string();
        std::string text = read_file(tmp.file(name));
        return name == "debug_zelk" ? without_run_details(text) : text;
    };

    if (const char *u = std::getenv("ZELK_UPDATE_GOLDEN"); u && *u == '1') {
        mkdir(expected_dir.c_str(), 0755);
        std::vector<std::string> names = list_dir(expected_dir);
        if (std::find(names.begin(), names.end(), "exit") == names.end())
            names.insert(names.end(), {"exit", "stdout", "stderr", "stages"});
        for (const std::string &n : list_dir(tmp.path()))
            if ((ends_with(n, ".vacpp") || ends_with(n, ".deriv") || ends_with(n, ".param") ||
                 n == "debug_zelk") &&
                std::find(names.begin(), names.end(), n) == names.end())
                names.push_back(n);
        for (const std::string &n : names) {
            bool exists = false;
            std::string content = ends_with(n, ".absent") ? "" : actual(n, &exists);
            if (exists) write_file(expected_dir + "/" + n, content);
        }
        GTEST_SKIP() << "expected files rewritten";
    }

    std::vector<std::string> names = list_dir(expected_dir);
    ASSERT_FALSE(names.empty()) << "no expected files in " << expected_dir;
    // The generated C is the translator's main output: every case must pin it.
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string &n) {
        return ends_with(n, ".vacpp") || ends_with(n, ".vacpp.absent");
    })) << GetParam() << ": expected/ has no .vacpp (nor NAME.vacpp.absent)";
    for (const std::string &n : names) {
        if (ends_with(n, ".absent")) {
            std::string target = n.substr(0, n.size() - 7);
            EXPECT_FALSE(is_regular_file(tmp.file(target))) << target << " should not be written";
            continue;
        }
        bool exists = false, readable = false;
        std::string got = actual(n, &exists);
        std::string want = read_file(expected_dir + "/" + n, &readable);
        ASSERT_TRUE(readable) << "cannot read " << expected_dir << "/" << n;
        ASSERT_TRUE(exists) << n << " was not written";
        EXPECT_TRUE(got == want) << GetParam() << ": " << n << " differs\n"
                                 << first_difference(want, got);
    }
}

// Every example model has a golden case whose input is that very model, so
// that a change to an example shows up as a change of its reviewed output.
TEST(Examples, EachHasAnIdenticalGoldenCase) {
    const std::string examples = std::string(ZELK_SOURCE_DIR) + "/examples/";
    int seen = 0;
    for (const std::string &name : list_dir(examples)) {
        if (!ends_with(name, ".va")) continue;
        ++seen;
        std::string golden = "example_" + name.substr(0, name.size() - 3) + "/" + name;
        bool exists = false;
        std::string cases = std::string(ZELK_SOURCE_DIR) + "/tests/golden/cases/";
        std::string copy = read_file(cases + golden, &exists);
        ASSERT_TRUE(exists) << "no golden case " << golden << " for examples/" << name;
        EXPECT_EQ(copy, read_file(examples + name)) << golden << " differs from examples/" << name;
    }
    EXPECT_GE(seen, 6);
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(golden_case_names()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string n = info.param;
                             for (char &c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

}  // namespace
