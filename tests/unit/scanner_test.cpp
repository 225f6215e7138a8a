// The scanner, driven directly: token choice under the longest-match
// discipline, line counting, block comments, the records of value tokens
// and the trace lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "base/trace.h"
#include "grammar/parser.h"
#include "scanner/scanner.h"
#include "support/harness.h"
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
    std::string shown;
    for (char c : t.text) {
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else
            shown += c;
    }
    return os << "{" << t.tok << ",'" << shown << "'}";
}

class Scanner : public ::testing::Test {
protected:
    void SetUp() override { zelk_reset_translation(); }
    void TearDown() override {
        ztrace_close();
        zelk_reset_translation();
        close_files();
    }

    // Starts scanning `text` from a fresh state; block comments go to a
    // scratch file that output() reads back.
    void open(const std::string &text) {
        zelk_reset_translation();
        close_files();
        in_ = std::tmpfile();
        out_ = std::tmpfile();
        ASSERT_TRUE(in_ && out_);
        std::fwrite(text.data(), 1, text.size(), in_);
        std::rewind(in_);
        yyin = in_;
        yyout = out_;
    }
    Tok next() {
        int t = yylex();
        return {t, t ? std::string(yytext) : std::string()};
    }
    // Every token up to the end of the input (which must come).
    std::vector<Tok> all() {
        std::vector<Tok> toks;
        for (int guard = 0; guard < 1000; ++guard) {
            Tok t = next();
            if (t.tok == 0) return toks;
            toks.push_back(t);
        }
        ADD_FAILURE() << "no end of input";
        return toks;
    }
    std::vector<Tok> scan(const std::string &text) {
        open(text);
        return all();
    }
    std::string output() {
        std::fflush(out_);
        std::string s;
        std::rewind(out_);
        char buf[256];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, out_)) > 0) s.append(buf, n);
        return s;
    }
    void open_trace() { ASSERT_TRUE(ztrace_open(dir_.file("trace").c_str())); }
    // The trace so far, with record identities (any number) blanked out.
    std::string trace() {
        ztrace_close();
        return std::regex_replace(zelktest::read_file(dir_.file("trace")),
                                  std::regex("ptr:-?[0-9]+:"), "ptr:#:");
    }

private:
    void close_files() {
        if (in_) std::fclose(in_);
        if (out_) std::fclose(out_);
        in_ = out_ = nullptr;
        yyin = yyout = nullptr;
    }
    FILE *in_ = nullptr;
    FILE *out_ = nullptr;
    zelktest::TempDir dir_;
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
        {"begin x", {{TK_BEGIN, "begin "}, {TK_VAR, "x"}}},
        {"beginx ", {{TK_VAR, "beginx"}}},
        {"begin\tend\n", {{TK_BEGIN, "begin\t"}, {TK_END, "end\n"}}},
        {"begin\\\nx", {{TK_BEGIN, "begin\\\n"}, {TK_VAR, "x"}}},
        {"else\\\n", {{TK_ELSE, "else\\\n"}}},
        // Only begin, end and else take a backslash-NL as delimiter.
        {"real\\\nx", {{TK_VAR, "real"}, {TK_VAR, "x"}}},
        // At the end of the file there is no delimiter.
        {"endmodule", {{TK_VAR, "endmodule"}}},
        {"x end", {{TK_VAR, "x"}, {TK_VAR, "end"}}},
        // A call name is longer than the keyword with its blank.
        {"end (", {{TK_ANALFUNC, "end"}}},
        {"else (", {{TK_ANALFUNC, "else"}}},
        {"module m(", {{TK_MODULE, "module "}, {TK_ANALFUNC, "m"}}},
        {"default:", {{TK_VAR, "default"}, {':', ":"}}},
        {"default :", {{TK_DEFAULT, "default "}, {':', ":"}}},
        {"endcase\n", {{TK_ENDCASE, "endcase\n"}}},
        {"endfunction ", {{TK_ENDFUNC, "endfunction "}}},
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

TEST_F(Scanner, ValueTokensCarryFreshRecords) {
    EXPECT_STREQ(ZelkCurSymName, "");
    open("x 42 1.5 10k \"s\" $t abs( foo ( V( I (branch( x Abs(");
    const struct {
        int tok;
        const char *name;
        const char *val;  // null: none
        const char *near;  // ZelkCurSymName afterwards
    } want[] = {
        {TK_VAR, "x", nullptr, "x"},
        {TK_INTEG, "42", nullptr, "42"},
        {TK_FLOAT, "1.5", nullptr, "1.5"},
        {TK_FLOAT, "10000", nullptr, "10000"},
        {TK_STRING, "\"s\"", nullptr, "\"s\""},
        {TK_VAR, "t", nullptr, "t"},
        // Call names and probes leave the "near" text alone.
        {TK_FNCT, "abs", "ABS", "t"},
        {TK_ANALFUNC, "foo", nullptr, "t"},
        {TK_V, "V(", nullptr, "t"},
        {TK_I, "I (", nullptr, "t"},
        {TK_BRANCH, "branch(", nullptr, "t"},
        {TK_VAR, "x", nullptr, "x"},
        {TK_ANALFUNC, "Abs", nullptr, "x"},
    };
    std::vector<const zelksymrec *> seen;
    for (const auto &w : want) {
        SCOPED_TRACE(w.name);
        ASSERT_EQ(next().tok, w.tok);
        const zelksymrec *r = yylval;
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r, zelksym_table);  // newest record of the table
        EXPECT_STREQ(r->name, w.name);
        if (w.val)
            EXPECT_STREQ(r->val, w.val);
        else
            EXPECT_EQ(r->val, nullptr);
        EXPECT_EQ(r->type, w.tok);
        EXPECT_EQ(r->nbarg, 0);
        EXPECT_STREQ(ZelkCurSymName, w.near);
        for (const zelksymrec *s : seen) EXPECT_NE(r, s);
        seen.push_back(r);
    }
    int n = 0;
    for (const zelksymrec *p = zelksym_table; p; p = p->next) ++n;
    EXPECT_EQ(n, 13);

    // Tokens without a value make no record and leave yylval as it was.
    open("y begin ;+<+ `include \"a.h\"\nanalog function // c\n( end\n");
    ASSERT_EQ(next().tok, TK_VAR);
    zelksymrec *y = yylval;
    const int valueless[] = {TK_BEGIN,      TK_NEW_EXEC, '+',        TK_ASSIGN, TK_INCLUDE,
                             TK_INCLUDESTR, TK_ANALFUNC, TK_COMMENT, '(',       TK_END};
    for (int tok : valueless) {
        EXPECT_EQ(next().tok, tok);
        EXPECT_EQ(yylval, y) << tok;
        EXPECT_EQ(zelksym_table, y) << tok;
    }
    EXPECT_STREQ(ZelkCurSymName, "y");
}

TEST_F(Scanner, TraceLines) {
    const struct {
        std::string input;
        std::string trace;
    } cases[] = {
        {"begin\nif (x) ;\n",
         " DEbug :Flex: TK_BEGIN :  line number:2  yytext:'begin\n' \n"
         " DEbug :Flex: TK_IF :  line number:2  yytext:'if (' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'x'  type:262(V:262)\n"
         " DEbug :zelk: CHAR:):29   : line number:2 \n"
         " DEbug :zelk: TK_NEW_EXEC  : line number:2 \n"
         " DEbug :zelk:  TK_ENDLINE : line number:3 \n"},
        {"$y = abs (1.5k)^2<+\"s\"",
         " DEbug :  $VAR : TK_DOLVAR :Flex:  line number:1  yytext:'y' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'y'  type:262(V:262)\n"
         " DEbug :zelk: CHAR:=:3d   : line number:1 \n"
         " DEbug : TK_FNCT :Flex:1:  line number:1  yytext:'abs (' \n"
         " DEbug : TK_FNCT :Flex:2:  line number:1  yytext:'abs' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'abs'  type:263(V:262)\n"
         " DEbug : TK_FNCT :Flex:END:  line number:1   name:'abs' type:263(V:262,F:263,A:264) \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'1500'  type:261(V:262)\n"
         " DEbug :zelk: CHAR:):29   : line number:1 \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'2'  type:260(V:262)\n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'\"s\"'  type:266(V:262)\n"},
        {"$strobe (\"v\") $f(",
         " DEbug : $FNCT: TK_DOLFNCT  :Flex:1:  line number:1  yytext:'$strobe (' \n"
         " DEbug : $FNCT: TK_DOLFNCT :Flex:  line number:1  yytext:'strobe (' \n"
         " DEbug : TK_FNCT :Flex:2:  line number:1  yytext:'strobe' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'strobe'  type:263(V:262)\n"
         " DEbug : $FNCT: TK_DOLFNCT    :Flex:END:  line number:1   name:'strobe' "
         "type:263(V:262,F:263,A:264) \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'\"v\"'  type:266(V:262)\n"
         " DEbug :zelk: CHAR:):29   : line number:1 \n"
         " DEbug : $FNCT: TK_DOLFNCT  :Flex:1:  line number:1  yytext:'$f(' \n"
         " DEbug : $FNCT: TK_DOLFNCT :Flex:  line number:1  yytext:'f(' \n"
         " DEbug : TK_FNCT :Flex:2:  line number:1  yytext:'f' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'f'  type:264(V:262)\n"
         " DEbug : $FNCT: TK_DOLFNCT    :Flex:END:  line number:1   name:'f' "
         "type:264(V:262,F:263,A:264) \n"},
        {"V (a) branch(\"i.h\"\nfrom[",
         "Debug : zelkputsym:  ptr:#:  sym_name:'V ('  type:267(V:262)\n"
         " DEbug :Flex: TK_V :  line number:1  yytext:'V (' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'a'  type:262(V:262)\n"
         " DEbug :zelk: CHAR:):29   : line number:1 \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'branch('  type:269(V:262)\n"
         " DEbug :Flex: TK_BRANCH :  line number:1  yytext:'branch(' \n"
         " DEbug :Flex: TK_INCLUDESTR  :  line number:2  yytext:'\"i.h\"\n' \n"
         " DEbug :Flex: TK_FROM :  line number:2  yytext:'from[' \n"},
        {"`define Q // c\nanalog function \r`include endmodule\n",
         " DEbug :Flex: TK_DEFINE :  line number:1  yytext:'`define' \n"
         "Debug : zelkputsym:  ptr:#:  sym_name:'Q'  type:262(V:262)\n"
         " DEbug :zelk: TK_COMMENT : line number:2 \n"
         " DEbug :Flex: TK_ANALFUNC :  line number:2  yytext:'analog function ' \n"
         " DEbug :zelk: CHAR:\r:d   : line number:2 \n"
         " DEbug :Flex: TK_INCLUDE :  line number:2  yytext:'`include' \n"
         " DEbug :Flex: TK_ENDMODULE :  line number:3  yytext:'endmodule\n' \n"},
    };
    for (const auto &c : cases) {
        open(c.input);
        open_trace();
        all();
        EXPECT_EQ(trace(), c.trace) << c.input;
    }
}

}  // namespace
