// Source positions and the one error type of the fourth stage.
//
// Every token remembers two places: where it stands in the preprocessed file
// and where it came from according to the preprocessor's line markers (the
// Verilog-A source as a rule).  Messages name the second, because that is the
// file the model developer edits.
#pragma once

#include <stdexcept>
#include <string>

namespace zelk4th {

struct Loc {
    std::string file;  // origin file named by the last line marker
    int line = 0;      // line in that file
};

// A translation error: the message is complete ("FILE:LINE: text").
class Error : public std::runtime_error {
public:
    Error(const Loc &loc, const std::string &text)
        : std::runtime_error(loc.file.empty() ? text
                                              : loc.file + ":" + std::to_string(loc.line) + ": " + text) {}
    explicit Error(const std::string &text) : std::runtime_error(text) {}
};

}  // namespace zelk4th
