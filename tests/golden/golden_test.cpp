// Golden tests: every folder under tests/golden/cases is one translation.
//
// A case folder holds the input files and an "expected" folder.  The input
// files are copied into a scratch directory, the translator runs there with
// stub stages (arguments from the file "args", default: the first .va file),
// and every file in "expected" must match what the run produced: "exit",
// "stdout", "stderr" and "stages" (the stages run, one per line) describe the
// run itself, any other name is a file the run must have written.  A file
// named NAME.absent in "expected" says the run must not write NAME.
//
// Every case must pin the generated C: expected/ holds NAME.vacpp, or
// NAME.vacpp.absent when the run must not write one.
//
// ZELK_UPDATE_GOLDEN=1 rewrites the expected files of every case from what
// the run produced and adds the generated file and side files a case does
// not pin yet (new cases also get exit, stdout, stderr and stages).  Review
// such changes by hand before committing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/harness.h"

using namespace zelktest;

namespace {

std::string cases_dir() { return std::string(ZELK_SOURCE_DIR) + "/tests/golden/cases"; }

std::vector<std::string> case_names() {
    std::vector<std::string> names;
    for (const std::string &n : list_dir(cases_dir())) {
        struct stat st;
        if (stat((cases_dir() + "/" + n).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(n);
    }
    return names;
}

std::vector<std::string> split_words(const std::string &text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

bool ends_with(const std::string &s, const std::string &suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
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
    const std::string src = cases_dir() + "/" + GetParam();
    const std::string expected_dir = src + "/expected";
    TempDir tmp;
    std::vector<std::string> args;
    Stubs stubs;
    for (const std::string &name : list_dir(src)) {
        if (name == "expected") continue;
        if (name == "args") {
            args = split_words(read_file(src + "/args"));
            continue;
        }
        if (name == "stubs") {
            // "cpp=N zelk4th=N" statuses for the stub stages.
            for (const std::string &w : split_words(read_file(src + "/stubs"))) {
                if (w.rfind("cpp=", 0) == 0) stubs.cpp_status = std::atoi(w.c_str() + 4);
                if (w.rfind("zelk4th=", 0) == 0) stubs.zelk4th_status = std::atoi(w.c_str() + 8);
            }
            continue;
        }
        write_file(tmp.file(name), read_file(src + "/" + name));
        if (args.empty() && ends_with(name, ".va")) args.push_back(name);
    }
    RunResult r = run_zelkpp(tmp.path(), args, stubs);

    std::string stages;
    for (const std::string &s : stages_run(tmp.path())) stages += s + "\n";
    auto actual = [&](const std::string &name, bool *exists) -> std::string {
        if (exists) *exists = true;
        if (name == "exit") return std::to_string(r.status) + "\n";
        if (name == "stdout") return r.out;
        if (name == "stderr") return r.err;
        if (name == "stages") return stages;
        return read_file(tmp.file(name), exists);
    };

    if (const char *u = std::getenv("ZELK_UPDATE_GOLDEN"); u && *u == '1') {
        mkdir(expected_dir.c_str(), 0755);
        std::vector<std::string> names = list_dir(expected_dir);
        if (names.empty()) names = {"exit", "stdout", "stderr", "stages"};
        for (const std::string &n : list_dir(tmp.path()))
            if ((ends_with(n, ".vacpp") || ends_with(n, ".deriv") || ends_with(n, ".param")) &&
                std::find(names.begin(), names.end(), n) == names.end())
                names.push_back(n);
        for (const std::string &n : names) {
            if (ends_with(n, ".absent")) continue;
            bool exists = false;
            std::string content = actual(n, &exists);
            if (exists) write_file(expected_dir + "/" + n, content);
        }
        GTEST_SKIP() << "expected files rewritten";
    }

    std::vector<std::string> names = list_dir(expected_dir);
    ASSERT_FALSE(names.empty()) << "no expected files in " << expected_dir;
    // The generated C is the translator's main output: every case must pin it,
    // either as the file itself or as NAME.vacpp.absent when no file is made.
    bool pins_vacpp = false;
    for (const std::string &n : names)
        if (ends_with(n, ".vacpp") || ends_with(n, ".vacpp.absent")) pins_vacpp = true;
    EXPECT_TRUE(pins_vacpp) << GetParam() << ": expected/ has no .vacpp (nor NAME.vacpp.absent)";
    for (const std::string &n : names) {
        if (ends_with(n, ".absent")) {
            std::string target = n.substr(0, n.size() - 7);
            EXPECT_FALSE(file_exists(tmp.file(target))) << target << " should not have been written";
            continue;
        }
        bool exists = false;
        std::string got = actual(n, &exists);
        bool readable = false;
        std::string want = read_file(expected_dir + "/" + n, &readable);
        ASSERT_TRUE(readable) << "cannot read " << expected_dir << "/" << n;
        ASSERT_TRUE(exists) << n << " was not written";
        EXPECT_TRUE(got == want) << GetParam() << ": " << n << " differs\n" << first_difference(want, got);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string n = info.param;
                             for (char &c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

}  // namespace
