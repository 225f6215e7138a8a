// The side files written after the parse from the translation state.
#pragma once

// "<module>.deriv": counts and names for the tools that process the
// generated code further.  False when the file cannot be created or written
// whole (reported and counted as an error): the run then ends with status 1.
bool szelkName_deriv_file();
// "<module>.param": parameter access macros and the DoubleRec record type.
// False as above.
bool szelkName_param_file();

// The stem of the side files and stage outputs: the lower-case module name,
// or, for an input without a module header, the stem the driver chose.
const char *zelk_output_stem();
void zelk_set_default_stem(const char *stem);
