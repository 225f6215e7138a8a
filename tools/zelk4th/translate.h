// The whole fourth stage on one input: preprocessed file and side files in,
// C text out.
#pragma once

#include <string>
#include <vector>

namespace zelk4th {

struct Output {
    std::string text;                   // the C file
    std::string header;                 // its header: the interface
    std::vector<std::string> warnings;  // complete messages
};

// `in_path` names "<module>eq.cpp"; the side files are "<module>.deriv" and
// "<module>.param" beside it.  Throws Error.
Output translate_file(const std::string &in_path);

// The same on texts already read (tests): `in_path` still names the side
// files and serves as the file name of positions before the first marker.
Output translate_text(const std::string &in_path, const std::string &text);

}  // namespace zelk4th
