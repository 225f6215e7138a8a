// File and module names reach the stages as exactly those names, however
// hostile they look to a shell.
#include <gtest/gtest.h>

#include "support/harness.h"

using namespace zelktest;

namespace {

const char *kModel =
    "module %s(p, n);\nelectrical p, n;\nanalog I(p, n) <+ V(p, n);\nendmodule\n";

std::string model(const std::string &name) {
    char buf[256];
    std::snprintf(buf, sizeof buf, kModel, name.c_str());
    return buf;
}

}  // namespace

TEST(ShellSafety, HostileInputFileName) {
    TempDir dir;
    const std::string input = "a b;touch PWNED.va";
    write_file(dir.file(input), model("res"));
    RunResult r = run_zelkpp(dir.path(), {input});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(stages_run(dir.path()), (std::vector<std::string>{"cpp", "zelk4th"}));
    // The stub cpp logged the one argument it got, the whole name.
    EXPECT_NE(read_file(dir.file("_stages.log")).find("cpp a b;touch PWNED.va.vacpp\n"),
              std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("PWNED.va")));
    EXPECT_FALSE(file_exists(dir.file("PWNED.va.vacpp")));
    EXPECT_TRUE(file_exists(dir.file("reseq.cpp")));
    EXPECT_TRUE(file_exists(dir.file("reseq.c")));
    std::vector<std::string> expected = {"_bin",     "_stages.log", input,     input + ".vacpp",
                                         "debug_zelk", "res.deriv", "res.param", "reseq.c",
                                         "reseq.cpp"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(list_dir(dir.path()), expected);
}

TEST(ShellSafety, ModuleNameWithDollar) {
    TempDir dir;
    write_file(dir.file("t.va"), model("a$b"));
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string log = read_file(dir.file("_stages.log"));
    EXPECT_NE(log.find("zelk4th a$beq.cpp a$beq.c\n"), std::string::npos) << log;
    EXPECT_TRUE(file_exists(dir.file("a$beq.cpp")));
    EXPECT_TRUE(file_exists(dir.file("a$beq.c")));
    EXPECT_TRUE(file_exists(dir.file("a$b.deriv")));
    EXPECT_FALSE(file_exists(dir.file("aeq.cpp")));
    // The commands handed to the shell quote the names.
    std::string trace = read_file(dir.file("debug_zelk"));
    EXPECT_NE(trace.find("cpp  t.va.vacpp > 'a$beq.cpp'; echo \"$?\" > /tmp/Zelk"), std::string::npos);
    EXPECT_NE(trace.find("zelk4th 'a$beq.cpp'  'a$beq.c'; echo \"$?\" > /tmp/Zelk"), std::string::npos);
}
