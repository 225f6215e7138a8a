// The driver end to end: command line, files that cannot be opened, the
// trace's fixed records, the two external stages and the exit status.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

const char *const kResistor =
    "// A linear resistor.\n"
    "module res(p, n);\n"
    "electrical p, n;\n"
    "model parameter real r = 1k from (0:inf);\n"
    "analog I(p,n) <+ V(p,n)/r;\n"
    "endmodule\n";

const char *const kBanner =
    " ***************************************************************** \n"
    " *                                                               * \n"
    " * Ce logiciel permet de faire Convertir un model Verilog A en C.* \n"
    " *           ( pour SPICE 3F5 )                                  * \n"
    " *                                                               * \n"
    " ***************************************************************** \n"
    "\n";

const char *const kBuiltinNames[] = {
    "vt",    "ddt",   "idt",   "abs",   "sin",    "cos",  "tan",   "asin",  "acos",  "atan",  "log",
    "ln",    "log10", "exp",   "limexp", "sqrt",  "cbrt", "floor", "sinh",  "cosh",  "tanh",  "asinh",
    "acosh", "atanh", "ceil",  "pow",   "atan2",  "hypot", "min",  "max",   "strobe",
};


std::vector<std::string> stages(const TempDir &dir) { return stages_run(dir.path()); }

// The start of every trace: the start record and one insertion per
// built-in name, then "PI".
void expect_trace_start(const std::vector<std::string> &t) {
    ASSERT_GE(t.size(), 33u);
    EXPECT_EQ(t[0], " Debug : main : Start : DebugFileName:'debug_zelk'");
    const std::regex put("Debug : zelkputsym:  ptr:-?[0-9]+:  sym_name:'([^']*)'  type:(26[23])\\(V:262\\)");
    for (size_t i = 0; i < 32; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(t[i + 1], m, put)) << t[i + 1];
        EXPECT_EQ(m[1].str(), i < 31 ? kBuiltinNames[i] : "PI");
        EXPECT_EQ(m[2].str(), i < 31 ? "263" : "262");
    }
}

// The process id the run put into its status file's name, from the trace.
std::string status_file_of(const std::vector<std::string> &trace) {
    std::smatch m;
    for (const std::string &line : trace)
        if (std::regex_search(line, m, std::regex("> (/tmp/Zelk[0-9]+);$"))) return m[1];
    return "";
}

TEST(Driver, CommandLineWithoutExactlyOneArgument) {
    const std::vector<std::vector<std::string>> arg_lists = {{}, {"a.va", "b.va"}};
    for (const auto &args : arg_lists) {
        TempDir dir;
        write_file(dir.file("a.va"), kResistor);
        RunResult r = run_zelkpp(dir.path(), args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "  usage : " + program("zelkpp") + "  VaInFile[.va] \n" + kBanner);
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(stages(dir).empty());
        EXPECT_FALSE(file_exists(dir.file("a.va.vacpp")));
        // The trace was opened and the table filled before the check.
        std::vector<std::string> t = lines_of(read_file(dir.file("debug_zelk")));
        expect_trace_start(t);
        EXPECT_EQ(t.size(), 33u);
    }
}

TEST(Driver, TraceFileThatCannotBeCreated) {
    TempDir dir;
    write_file(dir.file("t.va"), kResistor);
    mkdir(dir.file("debug_zelk").c_str(), 0755);
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "  usage : " + program("zelkpp") + "  [VaInFile]  [cOutFile]\n" + kBanner +
                         " !! Error:  Can't open the Dedugfile:'debug_zelk' \n");
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(file_exists(dir.file("t.va.vacpp")));
    EXPECT_TRUE(stages(dir).empty());
}

TEST(Driver, FilesThatCannotBeOpened) {
    const struct {
        const char *arg;
        const char *blocked;  // made a directory, or null
        const char *message;
        std::vector<const char *> written, absent;
    } cases[] = {
        {"nope.va", nullptr, "!! Error : Can not open the Input File:'nope.va' ??\n", {},
         {"nope.va.vacpp", "res.deriv", "res.param"}},
        {"t.va", "t.va.vacpp", "!! Error : Can not open the Output File:'t.va.vacpp' ??\n", {},
         {"res.deriv", "res.param"}},
        {"t.va", "res.deriv", "!! Error : Can not open the Output File:'res.deriv' ??\n",
         {"t.va.vacpp"}, {"res.param"}},
        {"t.va", "res.param", "!! Error : Can not open the Output File:'res.param' ??\n",
         {"t.va.vacpp", "res.deriv"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.blocked ? c.blocked : c.arg);
        TempDir dir;
        write_file(dir.file("t.va"), kResistor);
        if (c.blocked) mkdir(dir.file(c.blocked).c_str(), 0755);
        RunResult r = run_zelkpp(dir.path(), {c.arg});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(stages(dir).empty());
        for (const char *f : c.absent) EXPECT_FALSE(file_exists(dir.file(f))) << f;
        for (const char *f : c.written) EXPECT_TRUE(file_exists(dir.file(f))) << f;
        // The side files come after the whole translation.
        if (!c.written.empty())
            EXPECT_EQ(read_file(dir.file("t.va.vacpp")).substr(0, 36),
                      "\n/* Start of C file from 't.va' */ \n");
    }
}

TEST(Driver, SuccessfulRunTracesBothStageCommands) {
    TempDir dir;
    write_file(dir.file("t.va"), kResistor);
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(stages(dir), (std::vector<std::string>{"cpp", "zelk4th"}));
    EXPECT_EQ(read_file(dir.file("reseq.c")), read_file(dir.file("reseq.cpp")));
    EXPECT_TRUE(file_exists(dir.file("reseq.c")));

    std::string vacpp = read_file(dir.file("t.va.vacpp"));
    EXPECT_EQ(vacpp.rfind("\n/* Start of C file from 't.va' */ \n", 0), 0u);
    const std::string end = "\n\n/* End of C file from 't.va' */ \n";
    ASSERT_GE(vacpp.size(), end.size());
    EXPECT_EQ(vacpp.substr(vacpp.size() - end.size()), end);

    std::vector<std::string> t = lines_of(read_file(dir.file("debug_zelk")));
    expect_trace_start(t);
    ASSERT_GE(t.size(), 38u);
    EXPECT_EQ(t[33], program("zelkpp") + " t.va");
    EXPECT_EQ(t[34], " Debug : main : End : OK");
    const std::string status = status_file_of(t);
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(t[t.size() - 2], "cpp  t.va.vacpp > reseq.cpp; echo \"$?\" > " + status + ";");
    EXPECT_EQ(t[t.size() - 1], "zelk4th reseq.cpp  reseq.c; echo \"$?\" > " + status + ";");
    EXPECT_FALSE(file_exists(status));
}

TEST(Driver, TranslationErrorsSkipTheStages) {
    TempDir dir;
    write_file(dir.file("t.va"),
               "module res(p, n);\n"
               "electrical p, n;\n"
               "analog begin\n"
               "  x = = 1;\n"
               "  y = 2 3;\n"
               "end\n"
               "endmodule\n");
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "!! Error: syntax error ??: Unexpected '=' in line number:4 near:'x'.\n"
              "!! Error: syntax error ??: Unexpected '3' in line number:5 near:'3'.\n");
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(stages(dir).empty());
    for (const char *f : {"t.va.vacpp", "res.deriv", "res.param"})
        EXPECT_TRUE(file_exists(dir.file(f))) << f;
    EXPECT_FALSE(file_exists(dir.file("reseq.cpp")));

    std::vector<std::string> errors;
    std::vector<std::string> t = lines_of(read_file(dir.file("debug_zelk")));
    for (const std::string &line : t)
        if (line.rfind("!! ", 0) == 0) errors.push_back(line);
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "!! Error: syntax error in line number:4 near:'x'.",
                          "!! Error: syntax error in line number:5 near:'3'.",
                      }));
    EXPECT_EQ(status_file_of(t), "");  // no stage command was composed

    // Before any name or literal the "near" text is empty.
    TempDir dir2;
    write_file(dir2.file("s.va"), ")\n");
    r = run_zelkpp(dir2.path(), {"s.va"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "!! Error: syntax error ??: Unexpected ')' in line number:1 near:''.\n");
}

TEST(Driver, WarningsDoNotStopTheRun) {
    TempDir dir;
    write_file(dir.file("t.va"),
               "module res(p, n);\n"
               "inout p, n;\n"
               "electrical p, n;\n"
               "analog I(p,n) <+ V(p,n);\n"
               "endmodule\n");
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    EXPECT_EQ(r.err, "!! Warning : all module external signal are all by default considered as "
                     "Inout signal .\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(stages(dir), (std::vector<std::string>{"cpp", "zelk4th"}));
    EXPECT_TRUE(file_exists(dir.file("reseq.c")));
}

TEST(Driver, FailingStageEndsTheRunWithItsStatus) {
    const struct {
        Stubs stubs;
        int status;
        std::vector<std::string> stages;
    } cases[] = {
        {{1, 0}, 1, {"cpp"}},
        {{3, 0}, 3, {"cpp"}},
        {{0, 3}, 3, {"cpp", "zelk4th"}},
        {{0, 255}, 255, {"cpp", "zelk4th"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("cpp=" + std::to_string(c.stubs.cpp_status) +
                     " zelk4th=" + std::to_string(c.stubs.zelk4th_status));
        TempDir dir;
        write_file(dir.file("t.va"), kResistor);
        RunResult r = run_zelkpp(dir.path(), {"t.va"}, c.stubs);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(stages(dir), c.stages);
        std::vector<std::string> t = lines_of(read_file(dir.file("debug_zelk")));
        const std::string status = status_file_of(t);
        ASSERT_FALSE(status.empty());
        EXPECT_FALSE(file_exists(status)) << status << " left behind";
        // The trace ends with the command line of the stage that failed.
        EXPECT_EQ(t.back().rfind(c.stages.back() + " ", 0), 0u) << t.back();
    }
}

}  // namespace
