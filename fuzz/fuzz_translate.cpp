// Fuzz target: one whole translation of arbitrary bytes taken as the input
// file, in process: the driver's own zelk_translate(), which runs everything
// up to the external stages (trace, built-in table, parse, closing comment,
// derivative file, parameter file).
//
// Between inputs zelk_reset_translation() puts every module-wide list, flag,
// index and the scanner back to their start state, so each input is
// translated exactly as a fresh process would translate it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/trace.h"
#include "driver/pipeline.h"
#include "output/side_files.h"
#include "translate/reset.h"

namespace {

const char *const kInputName = "fuzz.va";
std::string g_scratch;

// Removes the scratch directory when the fuzzer ends normally; after a
// finding it stays, with the files of the last run.
void remove_scratch_dir() {
    std::remove((g_scratch + "/debug_zelk").c_str());
    std::remove((g_scratch + "/fuzz.va").c_str());
    std::remove((g_scratch + "/fuzz.va.vacpp").c_str());
    rmdir(g_scratch.c_str());
}

// All files of a run go to one scratch directory, in memory when the
// machine has /dev/shm.
void enter_scratch_dir() {
    const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string tmpl = std::string(base) + "/zelkfuzz.XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()) || chdir(buf.data()) != 0) {
        std::perror("zelk fuzz: scratch directory");
        std::abort();
    }
    g_scratch = buf.data();
    std::atexit(remove_scratch_dir);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    enter_scratch_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    zelk_reset_translation();
    // The scanner reads the bytes as they are, NUL bytes included.
    FILE *in = std::fopen(kInputName, "wb");
    if (!in) std::abort();
    if (size) std::fwrite(data, 1, size, in);
    std::fclose(in);

    std::string program = "zelkpp", input = kInputName;
    char *argv[] = {&program[0], &input[0], nullptr};
    zelk_translate(2, argv);
    // The side files are named after the module.
    std::remove((std::string(zelk_output_stem()) + ".deriv").c_str());
    std::remove((std::string(zelk_output_stem()) + ".param").c_str());
    ztrace_close();
    return 0;
}
