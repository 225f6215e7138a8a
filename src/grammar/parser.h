// The parser: its entry point, the value it shares with the scanner and its
// error reporter.  Token numbers are the kind codes of symbols/kinds.h; the
// parser generator's own names for them carry the prefix ZELK_TOKEN_.
#pragma once

#include "zelkpp.tab.hpp"  // generated: yyparse(), yylval, ZELK_TOKEN_YYUNDEF
#include "symbols/kinds.h"

// The parser's error reporter ("syntax error", "parser stack overflow"):
// counts an error and reports the unexpected token and the last name read.
int zelkyyerror(const char *message);

// The next token from the scanner.  Before it is read, the records that
// the value stack (from `bottom` to `top`, both included) does not hold may
// be freed (zelk_collect_records); after, the token's value is noted as
// the one that tokens without a value carry (zelk_note_token_value).
int zelk_next_token(zelksymrec *const *bottom, zelksymrec *const *top);

// The parser generator's messages in the words the translator uses.
const char *zelk_parser_message(const char *message);
