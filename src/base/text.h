// Text helpers shared by the trace, the messages and the generated C.
#pragma once

#include <string>

#include "base/format.h"

// A text that may be null, as the C library's printf shows it: "(null)".
// The trace, the messages and the generated C all show a missing text this
// way (a parameter without range, for instance, has "(null)" bounds).
inline const char *ztext(const char *text) { return text ? text : "(null)"; }

// printf into a string of any length.
std::string zfmt(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// A value text as the trace records of expressions, argument lists and
// symbol lookups show it.  Those records show the text of the operands they
// combine, so a nested expression would repeat its inner text at every
// level and make the trace grow with the square of the nesting; a text
// longer than the design's 512-byte working buffers is therefore cut there
// and marked "...", which no ordinary model reaches.
class ZTraceText {
public:
    static constexpr size_t kMax = ZCut::kMax;
    explicit ZTraceText(const char *text);
    const char *c_str() const { return cut_.empty() ? text_ : cut_.c_str(); }

private:
    const char *text_;
    std::string cut_;
};
