// Hostile and oversized inputs: tokens of a megabyte, nesting far beyond the
// parser's stacks, lists of thousands of entries.  Whatever the input, a run
// must end by itself with a status of its own (never a signal, never a
// sanitizer report) and leave consistent files behind.  (Stray bytes - NUL,
// carriage returns, bytes above 127 - are golden cases.)
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

const char kHeader[] = "module m(a);\nelectrical a;\nreal x;\nanalog begin\n";
const char kFooter[] = "end\nendmodule\n";

// Hangs become failures instead of stalling the suite: the bound is far
// above what any of these inputs needs.
RunResult translate(const TempDir &dir, const std::string &file, const std::string &text) {
    write_file(dir.file(file), text);
    std::string bindir = install_stubs(dir.path(), Stubs());
    std::vector<std::string> argv;
    if (access("/usr/bin/timeout", X_OK) == 0) argv = {"/usr/bin/timeout", "600"};
    argv.push_back(program("zelkpp"));
    argv.push_back(file);
    return run(dir.path(), argv, bindir);
}

// The run ended by itself: no signal (status 128 + signal), no timeout
// (124), no sanitizer report.  None of these inputs counts 124 errors or
// more, so those statuses cannot be error counts here.
void expect_survived(const RunResult &r, const std::string &what) {
    EXPECT_NE(r.status, 124) << what << ": stopped by the time bound";
    EXPECT_LT(r.status, 128) << what << ": ended by a signal";
    for (const char *report : {"Sanitizer", "runtime error"})
        EXPECT_EQ(r.err.find(report), std::string::npos) << what << ":\n" << r.err.substr(0, 4000);
}

std::string names(const std::string &prefix, int count, const std::string &sep) {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? sep : "") + prefix + std::to_string(i);
    return text;
}

std::string repeat(const std::string &piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

size_t count_of(const std::string &text, const std::string &piece) {
    size_t n = 0;
    for (size_t pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + 1))
        ++n;
    return n;
}

bool ends_with(const std::string &s, const std::string &suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

// Nothing is cut at a work buffer: tokens, expressions, call arguments and
// declarations of any length go through whole.
TEST(Robustness, LongTokensAndListsArriveWhole) {
    const std::string big_name(1 << 20, 'y');
    const std::string big_text(1 << 20, 's');
    const struct {
        const char *what;
        std::string body;
        std::string written;
        int status;
    } cases[] = {
        {"identifier", "x = " + big_name + ";\n", "    x=" + big_name + " ; ", 0},
        {"string", "$strobe(\"" + big_text + "\");\n", "    printf(\"" + big_text + "\"); ", 0},
        {"line comment", "//" + big_text + "\nx = 1;\n", "\n/* " + big_text + " */", 0},
        {"block comment", "/*" + big_text + "*/ x = 1;\n", "\n/*" + big_text + "*/", 0},
        {"10000-term sum", "x = " + names("t", 10000, " + ") + ";\n",
         "    x=" + names("t", 10000, "+") + " ; ", 0},
        // One count error; the call keeps all its arguments.
        {"5000 arguments", "x = max(" + names("a", 5000, ", ") + ");\n",
         "    x=MAX(" + names("a", 5000, ",") + ") ; ", 1},
        {"4000 parentheses", "x = " + repeat("(", 4000) + "1" + repeat(")", 4000) + ";\n",
         "    x=" + repeat("(", 4000) + "1" + repeat(")", 4000) + " ; ", 0},
    };
    for (const auto &c : cases) {
        TempDir dir;
        RunResult r = translate(dir, "big.va", kHeader + c.body + kFooter);
        expect_survived(r, c.what);
        EXPECT_EQ(r.status, c.status) << c.what << ": " << r.err.substr(0, 2000);
        EXPECT_NE(read_file(dir.file("big.va.vacpp")).find(c.written), std::string::npos) << c.what;
    }

    TempDir dir;
    std::string ports = names("n", 5000, ", ");
    RunResult r = translate(dir, "d.va",
                            "module m(" + ports + ");\nelectrical " + ports + ";\ninteger " +
                                names("k", 5000, ", ") + ";\nanalog I(n0) <+ 1;\nendmodule\n");
    expect_survived(r, "5000-name declarations");
    EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
    EXPECT_EQ(read_file(dir.file("m.deriv")),
              "5000\n" + names("n", 5000, "\n") + "\n5000\n" + names("n", 5000, "\n") + "\n0\n5000\n" +
                  names("k", 5000, "\n") + "\n0\n1\nn0_gnd\n0\n/* End of m.deriv */\n\n");
}

// A module name no file system accepts as a file name: the side file cannot
// be created, which ends the run with status 1 and the usual message.
TEST(Robustness, MegabyteModuleName) {
    TempDir dir;
    const std::string name(1 << 20, 'q');
    RunResult r = translate(dir, "mod.va",
                            "module " + name + "(a);\nelectrical a;\nanalog I(a) <+ 1;\nendmodule\n");
    expect_survived(r, "module name");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "!! Error : Can not open the Output File:'" + name + ".deriv' ??\n");
    EXPECT_NE(read_file(dir.file("mod.va.vacpp")).find("\n/*  Start of Module " + name + " ( a ) */\n"),
              std::string::npos);
    EXPECT_TRUE(stages_run(dir.path()).empty());
}

// Beyond the parser's stacks the parse ends with one "parser stack
// overflow", and the driver still writes the closing comment and both side
// files.  (The message shows the unexpected token as scanned: "begin" with
// its newline.)
TEST(Robustness, NestingBeyondTheStacks) {
    const struct {
        const char *what;
        std::string body;
        std::string err;
    } cases[] = {
        {"100000 parentheses", "x = " + repeat("(", 100000) + "1" + repeat(")", 100000) + ";\n",
         "!! Error: parser stack overflow ??: Unexpected '(' in line number:5 near:'x'.\n"},
        {"20000 blocks", repeat("begin\n", 20000) + "x = 1;\n" + repeat("end\n", 20000),
         "!! Error: parser stack overflow ??: Unexpected 'begin\n' in line number:4999 near:'x'.\n"},
    };
    for (const auto &c : cases) {
        TempDir dir;
        RunResult r = translate(dir, "p.va", kHeader + c.body + kFooter);
        expect_survived(r, c.what);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_EQ(r.err, c.err) << c.what;
        EXPECT_TRUE(ends_with(read_file(dir.file("p.va.vacpp")),
                              "\n\n/* End of C file from 'p.va' */ \n"));
        EXPECT_TRUE(file_exists(dir.file("m.deriv")) && file_exists(dir.file("m.param"))) << c.what;
    }
}

// Compound statements nested past every limit the translator keeps (the
// case stack, the parser's stacks, the indentation width) end cleanly;
// within the stacks they are translated.
TEST(Robustness, DeepControlFlowEndsCleanly) {
    const struct {
        const char *what;
        std::string body;
    } cases[] = {
        {"100 nested cases", repeat("case (x) 1: ", 100) + "x = 1;" + repeat(" endcase", 100)},
        {"3000 nested ifs", repeat("if (x) ", 3000) + "x = 1;"},
        {"1000 nested repeats", repeat("repeat (2) ", 1000) + "x = x + 1;"},
        {"1000 nested named blocks",
         repeat("begin : b ", 1000) + "real r; r = 1;" + repeat(" end", 1000)},
    };
    for (const auto &c : cases) {
        TempDir dir;
        RunResult r = translate(dir, "c.va", kHeader + c.body + "\n" + kFooter);
        expect_survived(r, c.what);
        EXPECT_TRUE(file_exists(dir.file("m.deriv"))) << c.what;
        EXPECT_NE(read_file(dir.file("c.va.vacpp")).find("/* End of C file from 'c.va' */"),
                  std::string::npos)
            << c.what;
    }
    TempDir dir;
    translate(dir, "b.va",
              kHeader + repeat("begin\n", 1000) + "x = 1;\n" + repeat("end\n", 1000) + kFooter);
    // The analog block's own begin ... end, and the thousand inside it.
    std::string out = read_file(dir.file("b.va.vacpp"));
    EXPECT_EQ(count_of(out, "{ /* Begin */"), 1001u);
    EXPECT_EQ(count_of(out, "} /* End of Begin */ "), 1001u);
}

// Long lists must not make the trace grow with the square of their length:
// neither the labels of one case item nor a chain of logical operators or
// conditionals, whose records show the text built so far (3000 labels of a
// 3000-term selector once wrote tens of gigabytes without ending).
// Doubling the list must about double the trace.
TEST(Robustness, TraceGrowsLinearlyWithLongChains) {
    const std::string selector = "(" + names("s", 20, "+") + ")";
    const struct {
        const char *what;
        std::string before, item, after;
    } shapes[] = {
        {"case labels", "case " + selector + " ", ", ", ": x = 1; endcase\n"},
        {"&& chain", "x = ", " && ", ";\n"},
        {"?: chain", "x = c ? ", " : c ? ", " : e;\n"},
    };
    for (const auto &shape : shapes) {
        size_t sizes[2];
        for (int k = 0; k < 2; ++k) {
            TempDir dir;
            std::string body = shape.before + names("b", 300 << k, shape.item) + shape.after;
            RunResult r = translate(dir, "chain.va", kHeader + body + kFooter);
            expect_survived(r, shape.what);
            EXPECT_EQ(r.status, 0) << shape.what << ": " << r.err.substr(0, 2000);
            sizes[k] = read_file(dir.file("debug_zelk")).size();
        }
        EXPECT_LT(static_cast<double>(sizes[1]) / static_cast<double>(sizes[0]), 3.0)
            << shape.what << ": trace of 300: " << sizes[0] << " bytes, of 600: " << sizes[1];
    }
}

// Nor must nesting: the records of expressions and argument lists show the
// text of their operands, which holds every level below.  Doubling the
// depth of each nested form must about double the trace.
TEST(Robustness, TraceGrowsLinearlyWithNesting) {
    const std::string function = "analog function real f;\ninput u;\nreal u;\nf = u;\nendfunction\n";
    const struct {
        const char *what;
        std::string opening, leaf, closing;
    } shapes[] = {
        {"negation", "- ", "x", ""},          {"parentheses", "(", "x", ")"},
        {"^ chain", "x^", "x", ""},           {"right-nested sum", "x+(", "x", ")"},
        {"built-in calls", "exp(", "x", ")"}, {"?: in the middle", "x ? ", "x", " : x"},
        {"analog-function calls", "f(", "x", ")"},
    };
    for (const auto &shape : shapes) {
        size_t sizes[2];
        for (int k = 0; k < 2; ++k) {
            TempDir dir;
            std::string body = "x = " + repeat(shape.opening, 1000 << k) + shape.leaf +
                               repeat(shape.closing, 1000 << k) + ";\n";
            std::string header = kHeader;
            header.insert(header.find("analog begin"), function);
            RunResult r = translate(dir, "nest.va", header + body + kFooter);
            expect_survived(r, shape.what);
            EXPECT_EQ(r.status, 0) << shape.what << ": " << r.err.substr(0, 2000);
            sizes[k] = read_file(dir.file("debug_zelk")).size();
        }
        EXPECT_LT(static_cast<double>(sizes[1]) / static_cast<double>(sizes[0]), 2.4)
            << shape.what << ": trace at depth 1000: " << sizes[0] << " bytes, at 2000: " << sizes[1];
    }
}
