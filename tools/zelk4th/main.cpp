// zelk4th IN OUT: the fourth stage of the translation pipeline.
//
// Reads "<module>eq.cpp" (the preprocessed translator output) with the side
// files "<module>.deriv" and "<module>.param" beside it, and writes OUT, a
// self-contained C99 file that computes the model's currents, charges and
// their derivatives.  On any error OUT is not left behind.
#include <cstdio>
#include <cstring>
#include <cerrno>

#include "diag.h"
#include "translate.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelk4th IN OUT\n");
        return 1;
    }
    const char *in_name = argv[1];
    const char *out_name = argv[2];
    zelk4th::Output result;
    try {
        result = zelk4th::translate_file(in_name);
    } catch (const zelk4th::Error &e) {
        std::fprintf(stderr, "zelk4th: %s\n", e.what());
        std::remove(out_name);
        return 2;
    }
    for (const std::string &w : result.warnings) std::fprintf(stderr, "zelk4th: %s\n", w.c_str());
    FILE *out = std::fopen(out_name, "wb");
    if (!out) {
        std::fprintf(stderr, "zelk4th: cannot write '%s': %s\n", out_name, std::strerror(errno));
        std::remove(out_name);
        return 2;
    }
    bool ok = std::fwrite(result.text.data(), 1, result.text.size(), out) == result.text.size();
    if (std::fclose(out) != 0) ok = false;
    if (!ok) {
        std::fprintf(stderr, "zelk4th: failed to write '%s'\n", out_name);
        std::remove(out_name);
        return 2;
    }
    return 0;
}
