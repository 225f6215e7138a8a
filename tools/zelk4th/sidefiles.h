// The two side files that the translator writes beside its output: the
// derivative record file (names and counts) and the parameter file (ranges).
#pragma once

#include <string>
#include <vector>

#include "diag.h"

namespace zelk4th {

struct ParamInfo {
    std::string name;
    bool device = false;   // instance parameter (else model parameter)
    bool integer = false;  // integer parameter (else real)
    std::string default_text;
    Loc default_loc;
    bool has_range = false;
    std::string lo_text, hi_text;  // C texts of the "from" bounds
    Loc range_loc;
    // Open or closed bounds: the side file does not say, so the brackets are
    // looked up in the Verilog-A source; closed when it cannot be found.
    char lo_bracket = '[', hi_bracket = ']';
    bool brackets_found = false;
    bool implicit = false;  // temp or area: device data every model has
};

struct SideInfo {
    std::vector<std::string> ports;
    std::vector<std::string> nodes;  // electrical names, the order of the derivatives
    std::vector<ParamInfo> params;
    std::vector<std::string> int_vars, genvars, flow_branches, pot_branches;
};

// Reads STEM.deriv and STEM.param and checks that they agree.  Adds the
// device temperature and area (named by every parameter file) unless the
// model declares parameters of those names.
SideInfo read_side_files(const std::string &stem);

// Looks up the brackets of every "from" range in the Verilog-A sources
// (paths relative to `dir` unless absolute).  Sources that cannot be read
// or parameters that cannot be found keep closed bounds.
void find_range_brackets(SideInfo &info, const std::vector<std::string> &sources, const std::string &dir);

// The brackets of the "from" range of parameter `name` in Verilog-A text
// `source`; false when there is no such declaration with a range.
bool range_brackets(const std::string &source, const std::string &name, char *lo, char *hi);

}  // namespace zelk4th
