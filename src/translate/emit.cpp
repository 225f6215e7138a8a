#include "translate/emit.h"

#include <cstdarg>
#include <cstdio>

#include "symbols/state.h"

void zout(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(yyout, fmt, ap);
    va_end(ap);
}

void zout_text(const char *text) { std::fputs(text, yyout); }

void zout_indent() { std::fprintf(yyout, "%*c", ZelkPrintLevel, ' '); }

void zout_line_break() { std::fputs(ZelkDefineOn == 1 ? "\\\n" : "\n", yyout); }

void zout_line_marker() {
    if (ZelkDefineOn < 1 && ZelkPrintN0line)
        std::fprintf(yyout, "\n#line  %d  \"%s\" ", ZelkCurLineNumber, ZelkInCppFileName);
}

std::string zfmt(const char *fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(ap2);
        return std::string();
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(ap2);
        return std::string(small, static_cast<size_t>(n));
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), fmt, ap2);
    va_end(ap2);
    out.resize(static_cast<size_t>(n));
    return out;
}

long zid(const zelksymrec *rec) { return rec ? rec->id : 0L; }
const char *zname(const zelksymrec *rec) { return rec && rec->name ? rec->name : "(null)"; }
const char *zval(const zelksymrec *rec) { return rec && rec->val ? rec->val : "(null)"; }
int ztype(const zelksymrec *rec) { return rec ? rec->type : 0; }
