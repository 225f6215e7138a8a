// The driver's helpers for handing names to the shell and for the status
// file the stages report through.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "driver/pipeline.h"
#include "support/harness.h"

using zelktest::TempDir;

// Names of letters, digits and "_ . / + -" stay as they are; any other is
// quoted as one shell word.
TEST(ShellWord, QuotesWhatTheShellWouldSplitOrExpand) {
    const struct {
        const char *name, *word;
    } cases[] = {
        {"res.va", "res.va"}, {"dir/sub-dir/model_2.va.vacpp", "dir/sub-dir/model_2.va.vacpp"},
        {"a+b.va", "a+b.va"}, {"a b;touch PWNED.va", "'a b;touch PWNED.va'"},
        {"a$beq.cpp", "'a$beq.cpp'"}, {"it's.va", "'it'\\''s.va'"}, {"`x`", "'`x`'"}, {"", "''"},
    };
    for (const auto &c : cases) EXPECT_EQ(zelk_shell_word(c.name), c.word) << c.name;
}

TEST(StatusFile, CreatesAMissingFileAndAcceptsOurOwn) {
    TempDir dir;
    std::string path = dir.file("Zelk1");
    ASSERT_TRUE(zelk_prepare_status_file(path));
    struct stat st;
    ASSERT_EQ(lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    // A stale file of ours from an earlier process with the same id is fine.
    EXPECT_TRUE(zelk_prepare_status_file(path));
}

TEST(StatusFile, RefusesLinksOtherFilesAndOtherOwners) {
    TempDir dir;
    std::string target = dir.file("target");
    zelktest::write_file(target, "keep me\n");

    std::string link = dir.file("Zelk2");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(zelk_prepare_status_file(link));
    std::string dangling = dir.file("Zelk3");
    ASSERT_EQ(symlink(dir.file("nowhere").c_str(), dangling.c_str()), 0);
    EXPECT_FALSE(zelk_prepare_status_file(dangling));
    EXPECT_FALSE(zelktest::file_exists(dir.file("nowhere")));

    // A second name of another file of ours: the stage would overwrite it.
    std::string hard = dir.file("Zelk7");
    ASSERT_EQ(::link(target.c_str(), hard.c_str()), 0);
    EXPECT_FALSE(zelk_prepare_status_file(hard));

    std::string subdir = dir.file("Zelk4");
    ASSERT_EQ(mkdir(subdir.c_str(), 0755), 0);
    EXPECT_FALSE(zelk_prepare_status_file(subdir));

    std::string fifo = dir.file("Zelk5");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(zelk_prepare_status_file(fifo));

    if (geteuid() == 0) {
        std::string foreign = dir.file("Zelk6");
        zelktest::write_file(foreign, "0\n");
        ASSERT_EQ(chown(foreign.c_str(), 4242, 4242), 0);
        EXPECT_FALSE(zelk_prepare_status_file(foreign));
    }
    EXPECT_EQ(zelktest::read_file(target), "keep me\n");
}

TEST(OutputStem, InputWithoutModuleNamesTheOutputsAfterItsBaseName) {
    const struct {
        const char *input, *stem;
    } cases[] = {
        {"res.va", "res"}, {"models/diode.v1.va", "diode.v1"}, {"noext", "noext"},
        {"dir/.va", ".va"}, {"dir/", "zelk"},
    };
    for (const auto &c : cases) EXPECT_EQ(zelk_stem_without_module(c.input), c.stem) << c.input;
}
