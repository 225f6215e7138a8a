// The C header of the current analog function.  Its arguments and locals
// are declared by statements of its body, so the header is written late:
// by the first statement that opens the body, whatever kind it is.
#pragma once

// Writes the current analog function's C header if its body has not written
// it yet.  Every statement that opens the body calls it before its first
// line, so the header always stands before the body's first statement.
// `early` is set by the statements that open a body before any simple
// statement or unnamed block could (a named block or a control statement).
void zelk_write_pending_function_header(bool early = false);

// True when the current function's header was written early: declarations
// inside its named blocks then come too late for the header and are written
// as declarations of their block instead, so that they stay declared.
bool zelk_function_header_was_early();
