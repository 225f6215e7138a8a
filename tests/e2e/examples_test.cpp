// Every example model has a golden case whose input is that very model, so
// that a change to an example shows up as a change of its reviewed output.
#include <gtest/gtest.h>

#include "support/harness.h"

using namespace zelktest;

TEST(Examples, EachHasAnIdenticalGoldenCase) {
    const std::string examples = std::string(ZELK_SOURCE_DIR) + "/examples";
    const std::string cases = std::string(ZELK_SOURCE_DIR) + "/tests/golden/cases";
    int seen = 0;
    for (const std::string &name : list_dir(examples)) {
        if (name.size() < 4 || name.compare(name.size() - 3, 3, ".va") != 0) continue;
        ++seen;
        std::string stem = name.substr(0, name.size() - 3);
        bool exists = false;
        std::string copy = read_file(cases + "/example_" + stem + "/" + name, &exists);
        ASSERT_TRUE(exists) << "no golden case example_" << stem << " for examples/" << name;
        EXPECT_EQ(copy, read_file(examples + "/" + name))
            << "tests/golden/cases/example_" << stem << "/" << name << " differs from examples/" << name;
    }
    EXPECT_GE(seen, 6);
}
