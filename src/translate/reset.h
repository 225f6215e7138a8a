// Puts the whole translator back to its start state: translation state,
// symbol table, name indexes and the scanner.  A run of the program never
// needs it; tests and the fuzz target translate many inputs in one process.
#pragma once

void zelk_reset_translation();
