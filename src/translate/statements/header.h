// The pending analog function header.
#pragma once

// Writes the current analog function's C header if its body has not written
// it yet.  Every statement that opens the body calls it before its first
// line, so the header always stands before the body's first statement.
void zelk_write_pending_function_header();
