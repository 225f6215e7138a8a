// The scanner, driven directly: token choice under the longest-match
// discipline, line counting and block comments.  (Its trace, which shows
// the record made for every name and literal, is pinned by the golden
// cases.)
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "grammar/parser.h"
#include "scanner/scanner.h"
#include "symbols/state.h"
#include "symbols/symtab.h"
#include "translate/reset.h"

namespace {

struct Tok {
    int tok;
    std::string text;
};

bool operator==(const Tok &a, const Tok &b) { return a.tok == b.tok && a.text == b.text; }

std::ostream &operator<<(std::ostream &os, const Tok &t) {
    os << "{" << t.tok << ",'";
    for (char c : t.text)
        os << (c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\t' ? "\\t" : std::string(1, c));
    return os << "'}";
}

class Scanner : public ::testing::Test {
protected:
    void TearDown() override { close_files(); }

    // Starts scanning `text` from a fresh state; block comments go to a
    // buffer that output() reads back.
    void open(const std::string &text) {
        close_files();
        yyin = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), yyin);
        std::rewind(yyin);
        yyout = open_memstream(&out_, &out_size_);
    }
    Tok next() {
        int t = yylex();
        return {t, t ? std::string(yytext) : std::string()};
    }
    // Every token of `text` up to the end of the input (which must come).
    std::vector<Tok> scan(const std::string &text) {
        open(text);
        std::vector<Tok> toks;
        for (Tok t = next(); t.tok != 0; t = next()) {
            toks.push_back(t);
            if (toks.size() > 1000) return toks;
        }
        return toks;
    }
    std::string output() {
        std::fflush(yyout);
        return std::string(out_, out_size_);
    }

private:
    void close_files() {
        if (yyin) std::fclose(yyin);
        if (yyout) std::fclose(yyout);
        yyin = yyout = nullptr;
        zelk_reset_translation();
        std::free(out_);
        out_ = nullptr;
    }
    char *out_ = nullptr;
    size_t out_size_ = 0;
};

struct Case {
    std::string input;
    std::vector<Tok> want;
};

void expect_tokens(const std::vector<Tok> &got, const Case &c) {
    EXPECT_EQ(got, c.want) << "input: '" << c.input << "'";
}

TEST_F(Scanner, KeywordsNeedTheirDelimiter) {
    const Case cases[] = {
        {"beginx ", {{TK_VAR, "beginx"}}},
        {"begin\tend\n", {{TK_BEGIN, "begin\t"}, {TK_END, "end\n"}}},
        {"begin\\\nx", {{TK_BEGIN, "begin\\\n"}, {TK_VAR, "x"}}},
        {"else\\\n", {{TK_ELSE, "else\\\n"}}},
        // Only begin, end and else take a backslash-NL as delimiter.
        {"real\\\nx", {{TK_VAR, "real"}, {TK_VAR, "x"}}},
        {"x end", {{TK_VAR, "x"}, {TK_VAR, "end"}}},
        // A call name is longer than the keyword with its blank.
        {"end (", {{TK_ANALFUNC, "end"}}},
        {"else (", {{TK_ANALFUNC, "else"}}},
        {"module m(", {{TK_MODULE, "module "}, {TK_ANALFUNC, "m"}}},
        {"default:", {{TK_VAR, "default"}, {':', ":"}}},
        {"default :", {{TK_DEFAULT, "default "}, {':', ":"}}},
        // The keyword pair must stand on one line.
        {"analog function real", {{TK_ANALFUNC, "analog function "}, {TK_VAR, "real"}}},
        {"analog \t function\n", {{TK_ANALFUNC, "analog \t function\n"}}},
        {"analog\nfunction ", {{TK_ANALOG, "analog\n"}, {TK_VAR, "function"}}},
        {"analog function", {{TK_ANALOG, "analog "}, {TK_VAR, "function"}}},
        {"analogfunction ", {{TK_VAR, "analogfunction"}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);

    const struct {
        const char *word;
        int tok;
    } plain[] = {
        {"module", TK_MODULE},   {"endmodule", TK_ENDMODULE}, {"analog", TK_ANALOG},
        {"input", TK_INPUT},     {"output", TK_OUTPUT},       {"inout", TK_INOUT},
        {"electrical", TK_ELECTRICAL}, {"real", TK_REAL},     {"integer", TK_NAMEINT},
        {"genvar", TK_GENVAR},   {"model", TK_MODEL},         {"device", TK_DEVICE},
        {"parameter", TK_PARAMETER}, {"endfunction", TK_ENDFUNC}, {"endcase", TK_ENDCASE},
        {"default", TK_DEFAULT}, {"begin", TK_BEGIN},         {"end", TK_END},
        {"else", TK_ELSE},
    };
    // Each with its delimiters; at the end of the file there is none.
    for (const auto &k : plain) {
        const std::string w = k.word;
        for (const char *delim : {" ", "\t", "\n"})
            expect_tokens(scan(w + delim), {w + delim, {{k.tok, w + delim}}});
        expect_tokens(scan(w), {w, {{TK_VAR, w}}});
        expect_tokens(scan(w + "_1 "), {w + "_1 ", {{TK_VAR, w + "_1"}}});
    }
}

TEST_F(Scanner, BracketKeywordsAgainstCallNames) {
    const Case cases[] = {
        {"if(", {{TK_IF, "if("}}},
        {"if  (", {{TK_IF, "if  ("}}},
        // Tabs never stand between a name and its bracket.
        {"if\t(", {{TK_VAR, "if"}, {'(', "("}}},
        {"myfunc\t(", {{TK_VAR, "myfunc"}, {'(', "("}}},
        {"for (", {{TK_FOR, "for ("}}},
        {"case(", {{TK_CASE, "case("}}},
        {"while (", {{TK_WHILE, "while ("}}},
        {"repeat(", {{TK_REPEAT, "repeat("}}},
        {"from [", {{TK_FROM, "from ["}}},
        {"from(", {{TK_FROM, "from("}}},
        {"exclude[", {{TK_EXCLUDE, "exclude["}}},
        {"exclude (", {{TK_EXCLUDE, "exclude ("}}},
        {"for[", {{TK_VAR, "for"}, {'[', "["}}},
        {"V (", {{TK_V, "V ("}}},
        {"I(", {{TK_I, "I("}}},
        {"branch  (", {{TK_BRANCH, "branch  ("}}},
        // Anything longer, or in another case, is a call name.
        {"Vx(", {{TK_ANALFUNC, "Vx"}}},
        {"v(", {{TK_ANALFUNC, "v"}}},
        {"iff(", {{TK_ANALFUNC, "iff"}}},
        {"abs(", {{TK_FNCT, "abs"}}},
        {"Abs(", {{TK_ANALFUNC, "Abs"}}},
        {"myfunc   (a)", {{TK_ANALFUNC, "myfunc"}, {TK_VAR, "a"}, {')', ")"}}},
        {"strobe (", {{TK_FNCT, "strobe"}}},
        {"log10(", {{TK_FNCT, "log10"}}},
        {"log1(", {{TK_ANALFUNC, "log1"}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);
}

TEST_F(Scanner, OperatorsAndAngleBracketNames) {
    const Case cases[] = {
        {"a<+b", {{TK_VAR, "a"}, {TK_ASSIGN, "<+"}, {TK_VAR, "b"}}},
        {"<=", {{TK_LE, "<="}}},
        {"< =", {{TK_LT, "<"}, {'=', "="}}},
        {"<<", {{TK_LT, "<"}, {TK_LT, "<"}}},
        {">= > != == && || ^",
         {{TK_GE, ">="}, {TK_GT, ">"}, {TK_NE, "!="}, {TK_EQU, "=="}, {TK_AND, "&&"},
          {TK_OR, "||"}, {TK_POW, "^"}}},
        {"! = & | ? : . , # % ~ @",
         {{'!', "!"}, {'=', "="}, {'&', "&"}, {'|', "|"}, {'?', "?"}, {':', ":"}, {'.', "."},
          {',', ","}, {'#', "#"}, {'%', "%"}, {'~', "~"}, {'@', "@"}}},
        {"<disc.h>\n", {{TK_INCLUDESTR, "<disc.h>\n"}}},
        {"<a> b", {{TK_LT, "<"}, {TK_VAR, "a"}, {TK_GT, ">"}, {TK_VAR, "b"}}},
        {"`include `define `ifdef `endif `else `foo",
         {{TK_INCLUDE, "`include"}, {TK_DEFINE, "`define"}, {TK_IFDEF, "`ifdef"},
          {TK_ENDIF, "`endif"}, {TK_ELSEDEF, "`else"}, {'`', "`"}, {TK_VAR, "foo"}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);
}

TEST_F(Scanner, IncludeNamesAgainstStrings) {
    const Case cases[] = {
        {"\"disc.h\"\n", {{TK_INCLUDESTR, "\"disc.h\"\n"}}},
        {"\"dir/d_2.vams\" \t\nx", {{TK_INCLUDESTR, "\"dir/d_2.vams\" \t\n"}, {TK_VAR, "x"}}},
        {"\"a b\"\n", {{TK_STRING, "\"a b\""}}},
        {"\"a-b\"\n", {{TK_STRING, "\"a-b\""}}},
        {"\"disc.h\";\n", {{TK_STRING, "\"disc.h\""}, {TK_NEW_EXEC, ";"}}},
        {"\"disc.h\"", {{TK_STRING, "\"disc.h\""}}},
        // A string runs to the last double quote of its line.
        {"x = \"a\" + \"b\";",
         {{TK_VAR, "x"}, {'=', "="}, {TK_STRING, "\"a\" + \"b\""}, {TK_NEW_EXEC, ";"}}},
        {"\"x\ny\"", {{'"', "\""}, {TK_VAR, "x"}, {TK_VAR, "y"}, {'"', "\""}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);
}

TEST_F(Scanner, NumbersAndScaleLetters) {
    const Case cases[] = {
        {"42", {{TK_INTEG, "42"}}},
        {"1.5 .5 5. 1.5e-3 .5E+2 1e3 1.e3",
         {{TK_FLOAT, "1.5"}, {TK_FLOAT, ".5"}, {TK_FLOAT, "5."}, {TK_FLOAT, "1.5e-3"},
          {TK_FLOAT, ".5E+2"}, {TK_FLOAT, "1e3"}, {TK_FLOAT, "1.e3"}}},
        {"1.5e", {{TK_FLOAT, "1.5"}, {TK_VAR, "e"}}},
        {"1e+x", {{TK_INTEG, "1"}, {TK_VAR, "e"}, {'+', "+"}, {TK_VAR, "x"}}},
        {"1.2.3", {{TK_FLOAT, "1.2"}, {TK_FLOAT, ".3"}}},
        // Scale letters: converted text; exponent and scale never combine.
        {"10k 1.5u 2.n .5p 2.2n 1M 3K",
         {{TK_FLOAT, "10000"}, {TK_FLOAT, "1.5e-06"}, {TK_FLOAT, "2e-09"}, {TK_FLOAT, "5e-13"},
          {TK_FLOAT, "2.2e-09"}, {TK_FLOAT, "1000000"}, {TK_FLOAT, "3000"}}},
        {"1e3k", {{TK_FLOAT, "1e3"}, {TK_VAR, "k"}}},
        {"1meg", {{TK_FLOAT, "0.001"}, {TK_VAR, "eg"}}},
        {"1x 1g 1A", {{TK_INTEG, "1"}, {TK_VAR, "x"}, {TK_INTEG, "1"}, {TK_VAR, "g"},
                      {TK_INTEG, "1"}, {TK_VAR, "A"}}},
        {"-3", {{'-', "-"}, {TK_INTEG, "3"}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);
}

TEST_F(Scanner, DollarNamesUnderscoresAndOtherBytes) {
    const Case cases[] = {
        {"$temperature", {{TK_VAR, "temperature"}}},
        {"$a$b", {{TK_VAR, "a$b"}}},
        {"a$b_1", {{TK_VAR, "a$b_1"}}},
        {"$strobe(", {{TK_FNCT, "strobe"}}},
        {"$foo  (", {{TK_ANALFUNC, "foo"}}},
        {"$ x", {{'$', "$"}, {TK_VAR, "x"}}},
        {"$1", {{'$', "$"}, {TK_INTEG, "1"}}},
        {"_x", {{'_', "_"}, {TK_VAR, "x"}}},
        {"a\r\nb\r\n", {{TK_VAR, "a"}, {13, "\r"}, {TK_VAR, "b"}, {13, "\r"}}},
        {"\v\f", {{11, "\v"}, {12, "\f"}}},
        {"\xe9\\x", {{0xe9, "\xe9"}, {'\\', "\\"}, {TK_VAR, "x"}}},
    };
    for (const Case &c : cases) expect_tokens(scan(c.input), c);
}

TEST_F(Scanner, CountsEveryConsumedNewline) {
    open("a\nb\\\nc // cmt\nd /* x\ny */ e begin\nf \"i.h\"\ng else\\\nh\n\nk endmodule\t"
         "module\n");
    const struct {
        Tok tok;
        int line;
    } want[] = {
        {{TK_VAR, "a"}, 1},
        {{TK_VAR, "b"}, 2},
        {{TK_VAR, "c"}, 3},
        {{TK_COMMENT, "// cmt"}, 4},
        {{TK_VAR, "d"}, 4},
        {{TK_VAR, "e"}, 5},
        {{TK_BEGIN, "begin\n"}, 6},
        {{TK_VAR, "f"}, 6},
        {{TK_INCLUDESTR, "\"i.h\"\n"}, 7},
        {{TK_VAR, "g"}, 7},
        {{TK_ELSE, "else\\\n"}, 8},
        {{TK_VAR, "h"}, 8},
        {{TK_VAR, "k"}, 10},
        {{TK_ENDMODULE, "endmodule\t"}, 10},
        {{TK_MODULE, "module\n"}, 11},
    };
    for (const auto &w : want) {
        Tok t = next();
        EXPECT_EQ(t, w.tok);
        EXPECT_EQ(ZelkCurLineNumber, w.line) << w.tok;
    }
    EXPECT_EQ(next().tok, 0);
    EXPECT_EQ(ZelkCurLineNumber, 11);
}

TEST_F(Scanner, BlockCommentsAreCopiedWhenReached) {
    open("a /* b ** c\n *\n**/ d");
    EXPECT_EQ(next(), (Tok{TK_VAR, "a"}));
    EXPECT_EQ(output(), "");
    EXPECT_EQ(next(), (Tok{TK_VAR, "d"}));
    EXPECT_EQ(output(), "\n/* b ** c\n *\n**/");
    EXPECT_EQ(ZelkCurLineNumber, 3);

    const struct {
        std::string input;
        std::vector<Tok> toks;
        std::string copied;
    } cases[] = {
        {"/**/x", {{TK_VAR, "x"}}, "\n/**/"},
        {"/*/ x */", {}, "\n/*/ x */"},
        {"/* a */ */", {{'*', "*"}, {'/', "/"}}, "\n/* a */"},
        {"/* a */b/* c */", {{TK_VAR, "b"}}, "\n/* a */\n/* c */"},
        {"//* x\ny", {{TK_COMMENT, "//* x"}, {TK_VAR, "y"}}, ""},
        {"/* \"s\" // begin\n*/", {}, "\n/* \"s\" // begin\n*/"},
        // An unterminated comment simply ends the input.
        {"x /* open\n", {{TK_VAR, "x"}}, "\n/* open\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(scan(c.input), c.toks) << c.input;
        EXPECT_EQ(output(), c.copied) << c.input;
    }
    EXPECT_EQ(next().tok, 0);  // and stays ended
}

TEST_F(Scanner, NewlineIsATokenOnlyWhileADefinitionIsOpen) {
    EXPECT_EQ(scan("a\nb\n"), (std::vector<Tok>{{TK_VAR, "a"}, {TK_VAR, "b"}}));

    open("`define X(a) a\\\n+1 // c\nbegin\nY\n\nZ\n");
    const std::vector<Tok> want = {
        {TK_DEFINE, "`define"}, {TK_ANALFUNC, "X"}, {TK_VAR, "a"}, {')', ")"},
        {TK_VAR, "a"},          {'+', "+"},         {TK_INTEG, "1"}, {TK_COMMENT, "// c"},
        {TK_BEGIN, "begin\n"},  {TK_VAR, "Y"},      {TK_ENDLINE, "\n"},
    };
    for (const Tok &w : want) EXPECT_EQ(next(), w);
    EXPECT_EQ(ZelkDefineOn, 1);
    // The parser closes the definition; from then on NL is skipped again.
    ZelkDefineOn = 0;
    EXPECT_EQ(next(), (Tok{TK_VAR, "Z"}));
    EXPECT_EQ(next().tok, 0);
    EXPECT_EQ(ZelkCurLineNumber, 7);
}

}  // namespace
