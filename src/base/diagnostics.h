// Error and warning reporting, for every part of the translator.  Every
// error raises ZelkCurErrNumber, which becomes the exit status and keeps the
// external stages from running; warnings are counted in ZelkCurWarnNumber
// and never change the outcome.
#pragma once

extern int ZelkCurErrNumber;   // errors reported so far
extern int ZelkCurWarnNumber;  // warnings reported so far

// Counts one error and writes the message (a complete line) to standard error.
void zelk_error(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
// Counts one warning and writes the message to standard error.
void zelk_warning(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Reports a file that cannot be opened (the input, or one the run writes);
// the run then ends with status 1.  Not counted: the caller decides.
void zelk_open_error(bool input, const char *name);

// Reports a file the run writes that could not be written whole, with the
// reason (an errno value); the run then ends with status 1.  Not counted.
void zelk_write_error(const char *name, int err);
