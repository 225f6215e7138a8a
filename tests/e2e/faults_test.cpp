// The translator when the machine misbehaves: files that cannot be written
// whole, and signals that end the run.  The file-size limit stands for a
// full disk without privileges (writes beyond it fail with EFBIG while
// SIGXFSZ is ignored); golden cases show the same on /dev/full.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
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

// Waits (boundedly) until `cond` holds.
template <class Cond>
bool eventually(Cond cond) {
    for (int i = 0; i < 3000; ++i) {
        if (cond()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return cond();
}

// A process that is gone, or dead and not yet reaped.
bool process_gone(pid_t pid) {
    std::string stat = read_file("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    return stat.empty() || paren == std::string::npos || stat.compare(paren, 3, ") Z") == 0 ||
           stat.compare(paren, 3, ") X") == 0;
}

// A source with one error on each of its `lines` statement lines, so that
// standard error (written at once) shows how far the translation got.
std::string one_error_per_line(int lines) {
    return "module m(a);\nelectrical a;\nreal x;\nanalog begin\n" + repeat_lines("x = g(1);\n", lines) +
           "end\nendmodule\n";
}

// The line number of the last complete message on standard error.
int last_reported_line(const std::string &err) {
    size_t end = err.rfind('\n');
    size_t at = end == std::string::npos ? end : err.rfind("line number:", end);
    return at == std::string::npos ? -1 : std::atoi(err.c_str() + at + 12);
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

// Whatever signal ends the run, the trace holds every record written before
// it: here, the records of the line whose message was the last one out.
// Signals ignored when the run began stay ignored.
TEST(Faults, SignalsKeepTheTraceOrStayIgnored) {
    const struct {
        int sig;
        bool ignored;
    } cases[] = {
        {SIGHUP, false},  {SIGINT, false},  {SIGQUIT, false}, {SIGPIPE, false},
        {SIGALRM, false}, {SIGUSR1, false}, {SIGUSR2, false}, {SIGTERM, false},
        {SIGXFSZ, false}, {SIGHUP, true},   {SIGINT, true},   {SIGQUIT, true},
    };
    const int lines = 60000;
    for (const auto &c : cases) {
        std::string what = std::string(strsignal(c.sig)) + (c.ignored ? ", ignored" : "");
        TempDir dir;
        write_file(dir.file("t.va"), one_error_per_line(lines));
        ChildSetup setup;
        if (c.ignored) setup.ignored_signals = {c.sig};
        pid_t pid = start(dir.path(), {program("zelkpp"), "t.va"}, install_stubs(dir.path(), Stubs()),
                          {}, setup);
        // The first message: the handlers are in place and the parse is on.
        EXPECT_TRUE(eventually([&] { return !read_file(dir.file("_stderr")).empty(); })) << what;
        kill(pid, c.sig);
        RunResult r = wait_for(pid, dir.path());
        if (c.ignored) {
            EXPECT_EQ(r.status, lines % 256) << what;
            continue;
        }
        EXPECT_EQ(r.status, 128 + c.sig) << what;
        int line = last_reported_line(r.err);
        ASSERT_GT(line, 4) << what << ": " << r.err.substr(0, 500);
        std::string trace = read_file(dir.file("debug_zelk"));
        EXPECT_NE(trace.find("LineNumber:" + std::to_string(line) + " "), std::string::npos)
            << what << ": no record of line " << line << " in " << trace.size() << " bytes of trace";
    }
}

// The trace of an earlier run is written over, not truncated first (see
// ztrace_open): whether the run ends normally or by a signal, nothing of a
// longer old trace is left after the new records.
TEST(Faults, ALongerEarlierTraceLeavesNothingBehind) {
    const std::string stale(3 << 20, '#');
    for (int sig : {0, SIGTERM}) {
        std::string what = sig ? strsignal(sig) : "normal end";
        TempDir dir;
        write_file(dir.file("t.va"), sig ? one_error_per_line(60000)
                                         : "module res(p, n);\nelectrical p, n;\n"
                                           "analog I(p,n) <+ V(p,n);\nendmodule\n");
        write_file(dir.file("debug_zelk"), stale);
        pid_t pid = start(dir.path(), {program("zelkpp"), "t.va"}, install_stubs(dir.path(), Stubs()));
        if (sig) {
            EXPECT_TRUE(eventually([&] { return !read_file(dir.file("_stderr")).empty(); })) << what;
            kill(pid, sig);
        }
        RunResult r = wait_for(pid, dir.path());
        EXPECT_EQ(r.status, sig ? 128 + sig : 0) << what;
        std::string trace = read_file(dir.file("debug_zelk"));
        ASSERT_FALSE(trace.empty()) << what;
        EXPECT_EQ(trace.find('#'), std::string::npos) << what << ": " << trace.size() << " bytes";
        EXPECT_EQ(trace.back(), '\n') << what;
    }
    // Nor while the stages run, however long they take.
    TempDir dir;
    write_file(dir.file("t.va"), "module res(p, n);\nelectrical p, n;\nanalog I(p,n) <+ V(p,n);\nendmodule\n");
    write_file(dir.file("debug_zelk"), stale);
    std::string bindir = install_stubs(dir.path(), Stubs());
    write_file(bindir + "/cpp", "#!/bin/sh\ncp debug_zelk _trace_seen_by_cpp\n");
    EXPECT_EQ(wait_for(start(dir.path(), {program("zelkpp"), "t.va"}, bindir), dir.path()).status, 0);
    std::string seen = read_file(dir.file("_trace_seen_by_cpp"));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.find('#'), std::string::npos) << seen.size() << " bytes seen by cpp";
}

// A signal that ends the run while a stage runs ends the stage too, and
// leaves neither the status file nor the stage's unfinished output behind.
TEST(Faults, SignalDuringAStageStopsItAndCleansUp) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        std::string what = strsignal(sig);
        TempDir dir;
        write_file(dir.file("t.va"), "module res(p, n);\nelectrical p, n;\nanalog I(p,n) <+ V(p,n);\n"
                                     "endmodule\n");
        std::string bindir = install_stubs(dir.path(), Stubs());
        // A cpp that writes part of its output, says where it is, and takes
        // its time.
        write_file(bindir + "/cpp", "#!/bin/sh\necho partial\necho $$ > '" + dir.file("_cpp_pid") +
                                        "'\nexec sleep 60\n");
        pid_t pid = start(dir.path(), {program("zelkpp"), "t.va"}, bindir);
        std::string status_file = "/tmp/Zelk" + std::to_string(pid);
        ASSERT_TRUE(eventually([&] { return file_exists(dir.file("_cpp_pid")); })) << what;
        pid_t stage = 0;
        ASSERT_TRUE(eventually([&] {
            std::string text = read_file(dir.file("_cpp_pid"));
            return !text.empty() && text.back() == '\n' && (stage = std::stoi(text)) > 0;
        }));
        kill(pid, sig);
        RunResult r = wait_for(pid, dir.path());
        EXPECT_EQ(r.status, 128 + sig) << what;
        // The stage's own processes get the signal from the program but die
        // when next scheduled, which can be after the program has ended.
        EXPECT_TRUE(eventually([&] { return process_gone(stage); })) << what << ": the stage goes on";
        EXPECT_FALSE(file_exists(status_file)) << what;
        EXPECT_FALSE(file_exists(dir.file("reseq.cpp"))) << what;
        std::string trace = read_file(dir.file("debug_zelk"));
        std::string last = "cpp  t.va.vacpp > reseq.cpp; echo \"$?\" > " + status_file + ";\n";
        EXPECT_TRUE(trace.size() >= last.size() &&
                    trace.compare(trace.size() - last.size(), last.size(), last) == 0)
            << what;
        if (!process_gone(stage)) kill(stage, SIGKILL);
    }
}

// A stage's shell that dies before it reports the stage's status: the run
// ends at once with the shell's wait status as system() returns it (here
// 9, killed by SIGKILL), removes the status file and runs no further stage.
TEST(Faults, AStageShellThatDiesEndsTheRun) {
    TempDir dir;
    write_file(dir.file("t.va"), "module res(p, n);\nelectrical p, n;\nanalog I(p,n) <+ V(p,n);\nendmodule\n");
    std::string bindir = install_stubs(dir.path(), Stubs());
    write_file(bindir + "/cpp", "#!/bin/sh\nkill -KILL $PPID\n");
    pid_t pid = start(dir.path(), {program("zelkpp"), "t.va"}, bindir);
    RunResult r = wait_for(pid, dir.path());
    EXPECT_EQ(r.status, SIGKILL);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(file_exists("/tmp/Zelk" + std::to_string(pid)));
    EXPECT_TRUE(stages_run(dir.path()).empty());
}
