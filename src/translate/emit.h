// Output conventions shared by every action that writes generated C text.
#pragma once

#include "base/text.h"

// printf into the generated file.
void zout(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void zout_text(const char *text);
// The line break that starts a generated line: a backslash-newline while a
// text macro definition is open (so the definition goes on), else a newline.
void zout_line_break();
// The "#line" marker, written only while no define directive is open.
void zout_line_marker();

// A record's fields as the trace, the messages and the generated C print
// them (a missing text as "(null)").  The record of a keyword token may be
// stale or, before the first name, null.
struct szelksymrec;
long zid(const szelksymrec *rec);
const char *zname(const szelksymrec *rec);
const char *zval(const szelksymrec *rec);
int ztype(const szelksymrec *rec);
// zval() as the records of expressions and argument lists show it: cut when
// longer than 512 bytes (see ZTraceText).
ZTraceText zval_cut(const szelksymrec *rec);
