// The translator when the machine misbehaves: files that cannot be written
// whole.  The file-size limit stands for a full disk without privileges
// (writes beyond it fail with EFBIG while SIGXFSZ is ignored); golden cases
// show the same on /dev/full.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

std::string repeat_lines(const std::string &line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += line;
    return text;
}

// Parameters with long names make the side files much larger than the
// generated file, the .param file about twice the .deriv file.
std::string many_parameters() {
    std::string text = "module m(a);\nelectrical a;\n";
    for (int i = 0; i < 200; ++i)
        text += "model parameter real p" + std::to_string(i) + std::string(200, 'x') + " = 1;\n";
    return text + "analog I(a) <+ 1;\nendmodule\n";
}

}  // namespace

// A file that cannot be written whole ends the run with status 1 and a
// message naming it and the reason; no stage reads what was cut.
TEST(Faults, WriteErrorsEndTheRunBeforeTheStages) {
    const struct {
        const char *what;
        std::string source;
        long long limit;
        const char *file;
    } cases[] = {
        {"generated file", "module m(a);\nelectrical a;\nreal x;\nanalog begin\n" +
                               repeat_lines("x = x + 1;\n", 2000) + "end\nendmodule\n",
         32768, "big.va.vacpp"},
        {"derivative file", many_parameters(), 20000, "m.deriv"},
        {"parameter file", many_parameters(), 60000, "m.param"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        write_file(dir.file("big.va"), c.source);
        std::string bindir = install_stubs(dir.path(), Stubs());
        ChildSetup setup;
        setup.file_size_limit = c.limit;
        setup.ignored_signals = {SIGXFSZ};
        RunResult r = wait_for(start(dir.path(), {program("zelkpp"), "big.va"}, bindir, {}, setup),
                               dir.path());
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, std::string("!! Error : Can not write the Output File:'") + c.file +
                             "' (File too large) ??\n")
            << c.what;
        EXPECT_TRUE(stages_run(dir.path()).empty()) << c.what;
        EXPECT_EQ(read_file(dir.file(c.file)).size(), static_cast<size_t>(c.limit)) << c.what;
    }
}
