// zelk4th IN OUT: the fourth stage of the translation pipeline.
//
// Reads "<module>eq.cpp" (the preprocessed translator output) with the side
// files "<module>.deriv" and "<module>.param" beside it, and writes OUT, a
// self-contained C99 file that computes the model's currents, charges and
// their derivatives, and beside it the header of its interface.  On any
// error neither is left behind.
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <string>

#include "diag.h"
#include "translate.h"

namespace {

// Writes `text` to `name`; false (with a message) when it cannot.
bool write_file(const std::string &name, const std::string &text) {
    FILE *out = std::fopen(name.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "zelk4th: cannot write '%s': %s\n", name.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "zelk4th: failed to write '%s'\n", name.c_str());
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zelk4th IN OUT\n");
        return 1;
    }
    const char *in_name = argv[1];
    const std::string out_name = argv[2];
    // The header beside OUT: "<module>eq.c" gives "<module>eq.h".
    const size_t n = out_name.size();
    const std::string header_name =
        (n > 2 && out_name.compare(n - 2, 2, ".c") == 0 ? out_name.substr(0, n - 2) : out_name) + ".h";
    zelk4th::Output result;
    try {
        result = zelk4th::translate_file(in_name);
    } catch (const zelk4th::Error &e) {
        std::fprintf(stderr, "zelk4th: %s\n", e.what());
        std::remove(out_name.c_str());
        std::remove(header_name.c_str());
        return 2;
    }
    for (const std::string &w : result.warnings) std::fprintf(stderr, "zelk4th: %s\n", w.c_str());
    if (!write_file(header_name, result.header) || !write_file(out_name, result.text)) {
        std::remove(out_name.c_str());
        std::remove(header_name.c_str());
        return 2;
    }
    return 0;
}
