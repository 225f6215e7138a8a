// Tokens, line markers and the parser of the preprocessed translator output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag.h"
#include "lexer.h"
#include "parser.h"

namespace {

using namespace zelk4th;

std::string error_of(const std::string &text, const std::string &evaluate = "Mevaluate") {
    try {
        parse_unit(tokenize(text, "meq.cpp"), evaluate);
    } catch (const Error &e) {
        return e.what();
    }
    return "(no error)";
}

// A compact spelling of an expression tree: (op a b), calls as name[args].
std::string shape(const Expr &e) {
    switch (e.kind) {
    case ExprKind::Binary: return "(" + e.text + " " + shape(*e.kids[0]) + " " + shape(*e.kids[1]) + ")";
    case ExprKind::Cond: return "(? " + shape(*e.kids[0]) + " " + shape(*e.kids[1]) + " " + shape(*e.kids[2]) + ")";
    case ExprKind::Neg: return "(- " + shape(*e.kids[0]) + ")";
    case ExprKind::Deref: return "(* " + shape(*e.kids[0]) + ")";
    case ExprKind::AddrOf: return "(& " + shape(*e.kids[0]) + ")";
    case ExprKind::PostDec: return "(-- " + shape(*e.kids[0]) + ")";
    case ExprKind::Call: {
        std::string s = e.text + "[";
        for (size_t i = 0; i < e.kids.size(); ++i) s += (i ? " " : "") + shape(*e.kids[i]);
        return s + "]";
    }
    default: return e.text;
    }
}

std::string expr_shape(const std::string &text) { return shape(*parse_expression(tokenize(text, "x"))); }

TEST(Zelk4thLexer, MarkersMapTranslatorLinesToTheirStatementAndCountIncludedFiles) {
    const std::string text =
        "a\n"                          // before any marker: the input file itself
        "# 1 \"t.va.vacpp\"\n"
        "b\n"
        "# 1 \"disc.vams\" 1\n"        // an include that cpp entered: lines are counted
        "c\n"
        "d\n"
        "# 7 \"t.va.vacpp\" 2\n"
        "e\n"
        "# 12 \"t.va\"\n"              // a translator marker: the lines after it are its statement
        "f\n"
        "  g\n"
        "h\n"
        "# 13 \"t.va\"\n"
        "i\n";
    std::vector<Token> toks = tokenize(text, "meq.cpp");
    const std::vector<std::pair<std::string, std::string>> want = {
        {"a", "meq.cpp:1"},   {"b", "t.va.vacpp:1"}, {"c", "disc.vams:1"}, {"d", "disc.vams:2"},
        {"e", "t.va.vacpp:7"}, {"f", "t.va:12"},      {"g", "t.va:12"},    {"h", "t.va:12"},
        {"i", "t.va:13"}};
    ASSERT_EQ(toks.size(), want.size() + 1);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(toks[i].text, want[i].first);
        EXPECT_EQ(toks[i].loc.file + ":" + std::to_string(toks[i].loc.line), want[i].second) << toks[i].text;
    }
    EXPECT_EQ(toks.back().kind, Tok::End);
}

TEST(Zelk4thLexer, TokenKinds) {
    std::vector<Token> toks = tokenize("1000 1e-14 1.0 .5 1e+12 \"a\\\"b\" <== <= -- _I $x", "f");
    const std::vector<std::pair<Tok, std::string>> want = {
        {Tok::Int, "1000"},  {Tok::Real, "1e-14"}, {Tok::Real, "1.0"},        {Tok::Real, ".5"},
        {Tok::Real, "1e+12"}, {Tok::String, "\"a\\\"b\""}, {Tok::Punct, "<=="}, {Tok::Punct, "<="},
        {Tok::Punct, "--"},  {Tok::Ident, "_I"},   {Tok::Ident, "$x"}};
    ASSERT_EQ(toks.size(), want.size() + 1);
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(toks[i].kind, want[i].first) << i;
        EXPECT_EQ(toks[i].text, want[i].second);
    }
}

TEST(Zelk4thLexer, MarkerFilesSkipPseudoFilesSystemHeadersAndRepeats) {
    const std::string text =
        "# 0 \"t.va.vacpp\"\n# 0 \"<built-in>\"\n# 1 \"/usr/include/stdc-predef.h\" 1 3 4\n"
        "# 1 \"t.va.vacpp\"\n# 1 \"disc.vams\" 1\n# 3 \"t.va\"\n# 4 \"t.va\"\n";
    EXPECT_EQ(marker_files(text), (std::vector<std::string>{"t.va.vacpp", "disc.vams", "t.va"}));
}

TEST(Zelk4thParser, OperatorPrecedenceAndGrouping) {
    EXPECT_EQ(expr_shape("a+b*c-d/e"), "(- (+ a (* b c)) (/ d e))");
    EXPECT_EQ(expr_shape("a<b&&c>=d||e==f"), "(|| (&& (< a b) (>= c d)) (== e f))");
    EXPECT_EQ(expr_shape("c?a:b?d:e"), "(? c a (? b d e))");
    EXPECT_EQ(expr_shape("-a*-(b+c)"), "(* (- a) (- (+ b c)))");
    EXPECT_EQ(expr_shape("f( x, &(y))+pow(x,2)"), "(+ f[x (& y)] pow[x 2])");
    EXPECT_EQ(expr_shape("*w+1"), "(+ (* w) 1)");
    EXPECT_EQ(expr_shape("z0()"), "z0[]");
}

TEST(Zelk4thParser, FunctionsDeclarationsAndEvaluate) {
    Unit u = parse_unit(tokenize("DoubleRec x,y ;\n int k ;\n"
                                 "DoubleRec\nf( u, w )\nDoubleRec u, *w;\n {\n DoubleRec t ;\n t=u ; *w=t ; return ( t+1 ) ;\n }\n"
                                 "int\nMevaluate ( a, b)\n double a, b;\n{\n _I(a,b) <== f( a, &(x)) ;\n}\n",
                                 "meq.cpp"),
                        "Mevaluate");
    ASSERT_EQ(u.module_decls.size(), 2u);
    EXPECT_EQ(u.module_decls[0]->names, (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(u.module_decls[0]->decl_real);
    EXPECT_FALSE(u.module_decls[1]->decl_real);
    ASSERT_EQ(u.functions.size(), 2u);
    const FuncDef &f = *u.functions[0];
    EXPECT_EQ(f.name, "f");
    EXPECT_FALSE(f.is_evaluate);
    ASSERT_EQ(f.decls.size(), 2u);
    EXPECT_FALSE(f.decls[0].ptr);
    EXPECT_TRUE(f.decls[1].ptr);
    ASSERT_EQ(f.body->body.size(), 4u);
    EXPECT_EQ(f.body->body[0]->kind, StmtKind::Decl);
    EXPECT_EQ(f.body->body[2]->target->kind, ExprKind::Deref);
    EXPECT_EQ(f.body->body[3]->kind, StmtKind::Return);
    ASSERT_EQ(u.evaluate, u.functions[1].get());
    const Stmt &contrib = *u.evaluate->body->body[0];
    EXPECT_EQ(contrib.kind, StmtKind::Contrib);
    EXPECT_TRUE(contrib.flow);
    EXPECT_EQ(contrib.nodes, (std::vector<std::string>{"a", "b"}));
}

// The translator writes $strobe as a printf call and a printf of a newline;
// in an unbraced branch both must stay in the branch.
TEST(Zelk4thParser, StrobeNewlineStaysInItsBranch) {
    Unit u = parse_unit(tokenize("int\nMevaluate ( a)\n double a;\n{\n"
                                 " if (a>0) printf(\"x\"); printf(\"\\n\"); else a=1 ;\n"
                                 " while (a>1) printf(\"\\n\"); printf(\"\\n\");\n"
                                 " if (a>2) { printf(\"y\"); } printf(\"\\n\");\n}\n",
                                 "meq.cpp"),
                        "Mevaluate");
    const auto &body = u.evaluate->body->body;
    ASSERT_EQ(body.size(), 4u);
    ASSERT_EQ(body[0]->then_s->kind, StmtKind::Block);
    EXPECT_EQ(body[0]->then_s->body.size(), 2u);
    ASSERT_TRUE(body[0]->else_s);
    EXPECT_EQ(body[0]->else_s->kind, StmtKind::Assign);
    ASSERT_EQ(body[1]->then_s->kind, StmtKind::Block);
    EXPECT_EQ(body[1]->then_s->body.size(), 2u);
    // A braced branch keeps its own statements: the newline after it stays outside.
    EXPECT_EQ(body[2]->then_s->body.size(), 1u);
    EXPECT_EQ(body[3]->kind, StmtKind::ExprStmt);
}

TEST(Zelk4thParser, LexicalAndSyntaxErrorsNameTheSourceLine) {
    const struct {
        const char *text, *message;
    } cases[] = {
        {"# 4 \"t.va\"\nx = y @ z;\n", "t.va:4: unexpected character '@'"},
        {"# 4 \"t.va\"\n\"open\n", "t.va:4: unterminated string"},
        {"x\n#pragma once\n", "meq.cpp:2: unexpected preprocessor line '#pragma once'"},
        {"# 5 x\"t.va\"\n", "meq.cpp:1: unexpected preprocessor line '# 5 x\"t.va\"'"},
        {"# 9 \"t.va\"\nx = 1e5x;\n", "t.va:9: malformed number '1e5x'"},
        {"# 3 \"t.va\"\nint\nMevaluate ( a)\n double a;\n{\n# 5 \"t.va\"\n x=1\n}\n",
         "t.va:5: expected ';', found '}'"},
        {"# 3 \"t.va\"\n }\n", "t.va:3: a closing brace without a function: an analog function without any "
                                 "statement gets no C header from the translator"},
        {"# 3 \"t.va\"\n x = 1 ;\n", "t.va:3: expected a declaration or a function definition, found 'x'"},
        {"DoubleRec x ;\n", "meq.cpp:2: no evaluate function 'Mevaluate' in the file"},
        {"int\nMevaluate ( a)\n double a;\n{\n# 8 \"t.va\"\n a+1=2 ;\n}\n",
         "t.va:8: the left side of '=' is not a variable"},
        {"int\nMevaluate ( a)\n double a;\n{\n# 2 \"t.va\"\n x = a % 2;\n}\n",
         "t.va:2: the operator '%' is not supported, found '%'"},
        {"int\nMevaluate ( a)\n double a;\n{\n x = 1 ;\n", "meq.cpp:6: expected '}', found the end of the file"},
    };
    for (const auto &c : cases) EXPECT_EQ(error_of(c.text), c.message) << c.text;
}

}  // namespace
