// Puts the whole translator back to its start state: translation state with
// its lists and their indexes, symbol table, the control statements' own
// count and the scanner.  A run of the program never needs it; tests and
// the fuzz target translate many inputs in one process.
#pragma once

void zelk_reset_translation();

// Forgets the case statements opened beyond the case stack's room
// (statements/control.cpp); part of the reset above.
void zelk_control_reset();
