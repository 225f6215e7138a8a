// Symbol records, the symbol table and the built-in function table.
#pragma once

#include <cstddef>

// One symbol record: the value of every name, literal and probe token, and of
// every expression, list and statement the parser builds.  Records are never
// freed; the table owns them all.
typedef struct szelksymrec {
    char *name;            // token text, or the leading name of a construct
    char *val;             // C text / value text; may be null
    int type;              // a token number (kind code)
    int nbarg;             // count of arguments or list members
    unsigned kind : 2;     // always 0
    unsigned isptr : 1;    // always 0
    struct szelksymrec *next;  // next older record
    // Bookkeeping of our own: a serial number that identifies the record in
    // the trace (stable from run to run, unlike an address), and the length
    // and capacity of `val` so that left-grouped chains (a+b+c+...) extend
    // their text in place instead of copying it again at every operator.
    long id;
    size_t vallen;
    size_t valcap;
} zelksymrec;

// A row of the built-in function table.
struct szelkinit {
    const char *fname;  // Verilog-A name, without "$" and "("
    const char *rname;  // C name written into the output
    int nbarg1;         // required argument count
    int nbarg2;         // second accepted count, 0 for none
};

extern struct szelkinit zelkarith_fncts[32];
extern zelksymrec *zelksym_table;

zelksymrec *zelkputsym(const char *name, int type);
zelksymrec *zelkgetsym(const char *name);
void szelkinit_table();

// The row of the built-in table whose `fname` is `name`, or null.
const struct szelkinit *zelk_find_builtin(const char *name);

// Value text helpers.  Every write of `val` goes through these so that the
// length bookkeeping stays right.
void zelk_setval(zelksymrec *rec, const char *text);
void zelk_setval_n(zelksymrec *rec, const char *text, size_t len);
void zelk_appendval(zelksymrec *rec, const char *text);
void zelk_appendval_n(zelksymrec *rec, const char *text, size_t len);

// Releases every record (between runs in one process only).
void zelk_free_symbol_table();

// A private heap copy of a text (never freed by the translator).
char *zelk_strdup(const char *text);
