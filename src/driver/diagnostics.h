// Error and warning reporting.  Every error raises ZelkCurErrNumber, which
// becomes the exit status and keeps the external stages from running;
// warnings are counted in ZelkCurWarnNumber and never change the outcome.
#pragma once

// The parser's error reporter ("syntax error", "parser stack overflow").
int zelkyyerror(const char *message);

// Counts one error and writes the message (a complete line) to standard error.
void zelk_error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Counts one warning and writes the message to standard error.
void zelk_warning(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// The parser's own messages, in the words the translator uses.
const char *zelk_parser_message(const char *message);
