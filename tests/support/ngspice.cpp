#include "support/ngspice.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace zelktest {

namespace {

RunResult sh(const std::string &dir, const std::string &command, const std::string &home) {
    return run(dir, {"/bin/sh", "-c", command}, "", {{"HOME", home}});
}

}  // namespace

bool have_ngspice() { return sh("/", "command -v ngspice >/dev/null 2>&1", "/").status == 0; }

bool ngspice_loads_osdi() {
    static const bool loads = [] {
        if (!have_ngspice()) return false;
        TempDir dir;
        // Without OSDI the command is unknown; with it, the missing file is
        // reported and nothing else happens.
        RunResult r = run_ngspice(dir.path(), "* probe\n" + spice_control("osdi " + dir.file("none.osdi")) + ".end\n",
                                  {}, 60);
        return r.err.find("no such command") == std::string::npos &&
               r.out.find("no such command") == std::string::npos;
    }();
    return loads;
}

std::string spice_control(const std::string &commands) {
    return ".control\nset wr_singlescale\nset numdgt=17\nset num_threads=1\n" + commands + "\nquit 0\n.endc\n";
}

RunResult run_ngspice(const std::string &dir, const std::string &deck, const std::vector<std::string> &outputs,
                      int seconds) {
    for (const std::string &out : outputs) unlink((dir + "/" + out).c_str());
    write_file(dir + "/deck.cir", deck);
    RunResult r = sh(dir, "exec timeout -k 5 " + std::to_string(seconds) + " ngspice -b deck.cir", dir);
    if (r.status == 124)
        ADD_FAILURE() << "ngspice ran longer than " << seconds << " s\n" << r.out << r.err;
    else if (r.status > 124)
        ADD_FAILURE() << "ngspice crashed or was stopped (status " << r.status << ")\n" << r.out << r.err;
    return r;
}

std::vector<std::vector<double>> number_rows(const std::string &text) {
    std::vector<std::vector<double>> rows;
    for (const std::string &line : lines_of(text)) {
        std::istringstream words(line);
        std::vector<double> row;
        std::string w;
        while (words >> w) row.push_back(std::strtod(w.c_str(), nullptr));
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

std::vector<std::vector<double>> spice_rows(const std::string &dir, const std::string &file, const RunResult &run) {
    bool exists = false;
    std::string text = read_file(dir + "/" + file, &exists);
    EXPECT_TRUE(exists) << "ngspice wrote no " << file << "\n" << run.out << run.err;
    return number_rows(text);
}

}  // namespace zelktest
