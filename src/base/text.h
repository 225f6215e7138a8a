// Text helpers shared by the trace, the messages and the generated C.
#pragma once

#include <string>

// A text that may be null, as the C library's printf shows it: "(null)".
// The trace, the messages and the generated C all show a missing text this
// way (a parameter without range, for instance, has "(null)" bounds).
inline const char *ztext(const char *text) { return text ? text : "(null)"; }

// printf into a string of any length.
std::string zfmt(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
