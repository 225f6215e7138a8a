#include "translate/emit.h"

#include <cstdarg>
#include <cstdio>

#include "base/format.h"
#include "symbols/state.h"

namespace {

void write_out(ZSink &sink, size_t) {
    char *start = static_cast<char *>(sink.owner);
    std::fwrite(start, 1, static_cast<size_t>(sink.pos - start), yyout);
    sink.pos = start;
}

}  // namespace

// Formatted on the stack and handed to the stream in one piece, which costs
// far less than the C library's own printf.
void zout(const char *fmt, ...) {
    char buf[1024];
    ZSink sink{buf, buf + sizeof buf, write_out, buf};
    va_list ap;
    va_start(ap, fmt);
    zformat(sink, fmt, ap);
    va_end(ap);
    write_out(sink, 0);
}

void zout_text(const char *text) { std::fputs(text, yyout); }

void zout_line_break() { std::fputs(ZelkDefineOn == 1 ? "\\\n" : "\n", yyout); }

void zout_line_marker() {
    if (ZelkDefineOn < 1 && ZelkPrintN0line)
        zout("\n#line  %d  \"%s\" ", ZelkCurLineNumber, ZelkInCppFileName);
}

long zid(const zelksymrec *rec) { return rec ? rec->id : 0L; }
const char *zname(const zelksymrec *rec) { return rec && rec->name ? rec->name : "(null)"; }
const char *zval(const zelksymrec *rec) { return rec && rec->val ? rec->val : "(null)"; }
int ztype(const zelksymrec *rec) { return rec ? rec->type : 0; }
ZTraceText zval_cut(const zelksymrec *rec) { return ZTraceText(rec ? rec->val : nullptr); }
