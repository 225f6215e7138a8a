#include "translate/emit.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/format.h"
#include "symbols/state.h"

void zout_bytes(const char *text, size_t len) {
#ifdef __GLIBC__
    // Straight into the stream's buffer while it has room, as glibc's
    // putc_unlocked does: fwrite costs more than the copy for the short
    // pieces written here.
    if (static_cast<size_t>(yyout->_IO_write_end - yyout->_IO_write_ptr) >= len) {
        std::memcpy(yyout->_IO_write_ptr, text, len);
        yyout->_IO_write_ptr += len;
        return;
    }
#endif
    std::fwrite(text, 1, len, yyout);
}

void zout_spill(ZSink &sink, size_t) {
    char *start = static_cast<char *>(sink.owner);
    zout_bytes(start, static_cast<size_t>(sink.pos - start));
    sink.pos = start;
}

// Formatted on the stack and handed to the stream in one piece, which costs
// far less than the C library's own printf.
void zout(const char *fmt, ...) {
    char buf[1024];
    ZSink sink{buf, buf + sizeof buf, zout_spill, buf};
    va_list ap;
    va_start(ap, fmt);
    zformat(sink, fmt, ap);
    va_end(ap);
    zout_spill(sink, 0);
}

void zout_text(const char *text) { zout_bytes(text, std::strlen(text)); }

void zout_line_break() {
    if (ZelkDefineOn == 1)
        zout_bytes("\\\n", 2);
    else
        zout_bytes("\n", 1);
}

ZSpaces zout_indent() {
    // A negative width pads on the other side: blanks all the same.
    long width = ZelkPrintLevel < 0 ? -static_cast<long>(ZelkPrintLevel) : ZelkPrintLevel;
    return ZSpaces{static_cast<size_t>(width > 1 ? width : 1)};
}

void zout_line_marker() {
    if (ZelkDefineOn < 1 && ZelkPrintN0line)
        zout_parts("\n#line  ", ZelkCurLineNumber, "  \"", ZText{ZelkInCppFileName}, "\" ");
}

long zid(const zelksymrec *rec) { return rec ? rec->id : 0L; }
const char *zname(const zelksymrec *rec) { return rec && rec->name ? rec->name : "(null)"; }
const char *zval(const zelksymrec *rec) { return rec && rec->val ? rec->val : "(null)"; }
int ztype(const zelksymrec *rec) { return rec ? rec->type : 0; }
ZTraceText zval_cut(const zelksymrec *rec) { return ZTraceText(rec ? rec->val : nullptr); }
