// Running ngspice in batch mode the way every comparison test must: in its
// own HOME (a user's ~/.spiceinit would change options), for a bounded time
// (a failing DC sweep can fall back to an operating point found by a long
// transient), and judged by the result files it writes, since `ngspice -b`
// exits with 0 even when an analysis fails.
#pragma once

#include <string>
#include <vector>

#include "support/harness.h"

namespace zelktest {

bool have_ngspice();
// ngspice knows the osdi command (OSDI modules can be loaded).
bool ngspice_loads_osdi();

#define REQUIRE_OSDI_NGSPICE()                                                                           \
    do {                                                                                                 \
        if (!zelktest::ngspice_loads_osdi())                                                             \
            GTEST_SKIP() << "no ngspice that loads OSDI modules (tools/install-ngspice.sh)";           \
    } while (0)

// A .control block running `commands` with full precision in wrdata (17
// digits, one scale column), one thread, then quitting.
std::string spice_control(const std::string &commands);

// Writes `deck` to dir/deck.cir, removes the result files `outputs` an
// earlier run may have left, and runs ngspice on it for at most `seconds`.
// A crash or a time-out is a test failure.
RunResult run_ngspice(const std::string &dir, const std::string &deck, const std::vector<std::string> &outputs,
                      int seconds = 120);

// Whitespace-separated numbers of each non-empty line of `text`.
std::vector<std::vector<double>> number_rows(const std::string &text);

// The numbers of result file dir/`file`, one row per line; a test failure
// showing ngspice's output when the file is missing.
std::vector<std::vector<double>> spice_rows(const std::string &dir, const std::string &file, const RunResult &run);

}  // namespace zelktest
