#include "grammar/parser.h"

#include <cstdio>
#include <cstring>

#include "base/diagnostics.h"
#include "base/text.h"
#include "base/trace.h"
#include "scanner/scanner.h"
#include "symbols/state.h"

int zelkyyerror(const char *message) {
    ++ZelkCurErrNumber;
    std::fprintf(stderr, "!! Error: %s ??: Unexpected '%s' in line number:%d near:'%s'.\n", message,
                 ztext(yytext), ZelkCurLineNumber, ztext(ZelkCurSymName));
    std::fflush(stderr);
    ztrace("!! Error: %s in line number:%d near:'%s'.\n", message, ZelkCurLineNumber,
           ztext(ZelkCurSymName));
    return 0;
}

int zelk_next_token(zelksymrec *const *bottom, zelksymrec *const *top) {
    zelk_collect_records(bottom, static_cast<size_t>(top - bottom) + 1);
    int token = yylex();
    zelk_note_token_value(yylval);
    return token;
}

const char *zelk_parser_message(const char *message) {
    // The parser generator calls a full stack "memory exhausted".
    if (std::strcmp(message, "memory exhausted") == 0) return "parser stack overflow";
    return message;
}
