// The symbol table: start-up contents, insertion, newest-first lookup and the
// trace records both operations write.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/trace.h"
#include "symbols/kinds.h"
#include "support/harness.h"
#include "symbols/symtab.h"
#include "translate/reset.h"

namespace {

using zelktest::lines_of;
using zelktest::TempDir;

// The built-in vocabulary in table order: Verilog-A name, C name, count.
const struct {
    const char *fname, *rname;
    int nbarg;
} kBuiltins[] = {
    {"vt", "ut", 1},       {"ddt", "ddt", 1},     {"idt", "idt", 1},     {"abs", "ABS", 1},
    {"sin", "sin", 1},     {"cos", "cos", 1},     {"tan", "tan", 1},     {"asin", "asin", 1},
    {"acos", "acos", 1},   {"atan", "atan", 1},   {"log", "log10", 1},   {"ln", "log", 1},
    {"log10", "log10", 1}, {"exp", "exp", 1},     {"limexp", "exp", 1},  {"sqrt", "sqrt", 1},
    {"cbrt", "cbrt", 1},   {"floor", "floor", 1}, {"sinh", "sinh", 1},   {"cosh", "cosh", 1},
    {"tanh", "tanh", 1},   {"asinh", "asinh", 1}, {"acosh", "acosh", 1}, {"atanh", "atanh", 1},
    {"ceil", "ceil", 1},   {"pow", "pow", 2},     {"atan2", "atan2", 2}, {"hypot", "hypot", 2},
    {"min", "MIN", 2},     {"max", "MAX", 2},     {"strobe", "printf", 49},
};
constexpr int kNbBuiltins = sizeof kBuiltins / sizeof kBuiltins[0];


// Record identities are whatever numbers the table chooses; tests compare
// them with each other, not with fixed values.
std::string identity_in(const std::string &line) {
    std::smatch m;
    if (std::regex_search(line, m, std::regex("ptr:(-?[0-9]+):"))) return m[1];
    return "?";
}

std::string without_identity(const std::string &line) {
    return std::regex_replace(line, std::regex("ptr:-?[0-9]+:"), "ptr:#:");
}

class SymbolTable : public ::testing::Test {
protected:
    void SetUp() override {
        zelk_reset_translation();
        ASSERT_TRUE(ztrace_open(dir_.file("trace").c_str()));
    }
    void TearDown() override {
        ztrace_close();
        zelk_reset_translation();
    }
    // The trace written since the last call (the trace restarts empty).
    std::vector<std::string> trace() {
        ztrace_close();
        std::vector<std::string> lines = lines_of(zelktest::read_file(dir_.file("trace")));
        EXPECT_TRUE(ztrace_open(dir_.file("trace").c_str()));
        return lines;
    }

private:
    TempDir dir_;
};

TEST_F(SymbolTable, StartUpHoldsTheBuiltinsNewestFirstThenPI) {
    ASSERT_EQ(zelksym_table, nullptr);
    szelkinit_table();

    std::vector<const zelksymrec *> recs;
    for (const zelksymrec *p = zelksym_table; p; p = p->next) recs.push_back(p);
    ASSERT_EQ(recs.size(), 32u);
    EXPECT_STREQ(recs[0]->name, "PI");
    EXPECT_STREQ(recs[0]->val, "3.1415926");
    EXPECT_EQ(recs[0]->type, TK_VAR);
    for (int i = 0; i < kNbBuiltins; ++i) {
        const zelksymrec *r = recs[static_cast<size_t>(kNbBuiltins - i)];
        EXPECT_STREQ(r->name, kBuiltins[i].fname);
        EXPECT_STREQ(r->val, kBuiltins[i].rname) << kBuiltins[i].fname;
        EXPECT_EQ(r->type, TK_FNCT);
        EXPECT_EQ(r->nbarg, 0);
    }

    // The argument counts are what the call checks read.
    for (int i = 0; i < kNbBuiltins; ++i)
        EXPECT_EQ(zelkarith_fncts[i].nbarg1, kBuiltins[i].nbarg) << kBuiltins[i].fname;
    EXPECT_EQ(zelkarith_fncts[kNbBuiltins].fname, nullptr);

    // One insertion record per built-in, in row order, then PI.
    std::vector<std::string> t = trace();
    ASSERT_EQ(t.size(), 32u);
    for (int i = 0; i < kNbBuiltins; ++i)
        EXPECT_EQ(without_identity(t[static_cast<size_t>(i)]),
                  std::string("Debug : zelkputsym:  ptr:#:  sym_name:'") + kBuiltins[i].fname +
                      "'  type:263(V:262)");
    EXPECT_EQ(without_identity(t[31]), "Debug : zelkputsym:  ptr:#:  sym_name:'PI'  type:262(V:262)");
}

TEST_F(SymbolTable, LookupWalksNewestFirstAndTracesEveryVisit) {
    szelkinit_table();
    trace();

    zelksymrec *pi = zelkgetsym("PI");
    ASSERT_NE(pi, nullptr);
    EXPECT_EQ(pi, zelksym_table);
    std::vector<std::string> t = trace();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(without_identity(t[0]),
              "Debug : zelkgetsym: ptr:#:  name:'PI                  ' val:'3.1415926' type:262   "
              "isptr:0 ");
    EXPECT_EQ(without_identity(t[1]),
              "Debug : zelkgetsym: FOUND :ptr:#:  name:'PI                  '  val:'3.1415926'  "
              "type:262  ");
    EXPECT_EQ(identity_in(t[0]), identity_in(t[1]));

    // The oldest record: every record is visited once, newest first.
    zelksymrec *vt = zelkgetsym("vt");
    ASSERT_NE(vt, nullptr);
    EXPECT_STREQ(vt->val, "ut");
    EXPECT_EQ(vt->next, nullptr);
    t = trace();
    ASSERT_EQ(t.size(), 33u);
    EXPECT_NE(t[1].find("name:'strobe              ' val:'printf' type:263"), std::string::npos)
        << t[1];
    EXPECT_NE(t[31].find("name:'vt                  ' val:'ut' type:263"), std::string::npos) << t[31];
    EXPECT_EQ(without_identity(t[32]),
              "Debug : zelkgetsym: FOUND :ptr:#:  name:'vt                  '  val:'ut'  type:263  ");
    std::vector<std::string> ids;
    for (size_t i = 0; i < 32; ++i) ids.push_back(identity_in(t[i]));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "identities must tell records apart";
    EXPECT_EQ(identity_in(t[31]), identity_in(t[32]));

    // Absent, and case-sensitive: one visited line per record, no result.
    EXPECT_EQ(zelkgetsym("Pi"), nullptr);
    t = trace();
    EXPECT_EQ(t.size(), 32u);
    for (const std::string &line : t) EXPECT_EQ(line.find("FOUND"), std::string::npos) << line;
}

TEST_F(SymbolTable, EmptyAndNullNamesAreRefusedWithoutTrace) {
    szelkinit_table();
    trace();
    zelksymrec *head = zelksym_table;
    EXPECT_EQ(zelkputsym("", TK_VAR), nullptr);
    EXPECT_EQ(zelkputsym(nullptr, TK_VAR), nullptr);
    EXPECT_EQ(zelkgetsym(""), nullptr);
    EXPECT_EQ(zelkgetsym(nullptr), nullptr);
    EXPECT_EQ(zelksym_table, head);
    EXPECT_TRUE(trace().empty());
}

TEST_F(SymbolTable, EveryInsertionIsANewRecordAndTheLatestIsFound) {
    zelksymrec *first = zelkputsym("x", TK_VAR);
    zelksymrec *other = zelkputsym("a_name_longer_than_twenty", TK_STRING);
    zelksymrec *second = zelkputsym("x", TK_INTEG);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(zelksym_table, second);
    EXPECT_EQ(second->next, other);
    EXPECT_EQ(other->next, first);
    EXPECT_EQ(first->next, nullptr);
    EXPECT_STREQ(second->name, "x");
    EXPECT_EQ(second->val, nullptr);
    EXPECT_EQ(second->type, TK_INTEG);
    EXPECT_EQ(second->nbarg, 0);
    EXPECT_EQ(second->kind, 0u);
    EXPECT_EQ(second->isptr, 0u);

    // The record owns a copy of its name.
    char buf[] = "yy";
    zelksymrec *copy = zelkputsym(buf, TK_VAR);
    buf[0] = 'z';
    EXPECT_STREQ(copy->name, "yy");

    std::vector<std::string> t = trace();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(without_identity(t[0]), "Debug : zelkputsym:  ptr:#:  sym_name:'x'  type:262(V:262)");
    EXPECT_EQ(without_identity(t[1]),
              "Debug : zelkputsym:  ptr:#:  sym_name:'a_name_longer_than_twenty'  type:266(V:262)");
    EXPECT_EQ(without_identity(t[2]), "Debug : zelkputsym:  ptr:#:  sym_name:'x'  type:260(V:262)");
    EXPECT_NE(identity_in(t[0]), identity_in(t[2]));

    // The latest "x" is found; the older one is never reached.
    EXPECT_EQ(zelkgetsym("x"), second);
    t = trace();
    ASSERT_EQ(t.size(), 3u);  // yy and x visited, x found
    EXPECT_NE(t[0].find("name:'yy                  '"), std::string::npos) << t[0];
    EXPECT_NE(t[1].find("name:'x                   '"), std::string::npos) << t[1];
    EXPECT_EQ(t[1].find("FOUND"), std::string::npos);
    EXPECT_NE(t[1].find("type:260"), std::string::npos) << t[1];
    EXPECT_EQ(identity_in(t[1]), identity_in(t[2]));
    EXPECT_NE(t[2].find("FOUND"), std::string::npos);
    // A name wider than the column is written whole.
    EXPECT_EQ(zelkgetsym("a_name_longer_than_twenty"), other);
    t = trace();
    ASSERT_EQ(t.size(), 4u);
    EXPECT_NE(t[2].find("name:'a_name_longer_than_twenty' val:"), std::string::npos) << t[2];
    EXPECT_NE(t[3].find("FOUND :ptr:" + identity_in(t[2]) +
                        ":  name:'a_name_longer_than_twenty'  val:"),
              std::string::npos)
        << t[3];
}

}  // namespace
