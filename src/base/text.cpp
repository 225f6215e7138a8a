#include "base/text.h"

#include <cstdarg>

#include "base/format.h"

std::string zfmt(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = zvformat(fmt, ap);
    va_end(ap);
    return text;
}
