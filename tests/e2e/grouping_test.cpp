// How the grammar groups operators, seen where the C text cannot show it:
// the order of the reductions in the trace.
#include <gtest/gtest.h>

#include "support/harness.h"

using namespace zelktest;

namespace {

std::vector<std::string> lines_with(const std::string &text, const std::string &needle) {
    std::vector<std::string> found;
    size_t pos = 0;
    while ((pos = text.find(needle, pos)) != std::string::npos) {
        size_t end = text.find('\n', pos);
        found.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return found;
}

std::string translate_trace(const std::string &statement) {
    TempDir dir;
    write_file(dir.file("t.va"), "module m(p);\nelectrical p;\nanalog begin\n" + statement +
                                     "\nend\nendmodule\n");
    RunResult r = run_zelkpp(dir.path(), {"t.va"});
    EXPECT_EQ(r.status, 0) << r.err;
    return read_file(dir.file("debug_zelk"));
}

}  // namespace

TEST(Grouping, ConditionalGroupsToTheLeft) {
    // (a ? b : c) ? d : e: the second conditional takes the first as its
    // condition, so its first operand already holds "a?b:c".
    std::vector<std::string> ifs = lines_with(translate_trace("x = a ? b : c ? d : e;"), "exp   'IF'");
    ASSERT_EQ(ifs.size(), 2u);
    EXPECT_NE(ifs[0].find("'a''a'"), std::string::npos) << ifs[0];
    EXPECT_NE(ifs[1].find("'a''a?b:c'"), std::string::npos) << ifs[1];
}

TEST(Grouping, PowerGroupsToTheRightAndAboveNegation) {
    std::vector<std::string> pows = lines_with(translate_trace("x = -a ^ b ^ c;"), "=>  '^'");
    ASSERT_EQ(pows.size(), 2u);
    // b ^ c is reduced first, then a ^ (b ^ c); the negation comes last.
    EXPECT_NE(pows[0].find("$1='b',b' $3='c',c'"), std::string::npos) << pows[0];
    EXPECT_NE(pows[1].find("$1='a',a' $3='b',pow(b,c)'"), std::string::npos) << pows[1];
}

TEST(Grouping, RelationalOperatorsShareOneLevel) {
    // a && b < c is (a && b) < c: the "<" sees the "&&" result on its left.
    std::vector<std::string> rel = lines_with(translate_trace("x = a && b < c;"), "exp   '");
    ASSERT_EQ(rel.size(), 2u);
    EXPECT_NE(rel[0].find("'&&'"), std::string::npos) << rel[0];
    EXPECT_NE(rel[1].find("'<'"), std::string::npos) << rel[1];
    EXPECT_NE(rel[1].find("'a''a&&b'"), std::string::npos) << rel[1];
}
