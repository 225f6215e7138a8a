// Writes the C source of an OSDI 0.3 module from an analysed model: the
// model's own C file followed by the glue a circuit simulator calls through
// the module's descriptor (parameter access, set-up, evaluation, matrix and
// right-hand-side loads).
#pragma once

#include <string>

#include "analyze.h"

namespace zelk4th {

// The device type a module gets when none is asked for: "<module>_va", so
// that module names such as "res" or "d" do not clash with the simulator's
// own model types.
std::string default_osdi_type(const Program &prog);

// `c_file` is the model's final C file (written for `prog`); `type` the
// device type name of the descriptor (lower case, checked by the caller).
// Throws Error when the model cannot become a module (no terminal, names
// the simulator reserves or cannot tell apart).
std::string osdi_module(const Program &prog, const std::string &c_file, const std::string &type);

// The OSDI declarations the module is written on (tools/zelk4th/osdi/osdi_abi.h,
// built into the program).
extern const char *const kOsdiAbiHeader;

}  // namespace zelk4th
