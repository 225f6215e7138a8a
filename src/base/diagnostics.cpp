#include "base/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int ZelkCurErrNumber = 0;
int ZelkCurWarnNumber = 0;

namespace {

void report(int &counter, const char *fmt, va_list ap) {
    ++counter;
    std::vfprintf(stderr, fmt, ap);
    std::fflush(stderr);
}

}  // namespace

void zelk_error(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    report(ZelkCurErrNumber, fmt, ap);
    va_end(ap);
}

void zelk_warning(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    report(ZelkCurWarnNumber, fmt, ap);
    va_end(ap);
}

void zelk_open_error(bool input, const char *name) {
    std::fprintf(stderr,
                 input ? "!! Error : Can not open the Input File:'%s' ??\n"
                       : "!! Error : Can not open the Output File:'%s' ??\n",
                 name);
}

void zelk_write_error(const char *name, int err) {
    std::fprintf(stderr, "!! Error : Can not write the Output File:'%s' (%s) ??\n", name,
                 std::strerror(err));
}
