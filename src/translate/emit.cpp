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

void zout_line_break() { std::fputs(ZelkDefineOn == 1 ? "\\\n" : "\n", yyout); }

void zout_line_marker() {
    if (ZelkDefineOn < 1 && ZelkPrintN0line)
        std::fprintf(yyout, "\n#line  %d  \"%s\" ", ZelkCurLineNumber, ZelkInCppFileName);
}

long zid(const zelksymrec *rec) { return rec ? rec->id : 0L; }
const char *zname(const zelksymrec *rec) { return rec && rec->name ? rec->name : "(null)"; }
const char *zval(const zelksymrec *rec) { return rec && rec->val ? rec->val : "(null)"; }
int ztype(const zelksymrec *rec) { return rec ? rec->type : 0; }
ZTraceText zval_cut(const zelksymrec *rec) { return ZTraceText(rec ? rec->val : nullptr); }
