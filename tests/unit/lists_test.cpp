// The pieces that cut and index names: the clash index kept as names
// arrive, the name-list splitter and the splitting of call arguments.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "symbols/kinds.h"
#include "symbols/lists.h"
#include "symbols/values.h"
#include "translate/calls_common.h"
#include "translate/names.h"
#include "translate/reset.h"

namespace {

class Lists : public ::testing::Test {
protected:
    void SetUp() override { zelk_reset_translation(); }
    void TearDown() override { zelk_reset_translation(); }
};

int list_size(ZelkNameKind kind) {
    const int *counts[] = {&ZelkNbParam,      &ZelkModuleNbArg, &ZelkElectrNbArg,
                           &ZelkModRealNbArg, &ZelkModIntNbArg, &ZelkModGenvNbArg};
    return *counts[kind];
}

// Adds, in a fixed pseudo-random order, names of every kind (clearing the
// ports and electrical names now and then, as module headers do) and
// compares every answer of the index with a search of the lists themselves.
TEST_F(Lists, ClashIndexAgreesWithTheListsAsNamesArrive) {
    std::mt19937 random(13);
    const char *const names[] = {"a", "b", "c", "d"};
    for (int step = 0; step < 600; ++step) {
        auto kind = static_cast<ZelkNameKind>(random() % ZK_NKINDS);
        const char *name = names[random() % 4];
        if (random() % 25 == 0 && (kind == ZK_PORT || kind == ZK_ELECTR)) {
            zelk_clear_names(kind);
        } else if (kind == ZK_PARAM) {
            ZelkParamRec p = {zelk_strdup(name), zelk_strdup("1"), 0, 0, nullptr, nullptr};
            zelk_add_parameter(p);
        } else {
            zelk_add_name(kind, name);
        }
        for (int k = 0; k < ZK_NKINDS; ++k) {
            auto x = static_cast<ZelkNameKind>(k);
            for (const char *n : names) {
                int first = -1, count = 0;
                for (int pos = 0; pos < list_size(x); ++pos)
                    if (std::string(zelk_name_at(x, pos)) == n && count++ == 0) first = pos;
                ASSERT_EQ(zelk_first_name(x, n), first) << "step " << step;
                ASSERT_EQ(zelk_name_count(x, n), count) << "step " << step;
            }
            for (ZelkNameKind other : {ZK_ELECTR, ZK_REAL, ZK_INT, ZK_GENV}) {
                if (other == x) continue;
                std::set<int> clashes;
                for (int pos = 0; pos < list_size(x); ++pos)
                    if (zelk_name_count(other, zelk_name_at(x, pos)) > 0) clashes.insert(pos);
                ASSERT_EQ(zelk_clashes(x, other), clashes)
                    << "step " << step << " " << k << "/" << other;
            }
        }
    }
}

TEST(NameList, SplitsAtEveryComma) {
    const struct {
        const char *text;
        std::vector<std::string> names;
    } cases[] = {
        {"a", {"a"}},         {"a,bc,d", {"a", "bc", "d"}}, {"", {}},   {nullptr, {}},
        {"a,", {"a"}},        {",a", {"", "a"}},            {",", {""}}, {"a,,b", {"a", "", "b"}},
        {"x y,z", {"x y", "z"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(zelk_split_names(c.text), c.names) << (c.text ? c.text : "null");
    std::string many;
    for (int i = 0; i < 3000; ++i) many += (i ? "," : "") + std::to_string(i);
    std::vector<std::string> names = zelk_split_names(many.c_str());
    ASSERT_EQ(names.size(), 3000u);
    EXPECT_EQ(names.back(), "2999");
}

// g(u, v) with v an output: arguments split at commas outside parentheses,
// output arguments passed by address, surplus ones reported.  An argument
// list built argument by argument gives its arguments as they stand when
// they are plain; any list gives what reading its text gives.
struct Written {
    std::string text;
    int errors;
    std::string err;
};

Written convert(zelksymrec *list) {
    ZelkCurErrNumber = 0;
    ::testing::internal::CaptureStderr();
    std::vector<ZelkPiece> pieces;
    std::string storage;
    zelk_call_argument_pieces(pieces, storage, 0, "g", list);
    zelksymrec *out = zelkputsym("out", TK_VAR);
    zelk_joinval(out, pieces);
    std::string err = ::testing::internal::GetCapturedStderr();
    return Written{out->val ? out->val : "", ZelkCurErrNumber, err};
}

TEST_F(Lists, CallArgumentsSplitAtTopLevelCommas) {
    zelk_add_function("g", 0);
    zelk_add_function_arg("u", false);
    zelk_add_function_arg("v", true);
    const struct {
        std::vector<const char *> args;
        const char *written;
        int errors;
    } cases[] = {
        {{"u+1", "v"}, " u+1, &(v))", 0},
        {{"k(a,b)", "(c,d)"}, " k(a,b), &((c,d)))", 0},
        {{"a"}, " a)", 0},
        {{"a", "b", "c"}, " a, &(b), c)", 1},
        {{"\"x,y\"", "z"}, " \"x, &(y\"), z)", 1},
        {{"(a", "b"}, " (a,b)", 0},
        {{"a", ""}, " a,", 0},
        {{"a("}, "", 0},
        {{"f(", "x)"}, " f(,x))", 0},
    };
    for (const auto &c : cases) {
        std::string text;
        for (const char *a : c.args) text += std::string(text.empty() ? "" : ",") + a;
        // The list as the parser builds it, and the same text alone.
        zelksymrec *list = zelkputsym("list", TK_VAR);
        zelk_setval(list, c.args[0]);
        list->nbarg = 1;
        for (size_t i = 1; i < c.args.size(); ++i) {
            zelksymrec *arg = zelkputsym("arg", TK_VAR);
            zelk_setval(arg, c.args[i]);
            zelk_append_argument(list, arg);
            list->nbarg += 1;
        }
        zelksymrec *alone = zelkputsym("alone", TK_VAR);
        zelk_setval(alone, text.c_str());
        for (zelksymrec *args : {list, alone}) {
            Written w = convert(args);
            EXPECT_EQ(w.text, c.written) << text;
            EXPECT_EQ(w.errors, c.errors) << text;
            if (c.errors)
                EXPECT_EQ(w.err, "!! Internal Error: 'g' Invalid Arg number:3 (not 2):  near 'g(" +
                                     text + ")' in line number:1 .\n");
        }
    }
}

}  // namespace
