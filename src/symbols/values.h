// Value texts built from pieces, in time proportional to what is new.
//
// Every expression production makes its text from its operands' texts and
// a few fixed characters ("(%s)", "pow(%s,%s)", "%s+%s" ...).  Copying the operands at every level would make a nested
// expression cost the square of its size, so a result is built around the
// longest operand text in place: the result's own text grows at either end
// (a record's buffer keeps room at both), or the result takes over the
// buffer of an operand that the action consumes, and only the shorter
// pieces are copied.  An operand whose text may still be looked at (see
// zelk_later_use) gives a copy instead.
//
// Argument lists also remember where each argument begins, so that an
// analog function's call can pass its arguments one by one without reading
// the whole list text again at every level of nested calls.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <vector>

#include "symbols/symtab.h"

// One piece of a text under construction.
struct ZelkPiece {
    const char *text;
    size_t len;
    // The record the text belongs to (null for other text), and whether the
    // action consumes that record: then the piece may be taken over.
    zelksymrec *owner;
    bool consumed;
    bool plain;  // as the record's `plain`; worked out for other text
};

// Any text (a null one is "(null)"); copied into the result.
ZelkPiece zelk_piece(const char *text);
ZelkPiece zelk_piece(const char *text, size_t len);
// The text of a record that stays as it is (the result's own text may be
// one of these: it is then extended in place).
ZelkPiece zelk_piece_of(zelksymrec *rec);
// The text of a record that the result extends (appends to): empty when
// the record has none.
ZelkPiece zelk_piece_extended(zelksymrec *rec);
// The text of an operand that the action consumes.
ZelkPiece zelk_piece_taken(zelksymrec *rec);

// Sets the text of `rec` to the pieces end to end.
void zelk_joinval(zelksymrec *rec, std::initializer_list<ZelkPiece> pieces);
void zelk_joinval(zelksymrec *rec, const std::vector<ZelkPiece> &pieces);

// Appends "," and the text of `arg` (consumed) to the argument list `list`.
void zelk_append_argument(zelksymrec *list, zelksymrec *arg);
// The arguments of the list `list` (consumed) as pieces of its text, in
// order, when its commas outside parentheses are exactly the ones that
// separate its arguments: false when only reading the text can tell.
bool zelk_argument_pieces(zelksymrec *list, std::vector<ZelkPiece> &out);

// Frees the text of `rec` and what belongs to it.
void zelk_release_text(zelksymrec *rec);
// Frees the buffers kept for reuse (with the symbol table).
void zelk_free_value_buffers();
