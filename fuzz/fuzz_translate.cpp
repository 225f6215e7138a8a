// Fuzz target: one whole translation of arbitrary bytes taken as the input
// file, in process, as the driver runs it up to the external stages: trace,
// built-in table, parse, closing comment, derivative file, parameter file.
//
// The driver itself is not used because it ends the process on most paths.
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
#include "grammar/parser.h"
#include "output/side_files.h"
#include "scanner/scanner.h"
#include "symbols/state.h"
#include "symbols/symtab.h"
#include "translate/reset.h"

namespace {

const char *const kInputName = "fuzz.va";
std::string g_scratch;

// Removes the scratch directory when the fuzzer ends normally; after a
// finding it stays, with the files of the last run.
void remove_scratch_dir() {
    std::remove((g_scratch + "/debug_zelk").c_str());
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
    if (!ztrace_open("debug_zelk")) std::abort();
    szelkinit_table();

    // The scanner reads the bytes as they are, NUL bytes included.
    std::vector<char> text(data, data + size);
    FILE *in = fmemopen(size ? text.data() : nullptr, size, "r");
    if (!in) in = std::fopen("/dev/null", "r");
    yyin = in;
    ZelkInCppFileName = zelk_strdup(kInputName);
    ZelkOutCppFileName = zelk_strdup("fuzz.va.vacpp");
    yyout = std::fopen(ZelkOutCppFileName, "w");
    if (!yyout) std::abort();
    zelk_set_default_stem("fuzz");

    std::fprintf(yyout, "\n/* Start of C file from '%s' */ \n", ZelkInCppFileName);
    yyparse();
    std::fprintf(yyout, "\n\n/* End of C file from '%s' */ \n", ZelkInCppFileName);

    // The side files are named after the module.  A name too long for the
    // file system makes the writer end the process on purpose (the run's
    // status 1), which is not a fault: skip them for such names.
    std::string stem = zelk_output_stem();
    if (stem.size() <= 200) {
        szelkName_deriv_file();
        szelkName_param_file();
        std::remove((stem + ".deriv").c_str());
        std::remove((stem + ".param").c_str());
    }

    std::fclose(yyout);
    yyout = nullptr;
    std::fclose(in);
    yyin = nullptr;
    ztrace_close();
    return 0;
}
