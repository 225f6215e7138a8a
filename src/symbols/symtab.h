// Symbol records, the symbol table and the built-in function table.
#pragma once

#include <cstddef>

// One symbol record: the value of every name, literal and probe token, and of
// every expression, list and statement the parser builds.  The table owns
// them all.  The design keeps every record until the program ends; this
// table frees those that nothing can reach any more (zelk_collect_records),
// which no output can tell apart, so that memory follows what the parser
// holds rather than the length of the input.
typedef struct szelksymrec {
    char *name;            // token text, or the leading name of a construct
    char *val;             // C text / value text; may be null
    int type;              // a token number (kind code)
    int nbarg;             // count of arguments or list members
    unsigned kind : 2;     // always 0
    unsigned isptr : 1;    // always 0
    struct szelksymrec *next;  // next older record
    // Bookkeeping of our own.  A serial number that identifies the record in
    // the trace (stable from run to run, unlike an address).
    long id;
    // The buffer of `val` (symbols/values.h): the text is `vallen` bytes
    // long and lies `valfront` bytes into an allocation of `valcap` bytes
    // (0: none), so that it can grow at both ends in place.
    size_t vallen;
    size_t valcap;
    size_t valfront;
    // Known that the text's parentheses balance, never close more than they
    // opened, and that no comma stands outside them (symbols/values.h).
    bool plain;
    struct ZelkArgStarts *args;  // of an argument list: where its arguments begin
    size_t namelen;              // the length of `name`
    struct szelksymrec *newer;   // the next newer record
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
// The same for a name of `len` bytes (its text is read up to there).
zelksymrec *zelkputsym_n(const char *name, size_t len, int type);
// The digits of the record's serial number, as %ld prints `id`.
struct ZSpan zelk_id_text(const zelksymrec *rec);
// Replaces the record's name (by a copy of `name`).
void zelk_setname(zelksymrec *rec, const char *name);
zelksymrec *zelkgetsym(const char *name);
void szelkinit_table();

// The row of the built-in table whose `fname` is `name`, or null.
const struct szelkinit *zelk_find_builtin(const char *name);

// Value text helpers.  Every write of `val` goes through these (or those of
// symbols/values.h) so that the bookkeeping above stays right.
void zelk_setval(zelksymrec *rec, const char *text);
void zelk_setval_n(zelksymrec *rec, const char *text, size_t len);
void zelk_appendval(zelksymrec *rec, const char *text);
void zelk_appendval_n(zelksymrec *rec, const char *text, size_t len);

// Who may still look at a record after the action that consumes it (an
// operand whose text the action takes into its result):
enum ZelkLaterUse {
    ZELK_NOT_SEEN,  // nothing: its text can be taken over whole
    // the symbol lookup at the end of the analog function being defined,
    // whose record shows at most the first 512 bytes of the text
    ZELK_LOOKED_UP,
    // the parser: the record of the last value token, which tokens without
    // a value of their own carry on the parser's stack (and a statement
    // that begins with such a token passes on): its text must stay
    ZELK_SEEN,
};
ZelkLaterUse zelk_later_use(const zelksymrec *rec);

// The parser's part in that: after each token, the value it got (which may
// be the record of an earlier token); between tokens, its value stack, from
// bottom to top, whose records are all it can still use.  Records out of
// reach of the stack, the last value and the end of an open analog function
// are freed from time to time, in time proportional to the records made
// since the last time.
void zelk_note_token_value(const zelksymrec *value);
void zelk_collect_records(zelksymrec *const *stack, size_t count);
// The fewest records made between two collections (4096; tests collect
// more often to show that no output depends on what is freed).
void zelk_set_collection_batch(size_t records);

// The analog function `name` is being defined: its end looks the name up
// (zelkgetsym), which goes through every record from the newest to the
// newest one of that name; those are kept.  Closed after that lookup.
void zelk_lookup_window_open(const zelksymrec *name);
void zelk_lookup_window_close();

// Releases every record and starts the serial numbers again (between runs
// in one process only).
void zelk_free_symbol_table();

// A private heap copy of a text (never freed by the translator).
char *zelk_strdup(const char *text);
