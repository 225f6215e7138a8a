// Installing and packaging: `cmake --install` into an empty prefix and the
// Debian package built by cpack both hold the two programs, their manual
// pages, the guide and every example model, and the installed programs,
// finding each other on PATH, translate an installed example through both
// stages exactly as the programs of the build tree do, and build it into a
// simulator module.
//
// cpack runs in the build directory (it only installs what the build made
// into a staging directory under the test's own temporary directory).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

const std::string kBuild = ZELK_BUILD_DIR;
const std::string kSource = ZELK_SOURCE_DIR;

// A value of the build's CMakeCache.txt, "" when absent.
std::string cache_value(const std::string &name) {
    std::smatch m;
    std::string cache = read_file(kBuild + "/CMakeCache.txt");
    return std::regex_search(cache, m, std::regex("\n" + name + ":[A-Z]+=([^\n]*)")) ? m[1].str() : "";
}

// The full path of a program on PATH, "" when there is none.
std::string which(const std::string &name) {
    TempDir dir;
    RunResult r = run(dir.path(), {"/bin/sh", "-c", "command -v " + name});
    return r.status == 0 ? r.out.substr(0, r.out.find('\n')) : "";
}

bool manpages_built() {
    std::string v = cache_value("ZELK_MANPAGES");
    return v.empty() || (v != "OFF" && v != "0" && v != "FALSE" && v != "NO");
}

// The files of an installed tree, whose bin/ and share/ folders are given.
void expect_installed_layout(const std::string &bin, const std::string &share) {
    for (const char *p : {"/zelkpp", "/zelk4th"}) EXPECT_EQ(access((bin + p).c_str(), X_OK), 0) << p;
    int examples = 0;
    for (const std::string &name : list_dir(kSource + "/examples")) {
        if (!std::regex_search(name, std::regex("\\.(vams?|cir)$"))) continue;
        ++examples;
        EXPECT_EQ(read_file(share + "/doc/zelkpp/examples/" + name),
                  read_file(kSource + "/examples/" + name))
            << "example not installed as it is: " << name;
    }
    EXPECT_GT(examples, 0);
    EXPECT_EQ(read_file(share + "/doc/zelkpp/guide.md"), read_file(kSource + "/docs/guide.md"));
    if (!manpages_built()) return;
    // Each page renders, the way a user reads it with `man -l`.
    const struct {
        const char *page;
        std::vector<std::string> shows;
    } pages[] = {
        {"zelkpp.1", {"zelkpp - translate a Verilog-A device model", "SYNOPSIS", "FILES", "STAGES",
                      "PATH", "EXIT STATUS", "TRACE FILE", "debug_zelk", "EXAMPLES"}},
        {"zelk4th.1", {"zelk4th - ", "SYNOPSIS", "EXIT STATUS", "EXAMPLES"}},
    };
    std::string man = which("man");
    ASSERT_FALSE(man.empty()) << "man(1) is not installed";
    for (const auto &p : pages) {
        TempDir dir;
        RunResult r = run(dir.path(), {man, "-l", "-P", "cat", share + "/man/man1/" + p.page}, "",
                          {{"MANWIDTH", "80"}, {"MANPAGER", "cat"}, {"PAGER", "cat"}});
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string &text : p.shows)
            EXPECT_NE(r.out.find(text), std::string::npos) << p.page << " does not show: " << text;
    }
}

// The resistor example (from `examples`) translated with the programs of
// `bin` first on PATH and the system's cpp: every file the run writes, the
// status of compiling the final C file with the strictest flags, and the
// simulator module's source with the status of building it.
std::vector<std::string> translate_res(const std::string &examples, const std::string &bin) {
    TempDir dir;
    for (const char *name : {"res.va", "disciplines.vams"})
        write_file(dir.file(name), read_file(examples + "/" + name));
    RunResult r = run(dir.path(), {bin + "/zelkpp", "res.va"}, bin);
    RunResult cc = run(dir.path(), {"/bin/sh", "-c", "gcc -std=c99 -Wall -Wextra -Werror -c reseq.c"});
    RunResult osdi = run(dir.path(), {bin + "/zelk4th", "--osdi", "reseq.cpp", "res.osdi"});
    return {std::to_string(r.status), r.err, read_file(dir.file("res.va.vacpp")),
            read_file(dir.file("res.param")), read_file(dir.file("res.deriv")),
            read_file(dir.file("reseq.c")), std::to_string(cc.status) + cc.err,
            read_file(dir.file("res.osdi.c")),
            std::to_string(osdi.status) + osdi.err + (file_exists(dir.file("res.osdi")) ? "" : " no module")};
}

void expect_translates_like_build_tree(const std::string &examples, const std::string &bin) {
    std::vector<std::string> want = translate_res(kSource + "/examples", kBuild);
    ASSERT_EQ(want[0], "0") << "the build tree cannot translate res.va: " << want[1];
    ASSERT_EQ(want[6], "0") << "the build tree's reseq.c does not compile";
    ASSERT_EQ(want[8], "0") << "the build tree cannot build res.osdi";
    EXPECT_EQ(translate_res(examples, bin), want);
}

TEST(Install, EmptyPrefixGetsProgramsPagesAndExamplesThatWork) {
    std::string cmake = cache_value("CMAKE_COMMAND");
    ASSERT_FALSE(cmake.empty());
    TempDir tmp;
    std::string prefix = tmp.file("prefix");
    RunResult r = run(tmp.path(), {cmake, "--install", kBuild, "--prefix", prefix});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    expect_installed_layout(prefix + "/bin", prefix + "/share");
    expect_translates_like_build_tree(prefix + "/share/doc/zelkpp/examples", prefix + "/bin");
}

TEST(DebianPackage, UnpacksAndTranslatesAnInstalledExample) {
    std::string cpack = cache_value("CMAKE_CPACK_COMMAND");
    if (cpack.empty()) cpack = which("cpack");
    std::string dpkg = which("dpkg"), dpkg_deb = which("dpkg-deb");
    ASSERT_FALSE(cpack.empty() || dpkg.empty() || dpkg_deb.empty()) << "cpack, dpkg, dpkg-deb";
    ASSERT_TRUE(file_exists(kBuild + "/CPackConfig.cmake"));

    TempDir tmp;
    std::string out = tmp.file("pkg");
    RunResult r = run(kBuild, {cpack, "-G", "DEB", "--config", kBuild + "/CPackConfig.cmake", "-B", out});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> debs;
    for (const std::string &name : list_dir(out))
        if (std::regex_search(name, std::regex("\\.deb$"))) debs.push_back(out + "/" + name);
    ASSERT_EQ(debs.size(), 1u) << "cpack wrote " << debs.size() << " packages";

    // The package names itself and asks for the preprocessor the first
    // stage runs.
    RunResult fields = run(tmp.path(), {dpkg_deb, "-f", debs[0], "Package", "Depends"});
    ASSERT_EQ(fields.status, 0) << fields.err;
    EXPECT_NE(fields.out.find("Package: zelkpp\n"), std::string::npos) << fields.out;
    EXPECT_TRUE(std::regex_search(fields.out, std::regex("\nDepends:([^\n]*[ ,])?cpp( |,|\n)")))
        << fields.out;

    std::string root = tmp.file("root");
    RunResult x = run(tmp.path(), {dpkg, "-x", debs[0], root});
    ASSERT_EQ(x.status, 0) << x.err;
    expect_installed_layout(root + "/usr/bin", root + "/usr/share");
    expect_translates_like_build_tree(root + "/usr/share/doc/zelkpp/examples", root + "/usr/bin");
}

}  // namespace
