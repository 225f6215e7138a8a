// Writes the final C file from an analysed program.
#pragma once

#include <string>

#include "analyze.h"

namespace zelk4th {

std::string generate(const Program &prog);

}  // namespace zelk4th
