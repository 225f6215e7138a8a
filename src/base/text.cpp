#include "base/text.h"

#include <cstdarg>
#include <cstring>

#include "base/format.h"

std::string zfmt(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = zvformat(fmt, ap);
    va_end(ap);
    return text;
}

ZTraceText::ZTraceText(const char *text) : text_(ztext(text)) {
    if (strnlen(text_, kMax + 1) > kMax) cut_ = std::string(text_, kMax) + "...";
}
