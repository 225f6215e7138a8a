// Output conventions shared by every action that writes generated C text.
#pragma once

#include <cassert>
#include <cstring>

#include "base/format.h"
#include "base/text.h"
#include "symbols/symtab.h"

// printf into the generated file.
void zout(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// The same from pieces (see zparts_write), for the lines written for every
// statement: zout_parts(ZSpaces{2}, ZText{name}, "=", ZText{value}, " ; ").
template <class... Parts>
void zout_parts(const Parts &...parts);
void zout_text(const char *text);
void zout_bytes(const char *text, size_t len);
// The line break that starts a generated line: a backslash-newline while a
// text macro definition is open (so the definition goes on), else a newline.
void zout_line_break();
// The indentation of a generated line: what "%*c" writes for
// ZelkPrintLevel and ' '.
ZSpaces zout_indent();
// The "#line" marker, written only while no define directive is open.
void zout_line_marker();

// A record's fields as the trace, the messages and the generated C print
// them (a missing text as "(null)").  The record of a keyword token may be
// stale or, before the first name, null.
long zid(const szelksymrec *rec);
// zid(), zname() and zval() as pieces of a record built from pieces
// (ztrace_parts, zout_parts), whose lengths the records know.
inline ZSpan zid_part(const szelksymrec *rec) { return rec ? zelk_id_text(rec) : ZSpan{"0", 1}; }
inline ZSpan zname_part(const szelksymrec *rec) {
    if (!rec || !rec->name) return ZSpan{"(null)", 6};
    assert(std::strlen(rec->name) == rec->namelen);
    return ZSpan{rec->name, rec->namelen};
}
inline ZSpan zval_part(const szelksymrec *rec) {
    if (!rec || !rec->val) return ZSpan{"(null)", 6};
    // A value text never holds a NUL byte: its length is the record's.
    assert(std::strlen(rec->val) == rec->vallen);
    return ZSpan{rec->val, rec->vallen};
}
const char *zname(const szelksymrec *rec);
const char *zval(const szelksymrec *rec);
int ztype(const szelksymrec *rec);
// zval() as the records of expressions and argument lists show it: cut when
// longer than 512 bytes (see ZTraceText).
ZTraceText zval_cut(const szelksymrec *rec);
// The same as a piece of a record built from pieces (ztrace_parts).
inline ZCut zval_cut_part(const szelksymrec *rec) {
    ZSpan text = zval_part(rec);
    return ZCut{text.text, text.len};
}

// zout_parts: the pieces go to a buffer on the stack, written out when full
// and at the end.
void zout_spill(ZSink &sink, size_t need);

template <class... Parts>
void zout_parts(const Parts &...parts) {
    char buf[512];
    ZSink sink{buf, buf + sizeof buf, zout_spill, buf};
    zparts_write(sink, parts...);
    zout_bytes(buf, static_cast<size_t>(sink.pos - buf));
}
