// The checked output files: whatever the length, a file that can be
// written comes out whole and its close reports no failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/output_file.h"
#include "support/harness.h"

TEST(OutputFile, EveryLengthComesOutWhole) {
    zelktest::TempDir dir;
    for (size_t buffer : {size_t(16), size_t(64 * 1024)}) {
        for (size_t len : {size_t(0), size_t(1), size_t(2), size_t(15), size_t(16), size_t(17),
                           size_t(65535), size_t(65536), size_t(65537), size_t(3 * 65536 + 1)}) {
            std::string what = std::to_string(len) + " bytes, buffer " + std::to_string(buffer);
            std::string text;
            for (size_t i = 0; i < len; ++i) text += static_cast<char>('a' + i % 26);
            std::string path = dir.file("out");
            FILE *f = zelk_output_open(path.c_str(), buffer);
            ASSERT_NE(f, nullptr) << what;
            // In pieces of 7, so that the buffer fills at every offset.
            for (size_t at = 0; at < len; at += 7)
                std::fwrite(text.data() + at, 1, std::min<size_t>(7, len - at), f);
            EXPECT_TRUE(zelk_output_close(f)) << what;
            EXPECT_EQ(zelktest::read_file(path), text) << what;
        }
    }
}
