// tools/install-ngspice.sh derives the backports entry from the machine's own
// Debian apt source entry (deb822 or one-line format), changing only its
// suite; shown with --dry-run on made-up apt directories.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/harness.h"

using namespace zelktest;

namespace {

struct AptCase {
    const char *name;
    std::vector<std::pair<std::string, std::string>> files;  // path under the apt directory, content
    int status;
    std::string out;  // standard output of --dry-run
};

const std::string kMain =
    "Types: deb\n# where the mirror came from\nURIs: file:/srv/mirror/debian\nSuites: bookworm bookworm-updates\n"
    "Components: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n";
const std::string kSecurity =
    "Types: deb\nURIs: file:/srv/mirror/debian-security\nSuites: bookworm-security\nComponents: main\n";

const AptCase kCases[] = {
    {"deb822, the release's stanza first",
     {{"sources.list.d/debian.sources", kMain + "\n" + kSecurity}},
     0,
     "zelkpp-bookworm-backports.sources: Types: deb\n  # where the mirror came from\n"
     "  URIs: file:/srv/mirror/debian\n  Suites: bookworm-backports\n  Components: main\n"
     "  Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n"},
    {"deb822, a disabled stanza and the security suite skipped",
     {{"sources.list.d/debian.sources",
       kSecurity + "\nTypes: deb\nURIs: file:/old\nSuites: bookworm\nEnabled: no\n\n" +
           "Types: deb deb-src\nURIs: file:/srv/m\nSuites: bookworm\nComponents: main contrib\n"}},
     0,
     "zelkpp-bookworm-backports.sources: Types: deb\n  URIs: file:/srv/m\n  Suites: bookworm-backports\n"
     "  Components: main contrib\n"},
    {"one-line entry with options",
     {{"sources.list",
       "# deb file:/commented bookworm main\ndeb file:/srv/sec bookworm-security main\n"
       "deb [arch=amd64 signed-by=/k.gpg] file:/srv/m bookworm main non-free-firmware\n"}},
     0,
     "zelkpp-bookworm-backports.list: deb [arch=amd64 signed-by=/k.gpg] file:/srv/m bookworm-backports main "
     "non-free-firmware\n"},
    {"backports already configured",
     {{"sources.list", "deb file:/srv/m bookworm main\n"},
      {"sources.list.d/bp.list", "deb file:/srv/m bookworm-backports main\n"}},
     0,
     ""},
    {"backports already configured in deb822",
     {{"sources.list.d/debian.sources", kMain + "\nTypes: deb\nURIs: file:/srv/m\nSuites: bookworm-backports\n"}},
     0,
     ""},
    {"no entry for the release", {{"sources.list", "deb file:/srv/m trixie main\n"}}, 1, ""},
};

TEST(InstallNgspice, DerivesTheBackportsEntry) {
    for (const AptCase &c : kCases) {
        TempDir dir;
        mkdir(dir.file("sources.list.d").c_str(), 0755);
        for (const auto &f : c.files) write_file(dir.file(f.first), f.second);
        RunResult r = run(dir.path(), {"/bin/sh", std::string(ZELK_SOURCE_DIR) + "/tools/install-ngspice.sh", "--dry-run"},
                          "", {{"ZELK_APT_DIR", dir.path()}, {"ZELK_CODENAME", "bookworm"}});
        EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.name;
        if (c.status != 0) EXPECT_NE(r.err.find("no Debian apt source entry for 'bookworm'"), std::string::npos) << r.err;
        // A dry run writes nothing.
        EXPECT_FALSE(file_exists(dir.file("sources.list.d/zelkpp-bookworm-backports.sources"))) << c.name;
        EXPECT_FALSE(file_exists(dir.file("sources.list.d/zelkpp-bookworm-backports.list"))) << c.name;
    }
}

}  // namespace
