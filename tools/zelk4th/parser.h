// Parser of the C subset that the translator writes.
#pragma once

#include <string>
#include <vector>

#include "ast.h"
#include "lexer.h"

namespace zelk4th {

// Parses a whole preprocessed file.  `evaluate_name` is the name of the
// module's evaluate function (the upper-case module name and "evaluate").
Unit parse_unit(const std::vector<Token> &tokens, const std::string &evaluate_name);

// Parses one expression that must use all the tokens (parameter defaults and
// range bounds of the side files).
ExprP parse_expression(const std::vector<Token> &tokens);

}  // namespace zelk4th
