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

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/harness.h"

using zelktest::file_exists;
using zelktest::list_dir;
using zelktest::read_file;
using zelktest::RunResult;
using zelktest::TempDir;

namespace {

const std::string kBuild = ZELK_BUILD_DIR;
const std::string kSource = ZELK_SOURCE_DIR;

// A value of the build's CMakeCache.txt, "" when absent.
std::string cache_value(const std::string &name) {
    std::istringstream in(read_file(kBuild + "/CMakeCache.txt"));
    std::string line;
    while (std::getline(in, line)) {
        size_t colon = line.find(':');
        size_t eq = line.find('=');
        if (colon != std::string::npos && eq != std::string::npos && colon < eq &&
            line.compare(0, colon, name) == 0 && colon == name.size())
            return line.substr(eq + 1);
    }
    return std::string();
}

// The full path of a program on PATH, "" when there is none.
std::string which(const std::string &name) {
    const char *path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::string();
}

bool is_executable_file(const std::string &path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool manpages_built() {
    std::string v = cache_value("ZELK_MANPAGES");
    return v.empty() || (v != "OFF" && v != "0" && v != "FALSE" && v != "NO");
}

// The example models, headers and circuits of the source tree, which must
// all be installed.
std::vector<std::string> source_examples() {
    std::vector<std::string> names;
    for (const std::string &name : list_dir(kSource + "/examples")) {
        size_t dot = name.rfind('.');
        std::string ext = dot == std::string::npos ? "" : name.substr(dot);
        if (ext == ".va" || ext == ".vams" || ext == ".cir") names.push_back(name);
    }
    return names;
}

// Checks the files of an installed tree: `bin` and `share` are its bin/ and
// share/ folders.
void expect_installed_layout(const std::string &bin, const std::string &share) {
    EXPECT_TRUE(is_executable_file(bin + "/zelkpp"));
    EXPECT_TRUE(is_executable_file(bin + "/zelk4th"));
    std::vector<std::string> examples = source_examples();
    EXPECT_FALSE(examples.empty());
    for (const std::string &name : examples) {
        bool exists = false;
        std::string installed = read_file(share + "/doc/zelkpp/examples/" + name, &exists);
        EXPECT_TRUE(exists) << "example not installed: " << name;
        EXPECT_EQ(installed, read_file(kSource + "/examples/" + name)) << name;
    }
    EXPECT_EQ(read_file(share + "/doc/zelkpp/guide.md"), read_file(kSource + "/docs/guide.md"));
    if (manpages_built()) {
        for (const char *page : {"zelkpp.1", "zelk4th.1"}) {
            std::string roff = read_file(share + "/man/man1/" + page);
            EXPECT_NE(roff.find(".TH \""), std::string::npos) << page << " is not a roff page";
        }
    }
}

// Renders an installed manual page with man(1) the way a user would read it
// with `man -l`.
void expect_page_shows(const std::string &page, const std::vector<std::string> &texts) {
    std::string man = which("man");
    if (man.empty()) {
        ADD_FAILURE() << "man(1) is not installed; cannot show " << page;
        return;
    }
    TempDir dir;
    RunResult r = zelktest::run(dir.path(), {man, "-l", "-P", "cat", page}, "",
                                {{"MANWIDTH", "80"}, {"MANPAGER", "cat"}, {"PAGER", "cat"}});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const std::string &text : texts)
        EXPECT_NE(r.out.find(text), std::string::npos) << page << " does not show: " << text;
}

struct Translation {
    RunResult run;
    std::string vacpp, param, deriv, final_c;
    bool final_exists = false;
    RunResult compile;  // the final C file through the strictest C compiler flags
    RunResult osdi;     // zelk4th --osdi: the simulator module and its source
    std::string osdi_c;
    bool module_exists = false;
};

// Copies the resistor example (from `examples`) into a fresh directory and
// translates it with the programs of `bin` first on PATH, with the system's
// cpp.
Translation translate_res(const std::string &examples, const std::string &bin) {
    TempDir dir;
    for (const char *name : {"res.va", "disciplines.vams"})
        zelktest::write_file(dir.file(name), read_file(examples + "/" + name));
    Translation t;
    t.run = zelktest::run(dir.path(), {bin + "/zelkpp", "res.va"}, bin);
    t.vacpp = read_file(dir.file("res.va.vacpp"));
    t.param = read_file(dir.file("res.param"));
    t.deriv = read_file(dir.file("res.deriv"));
    t.final_c = read_file(dir.file("reseq.c"), &t.final_exists);
    if (t.final_exists)
        t.compile = zelktest::run(dir.path(),
                                  {"/bin/sh", "-c", "gcc -std=c99 -Wall -Wextra -Werror -c reseq.c"});
    t.osdi = zelktest::run(dir.path(), {bin + "/zelk4th", "--osdi", "reseq.cpp", "res.osdi"});
    t.osdi_c = read_file(dir.file("res.osdi.c"));
    t.module_exists = file_exists(dir.file("res.osdi"));
    return t;
}

// The installed programs must do what the build tree's programs do.
void expect_translates_like_build_tree(const std::string &examples, const std::string &bin) {
    Translation want = translate_res(kSource + "/examples", kBuild);
    ASSERT_EQ(want.run.status, 0) << "the build tree cannot translate res.va: " << want.run.err;
    Translation got = translate_res(examples, bin);
    EXPECT_EQ(got.run.status, 0) << got.run.err;
    EXPECT_EQ(got.run.err, "");
    ASSERT_TRUE(got.final_exists) << "no reseq.c was written";
    EXPECT_EQ(got.compile.status, 0) << got.compile.err;
    EXPECT_EQ(got.final_c, want.final_c);
    EXPECT_EQ(got.osdi.status, 0) << got.osdi.err;
    EXPECT_TRUE(got.module_exists);
    EXPECT_EQ(got.osdi_c, want.osdi_c);
    EXPECT_EQ(got.vacpp, want.vacpp);
    EXPECT_EQ(got.param, want.param);
    EXPECT_EQ(got.deriv, want.deriv);
}

TEST(Install, EmptyPrefixGetsProgramsPagesAndExamplesThatWork) {
    std::string cmake = cache_value("CMAKE_COMMAND");
    ASSERT_FALSE(cmake.empty());
    TempDir tmp;
    std::string prefix = tmp.file("prefix");
    RunResult r = zelktest::run(tmp.path(), {cmake, "--install", kBuild, "--prefix", prefix});
    ASSERT_EQ(r.status, 0) << r.out << r.err;

    expect_installed_layout(prefix + "/bin", prefix + "/share");
    if (manpages_built()) {
        expect_page_shows(prefix + "/share/man/man1/zelkpp.1",
                          {"zelkpp - translate a Verilog-A device model", "SYNOPSIS", "FILES",
                           "STAGES", "PATH", "EXIT STATUS", "TRACE FILE", "debug_zelk",
                           "EXAMPLES"});
        expect_page_shows(prefix + "/share/man/man1/zelk4th.1",
                          {"zelk4th - ", "SYNOPSIS", "EXIT STATUS", "EXAMPLES"});
    }
    expect_translates_like_build_tree(prefix + "/share/doc/zelkpp/examples", prefix + "/bin");
}

TEST(DebianPackage, UnpacksAndTranslatesAnInstalledExample) {
    std::string cpack = cache_value("CMAKE_CPACK_COMMAND");
    if (cpack.empty()) cpack = which("cpack");
    ASSERT_FALSE(cpack.empty());
    ASSERT_TRUE(file_exists(kBuild + "/CPackConfig.cmake"));
    std::string dpkg = which("dpkg");
    std::string dpkg_deb = which("dpkg-deb");
    ASSERT_FALSE(dpkg.empty());
    ASSERT_FALSE(dpkg_deb.empty());

    TempDir tmp;
    std::string out = tmp.file("pkg");
    RunResult r = zelktest::run(
        kBuild, {cpack, "-G", "DEB", "--config", kBuild + "/CPackConfig.cmake", "-B", out});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    std::vector<std::string> debs;
    for (const std::string &name : list_dir(out))
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".deb") == 0) debs.push_back(name);
    ASSERT_EQ(debs.size(), 1u) << "cpack wrote " << debs.size() << " packages";
    std::string deb = out + "/" + debs[0];

    // The package names itself and asks for the preprocessor the first
    // stage runs.
    RunResult fields = zelktest::run(tmp.path(), {dpkg_deb, "-f", deb, "Package", "Depends"});
    ASSERT_EQ(fields.status, 0) << fields.err;
    EXPECT_NE(fields.out.find("Package: zelkpp\n"), std::string::npos) << fields.out;
    std::vector<std::string> depends;
    size_t at = fields.out.find("Depends:");
    if (at != std::string::npos) {
        std::istringstream list(fields.out.substr(at + 8, fields.out.find('\n', at) - at - 8));
        std::string item;
        while (std::getline(list, item, ',')) {
            size_t b = item.find_first_not_of(' ');
            if (b != std::string::npos) depends.push_back(item.substr(b, item.find(' ', b) - b));
        }
    }
    EXPECT_NE(std::find(depends.begin(), depends.end(), "cpp"), depends.end()) << fields.out;

    std::string root = tmp.file("root");
    RunResult x = zelktest::run(tmp.path(), {dpkg, "-x", deb, root});
    ASSERT_EQ(x.status, 0) << x.err;
    expect_installed_layout(root + "/usr/bin", root + "/usr/share");
    expect_translates_like_build_tree(root + "/usr/share/doc/zelkpp/examples", root + "/usr/bin");
}

}  // namespace
