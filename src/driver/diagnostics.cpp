#include "driver/diagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "driver/trace.h"
#include "symbols/state.h"

extern char *yytext;

int zelkyyerror(const char *message) {
    ++ZelkCurErrNumber;
    std::fprintf(stderr, "!! Error: %s ??: Unexpected '%s' in line number:%d near:'%s'.\n", message,
                 zs(yytext), ZelkCurLineNumber, zs(ZelkCurSymName));
    std::fflush(stderr);
    ztrace("!! Error: %s in line number:%d near:'%s'.\n", message, ZelkCurLineNumber,
           zs(ZelkCurSymName));
    return 0;
}

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

const char *zelk_parser_message(const char *message) {
    // The parser generator calls a full stack "memory exhausted".
    if (std::strcmp(message, "memory exhausted") == 0) return "parser stack overflow";
    return message;
}
