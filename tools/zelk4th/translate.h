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
    std::string osdi;                   // the OSDI module's C source, when asked for
};

// Asks for the OSDI module source too, for device type `type` ("" for the
// default, "<module>_va").
struct OsdiRequest {
    std::string type;
};

// `in_path` names "<module>eq.cpp"; the side files are "<module>.deriv" and
// "<module>.param" beside it.  Throws Error.
Output translate_file(const std::string &in_path, const OsdiRequest *osdi = nullptr);

// The same on texts already read (tests): `in_path` still names the side
// files and serves as the file name of positions before the first marker.
Output translate_text(const std::string &in_path, const std::string &text, const OsdiRequest *osdi = nullptr);

}  // namespace zelk4th
