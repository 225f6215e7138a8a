// Numeric literals: recognisers for plain numbers and the value of literals
// that end in a scale letter (1.5k, 10u, 2M ...).
#pragma once

#include <string>

int zelkIsInteg(const char *text);
int zelkIsFloat(const char *text);
double zelkStr2Float(const char *text);

// The token text that a scale-letter literal becomes: its value printed with
// "%-16.9g" and cut at the first blank ("1.5k" gives "1500").
std::string zelk_scaled_literal_text(const char *text);
