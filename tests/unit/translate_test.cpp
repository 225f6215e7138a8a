// The translation sequence in process, as the fuzz target runs it: every
// golden case, one after another in one process, gives the files its golden
// case pins (the trace up to the stage commands, which come after the
// translation).  A state that the reset forgets shows up as a difference in
// the cases that follow.
#include <gtest/gtest.h>

#include <unistd.h>

#include <regex>

#include "base/trace.h"
#include "driver/pipeline.h"
#include "support/harness.h"
#include "symbols/state.h"
#include "symbols/symtab.h"
#include "translate/reset.h"

using namespace zelktest;

TEST(Translate, EveryGoldenCaseInOneProcess) {
    zelk_set_collection_batch(1);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    for (const std::string &name : golden_case_names()) {
        SCOPED_TRACE(name);
        TempDir dir;
        GoldenCase c = prepare_golden_case(name, dir.path());
        std::vector<std::string> args = {"zelkpp"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);

        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        zelk_reset_translation();
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        int status = zelk_translate(static_cast<int>(args.size()), argv.data());
        std::string out = ::testing::internal::GetCapturedStdout();
        std::string err = ::testing::internal::GetCapturedStderr();
        ztrace_close();
        ASSERT_EQ(chdir(cwd), 0);

        const std::string expected = c.dir + "/expected/";
        if (status != 0 || ZelkCurErrNumber > 0)
            EXPECT_EQ(std::to_string(status ? status : ZelkCurErrNumber % 256) + "\n",
                      read_file(expected + "exit"));
        EXPECT_EQ(out, read_file(expected + "stdout"));
        EXPECT_EQ(err, read_file(expected + "stderr"));
        // The files of the translation itself (the stubs write the others).
        for (const std::string &f : list_dir(expected))
            if (std::regex_search(f, std::regex("\\.(vacpp|deriv|param)$")))
                EXPECT_EQ(read_file(dir.file(f)), read_file(expected + f)) << f;
        // The whole program adds the stage command lines to the trace.
        std::string trace = read_file(dir.file("debug_zelk"));
        std::string want_trace = read_file(expected + "debug_zelk");
        ASSERT_LE(trace.size(), want_trace.size());
        EXPECT_EQ(trace, want_trace.substr(0, trace.size()));
        for (const std::string &line : lines_of(want_trace.substr(trace.size())))
            EXPECT_TRUE(line.rfind("cpp  ", 0) == 0 || line.rfind("zelk4th ", 0) == 0) << line;
    }
    zelk_set_collection_batch(4096);
}
