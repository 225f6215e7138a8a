// The two side files that the translator writes beside its output: the
// derivative record file (names and counts) and the parameter file (ranges).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "diag.h"

namespace zelk4th {

// The whole content of the file `path`; false when it cannot be read.
bool read_text(const std::string &path, std::string *text);

// The declaration of a parameter in a Verilog-A text.
struct ParamDecl {
    int line = 0;             // line of the name
    size_t value_begin = 0;   // just after "="
    size_t value_end = 0;     // the "from", "exclude" or ";" that ends the default
    size_t range_begin = 0;   // the bracket after "from" (0 without a range)
    size_t end = 0;           // the ";"
    char lo = '[', hi = ']';  // brackets of the range
    bool has_range = false;
};

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
    ParamDecl decl;          // its declaration in the Verilog-A source
    std::string decl_file;   // the file of that declaration
    bool decl_found = false;
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

// The first declaration of parameter `name` in `source`; false when none.
bool find_param_decl(const std::string &source, const std::string &name, ParamDecl *decl);

// Finds the declaration of every parameter in the Verilog-A sources (name
// and text of each file): its place for messages, and the brackets of its
// range.  Parameters that cannot be found keep closed bounds.
void find_param_decls(SideInfo &info, const std::vector<std::pair<std::string, std::string>> &sources);

// The brackets of the "from" range of parameter `name` in Verilog-A text
// `source`; false when there is no such declaration with a range.
bool range_brackets(const std::string &source, const std::string &name, char *lo, char *hi);

}  // namespace zelk4th
