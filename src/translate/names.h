// Name lists: a declaration's names joined by commas without blanks.
#pragma once

#include <string>
#include <vector>

// Splits a list text back into its names.  A "," ends a name; the last
// character ends the last one.  The whole text is split, however long.
std::vector<std::string> zelk_split_names(const char *text);
