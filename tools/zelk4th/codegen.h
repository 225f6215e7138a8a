// Writes the final C file from an analysed program.
#pragma once

#include <string>

#include "analyze.h"

namespace zelk4th {

struct Generated {
    std::string c;  // the C file
    std::string h;  // its header
};

Generated generate(const Program &prog);

}  // namespace zelk4th
