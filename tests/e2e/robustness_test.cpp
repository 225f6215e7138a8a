// Hostile and oversized inputs: bytes the dialect gives no meaning, tokens
// of a megabyte, nesting far beyond the parser's stacks, lists of thousands
// of entries.  Whatever the input, a run must end by itself with a status of
// its own (never a signal, never a sanitizer report) and leave consistent
// files behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

const char kHeader[] = "module m(a);\nelectrical a;\nreal x;\nanalog begin\n";
const char kFooter[] = "end\nendmodule\n";

// Line of the first statement after kHeader.
constexpr int kBodyLine = 5;

// Hangs become failures instead of stalling the suite: the bound is far
// above what any of these inputs needs, it only has to end a run that does
// not end.
const char kTimeout[] = "600";

RunResult translate(const TempDir &dir, const std::string &file, const std::string &text) {
    write_file(dir.file(file), text);
    std::string bindir = install_stubs(dir.path(), Stubs());
    std::vector<std::string> argv;
    if (access("/usr/bin/timeout", X_OK) == 0) argv = {"/usr/bin/timeout", kTimeout};
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
    EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << what << ":\n" << r.err.substr(0, 4000);
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << what << ":\n"
                                                                << r.err.substr(0, 4000);
}

std::string names(const std::string &prefix, int count, const std::string &sep) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i) text += sep;
        text += prefix + std::to_string(i);
    }
    return text;
}

std::string repeat(const std::string &piece, int count) {
    std::string text;
    text.reserve(piece.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

size_t count_of(const std::string &text, const std::string &piece) {
    size_t n = 0;
    for (size_t pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + 1))
        ++n;
    return n;
}


size_t file_size(const std::string &path) { return read_file(path).size(); }

}  // namespace

// A NUL byte is an invalid token: one syntax error, recovery at the next
// ";", and the rest of the file is still read (it does not end the input).
TEST(RobustnessBytes, NulByteIsOneSyntaxErrorAndScanningGoesOn) {
    TempDir dir;
    std::string body = std::string("x = 1;") + '\0' + " x = 2; x = 3;\n";
    RunResult r = translate(dir, "nul.va", kHeader + body + kFooter);
    expect_survived(r, "NUL byte");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "!! Error: syntax error ??: Unexpected '' in line number:5 near:'1'.\n");
    std::string out = read_file(dir.file("nul.va.vacpp"));
    EXPECT_NE(out.find("    x=1 ; "), std::string::npos);
    EXPECT_EQ(out.find("x=2"), std::string::npos) << "the statement with the error is dropped";
    EXPECT_NE(out.find("    x=3 ; "), std::string::npos) << "input after the NUL was not read";
    EXPECT_NE(out.find("/* End of C file from 'nul.va' */"), std::string::npos);
    EXPECT_TRUE(stages_run(dir.path()).empty());
}

// Carriage returns are not white space: a file with CR LF line ends gets a
// character token 13 at every line end, each traced, and the syntax errors
// they cause are the run's status.
TEST(RobustnessBytes, CarriageReturnsAreCharacterTokens) {
    TempDir dir;
    std::string text = std::string(kHeader) + "x = 1;\n" + kFooter;
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    RunResult r = translate(dir, "cr.va", crlf);
    expect_survived(r, "CR LF");
    std::vector<std::string> errors = lines_of(r.err);
    ASSERT_FALSE(errors.empty());
    for (const std::string &line : errors)
        EXPECT_EQ(line.rfind("!! Error: syntax error ??: Unexpected '\r' in line number:", 0), 0u)
            << line;
    EXPECT_EQ(r.status, static_cast<int>(errors.size()));
    std::string trace = read_file(dir.file("debug_zelk"));
    EXPECT_EQ(count_of(trace, " DEbug :zelk: CHAR:\r:d   : line number:"), lines_of(text).size());
    EXPECT_TRUE(stages_run(dir.path()).empty());
}

// Bytes above 127 pass through comments and strings unchanged; outside them
// each is a character token of its own code.
TEST(RobustnessBytes, BytesAbove127) {
    TempDir dir;
    std::string body =
        "// caf\xc3\xa9 \xff\n"
        "$strobe(\"\xc3\xa9\xff\");\n"
        "x = 1 \xff 2;\n"
        "x = 3;\n";
    RunResult r = translate(dir, "high.va", kHeader + body + kFooter);
    expect_survived(r, "bytes above 127");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "!! Error: syntax error ??: Unexpected '\xff' in line number:7 near:'1'.\n");
    std::string out = read_file(dir.file("high.va.vacpp"));
    EXPECT_NE(out.find("\n/*  caf\xc3\xa9 \xff */"), std::string::npos);
    EXPECT_NE(out.find("    printf(\"\xc3\xa9\xff\"); "), std::string::npos);
    EXPECT_NE(out.find("    x=3 ; "), std::string::npos);
    std::string trace = read_file(dir.file("debug_zelk"));
    EXPECT_NE(trace.find(" DEbug :zelk: CHAR:\xff:ff   : line number:7 \n"), std::string::npos);
}

// Tokens of a megabyte go through whole: nothing is cut at a work buffer.
TEST(RobustnessSize, MegabyteTokensArriveWhole) {
    const std::string big_name(1 << 20, 'y');
    const std::string big_text(1 << 20, 's');
    struct Case {
        const char *what;
        std::string body;
        std::string expected;
    } cases[] = {
        {"identifier", "x = " + big_name + ";\n", "    x=" + big_name + " ; "},
        {"string", "$strobe(\"" + big_text + "\");\n", "    printf(\"" + big_text + "\"); "},
        {"line comment", "//" + big_text + "\nx = 1;\n", "\n/* " + big_text + " */"},
        {"block comment", "/*" + big_text + "*/ x = 1;\n", "\n/*" + big_text + "*/"},
    };
    for (const Case &c : cases) {
        TempDir dir;
        RunResult r = translate(dir, "big.va", kHeader + c.body + kFooter);
        expect_survived(r, c.what);
        EXPECT_EQ(r.status, 0) << c.what << ": " << r.err.substr(0, 2000);
        EXPECT_NE(read_file(dir.file("big.va.vacpp")).find(c.expected), std::string::npos)
            << c.what;
    }
}

// A module name no file system accepts as a file name: the side file cannot
// be created, which ends the run with status 1 and the usual message.
TEST(RobustnessSize, MegabyteModuleName) {
    TempDir dir;
    const std::string name(1 << 20, 'q');
    RunResult r = translate(dir, "mod.va",
                            "module " + name + "(a);\nelectrical a;\nanalog I(a) <+ 1;\nendmodule\n");
    expect_survived(r, "module name");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "!! Error : Can not open the Output File:'" + name + ".deriv' ??\n");
    std::string out = read_file(dir.file("mod.va.vacpp"));
    EXPECT_NE(out.find("\n/*  Start of Module " + name + " ( a ) */\n"), std::string::npos);
    EXPECT_TRUE(stages_run(dir.path()).empty());
}

// Nesting within the parser's stacks is translated; beyond them the parse
// ends with one "parser stack overflow", and the driver still writes the
// closing comment and both side files.
TEST(RobustnessNesting, ParenthesesWithinAndBeyondTheStack) {
    {
        TempDir dir;
        RunResult r = translate(dir, "p.va",
                                kHeader + ("x = " + repeat("(", 4000) + "1" + repeat(")", 4000) +
                                           ";\n") + kFooter);
        expect_survived(r, "4000 parentheses");
        EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
        EXPECT_NE(read_file(dir.file("p.va.vacpp"))
                      .find("    x=" + repeat("(", 4000) + "1" + repeat(")", 4000) + " ; "),
                  std::string::npos);
    }
    {
        TempDir dir;
        RunResult r = translate(dir, "p.va",
                                kHeader + ("x = " + repeat("(", 100000) + "1" +
                                           repeat(")", 100000) + ";\n") + kFooter);
        expect_survived(r, "100000 parentheses");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "!! Error: parser stack overflow ??: Unexpected '(' in line number:5 near:'x'.\n");
        EXPECT_NE(read_file(dir.file("debug_zelk"))
                      .find("!! Error: parser stack overflow in line number:5 near:'x'.\n"),
                  std::string::npos);
        std::string out = read_file(dir.file("p.va.vacpp"));
        const std::string closing = "\n\n/* End of C file from 'p.va' */ \n";
        ASSERT_GE(out.size(), closing.size());
        EXPECT_EQ(out.substr(out.size() - closing.size()), closing);
        EXPECT_TRUE(file_exists(dir.file("m.deriv")));
        EXPECT_TRUE(file_exists(dir.file("m.param")));
    }
}

TEST(RobustnessNesting, BlocksWithinAndBeyondTheStack) {
    {
        TempDir dir;
        RunResult r = translate(dir, "b.va",
                                kHeader + repeat("begin\n", 1000) + "x = 1;\n" +
                                    repeat("end\n", 1000) + kFooter);
        expect_survived(r, "1000 blocks");
        EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
        std::string out = read_file(dir.file("b.va.vacpp"));
        // The analog block's own begin ... end, and the thousand inside it.
        EXPECT_EQ(count_of(out, "{ /* Begin */"), 1001u);
        EXPECT_EQ(count_of(out, "} /* End of Begin */ "), 1001u);
    }
    {
        TempDir dir;
        RunResult r = translate(dir, "b.va",
                                kHeader + repeat("begin\n", 20000) + "x = 1;\n" +
                                    repeat("end\n", 20000) + kFooter);
        expect_survived(r, "20000 blocks");
        EXPECT_EQ(r.status, 1);
        std::vector<std::string> errors = lines_of(r.err);
        ASSERT_EQ(errors.size(), 2u) << "one message, whose token text holds its newline";
        EXPECT_EQ(errors[0], "!! Error: parser stack overflow ??: Unexpected 'begin");
        EXPECT_EQ(errors[1].rfind("' in line number:", 0), 0u) << errors[1];
        EXPECT_TRUE(file_exists(dir.file("m.deriv")));
    }
}

// Compound statements nested past every limit the translator keeps (the
// case stack, the parser's stacks, the indentation width).
TEST(RobustnessNesting, DeepControlFlowEndsCleanly) {
    struct Case {
        const char *what;
        std::string body;
    } cases[] = {
        {"100 nested cases", repeat("case (x) 1: ", 100) + "x = 1;" + repeat(" endcase", 100)},
        {"3000 nested ifs", repeat("if (x) ", 3000) + "x = 1;"},
        {"1000 nested repeats", repeat("repeat (2) ", 1000) + "x = x + 1;"},
        {"1000 nested named blocks", repeat("begin : b ", 1000) + "real r; r = 1;" +
                                         repeat(" end", 1000)},
    };
    for (const Case &c : cases) {
        TempDir dir;
        RunResult r = translate(dir, "c.va", kHeader + c.body + "\n" + kFooter);
        expect_survived(r, c.what);
        EXPECT_TRUE(file_exists(dir.file("m.deriv"))) << c.what;
        EXPECT_NE(read_file(dir.file("c.va.vacpp")).find("/* End of C file from 'c.va' */"),
                  std::string::npos)
            << c.what;
    }
}

// Long lists are kept whole: expressions, call arguments, declarations.
TEST(RobustnessSize, LongListsAreKeptWhole) {
    {
        TempDir dir;
        RunResult r = translate(dir, "t.va", kHeader + ("x = " + names("t", 10000, " + ") + ";\n") +
                                                 kFooter);
        expect_survived(r, "10000-term expression");
        EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
        EXPECT_NE(read_file(dir.file("t.va.vacpp")).find("    x=" + names("t", 10000, "+") + " ; "),
                  std::string::npos);
    }
    {
        TempDir dir;
        RunResult r = translate(dir, "a.va",
                                kHeader + ("x = max(" + names("a", 5000, ", ") + ");\n") + kFooter);
        expect_survived(r, "5000-argument call");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  "!! Error: 'max' Invalid Function arg number:5000 (not 2):  near 'max(a0)' in "
                  "line number:5 .\n");
        EXPECT_NE(read_file(dir.file("a.va.vacpp")).find("    x=MAX(" + names("a", 5000, ",") + ") ; "),
                  std::string::npos);
    }
    {
        TempDir dir;
        std::string ports = names("n", 5000, ", ");
        RunResult r = translate(dir, "d.va",
                                "module m(" + ports + ");\nelectrical " + ports + ";\ninteger " +
                                    names("k", 5000, ", ") + ";\nanalog I(n0) <+ 1;\nendmodule\n");
        expect_survived(r, "5000-name declarations");
        EXPECT_EQ(r.status, 0) << r.err.substr(0, 2000);
        std::string expected = "5000\n" + names("n", 5000, "\n") + "\n5000\n" +
                               names("n", 5000, "\n") + "\n0\n5000\n" + names("k", 5000, "\n") +
                               "\n0\n1\nn0_gnd\n0\n/* End of m.deriv */\n\n";
        EXPECT_EQ(read_file(dir.file("m.deriv")), expected);
    }
}

// Long lists must not make the trace grow with the square of their length:
// neither the labels of one case item nor a chain of logical operators or
// conditionals, whose records show the text built so far (3000 labels of a
// 3000-term selector once wrote tens of gigabytes without ending).
// Doubling the list must about double the trace.
TEST(RobustnessSize, TraceGrowsLinearlyWithLongChains) {
    const std::string selector = "(" + names("s", 20, "+") + ")";
    const struct {
        const char *what;
        std::string body;
    } shapes[] = {
        {"case labels", "case " + selector + " @: x = 1; endcase\n"},
        {"&& chain", "x = @;\n"},
        {"?: chain", "x = @ : e;\n"},
    };
    for (const auto &shape : shapes) {
        size_t sizes[2];
        for (int k = 0; k < 2; ++k) {
            int n = 300 << k;
            std::string list = shape.what[0] == 'c'   ? names("", n, ", ")
                               : shape.what[0] == '&' ? names("b", n, " && ")
                                                      : "c ? " + names("d", n, " : c ? ");
            std::string body = shape.body;
            body.replace(body.find('@'), 1, list);
            TempDir dir;
            RunResult r = translate(dir, "chain.va", kHeader + body + kFooter);
            expect_survived(r, shape.what);
            EXPECT_EQ(r.status, 0) << shape.what << ": " << r.err.substr(0, 2000);
            sizes[k] = file_size(dir.file("debug_zelk"));
        }
        EXPECT_LT(static_cast<double>(sizes[1]) / static_cast<double>(sizes[0]), 3.0)
            << shape.what << ": trace of 300: " << sizes[0] << " bytes, of 600: " << sizes[1];
    }
}
