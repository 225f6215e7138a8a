// Output conventions shared by every action that writes generated C text.
#pragma once

#include <string>

// printf into the generated file.
void zout(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void zout_text(const char *text);
// "%*c" with the indentation level: that many blanks (one at level 0 or 1).
void zout_indent();
// The line break that starts a generated line: a backslash-newline while a
// text macro definition is open (so the definition goes on), else a newline.
void zout_line_break();
// The "#line" marker, written only while no define directive is open.
void zout_line_marker();

// printf into a string of any length.
std::string zfmt(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Record fields for trace lines; records taken from keyword tokens may be
// stale or, before the first name, null.
struct szelksymrec;
long zid(const szelksymrec *rec);
const char *zname(const szelksymrec *rec);
const char *zval(const szelksymrec *rec);
int ztype(const szelksymrec *rec);
