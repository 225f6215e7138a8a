// The C helpers every generated file carries: the derivative record and the
// chain rule of every operator and built-in.
#pragma once

#include <string>

namespace zelk4th {

// Boltzmann constant and elementary charge used by ut(); the same values as
// the circuit simulator the models are compared with.
constexpr const char *kBoltzmann = "1.38064852e-23";
constexpr const char *kCharge = "1.6021766208e-19";

// The helper section for a model with `unknowns` unknowns: the helpers that
// `code` uses, directly or through other helpers.
std::string runtime_text(int unknowns, const std::string &code);

}  // namespace zelk4th
