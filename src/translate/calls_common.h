// What calls as statements and calls inside expressions share: the check of
// a call against the analog functions or text macros, and the conversion of
// an analog function's argument text into C, where arguments that the
// function writes are passed by address.
#pragma once

#include <string>
#include <vector>

#include "symbols/values.h"

// Checks a call of the analog function (`macro` false) or text macro `name`
// with `nbarg` arguments, written "name(args_text)", or "`name" when
// `args_text` is null: reports a callee that does not exist and, when
// `count_checked`, an argument count that differs from its own.  Returns the
// callee's index, or -1.  Inside a text macro definition nothing is looked up
// (-1): the definition's body is only text until the macro is used.
int zelk_check_call(bool macro, const char *name, int nbarg, const char *args_text,
                    bool count_checked);

// Appends to `pieces` the arguments of the argument list `args` (which the
// call consumes) for function `func`, each as " %s," or " &(%s),", the last
// one closing the call with ")".  Arguments are split at commas outside
// parentheses.  An argument beyond the function's count is reported (with
// `name` for the message) and written plainly.  `storage` holds the text
// that the pieces point into when the list text has to be read again.
void zelk_call_argument_pieces(std::vector<ZelkPiece> &pieces, std::string &storage, int func,
                               const char *name, zelksymrec *args);

// `call` (the record of the function's name) becomes the C text of a call of
// analog function `name` with the argument list `args`, which it consumes:
// the name, `opening`, then the converted arguments, or the argument text
// as it stands when the callee is unknown or inside a macro definition.
// The callee is checked as zelk_check_call does, the count only when
// `count_checked`.
void zelk_function_call_text(zelksymrec *call, zelksymrec *args, const char *opening,
                             bool count_checked);
