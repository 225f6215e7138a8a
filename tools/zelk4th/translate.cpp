#include "translate.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "analyze.h"
#include "codegen.h"
#include "lexer.h"
#include "parser.h"
#include "sidefiles.h"

namespace zelk4th {

namespace {

const char kSuffix[] = "eq.cpp";

std::string dir_of(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string base_of(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The side files' path without extension: the input path without "eq.cpp".
std::string stem_of(const std::string &in_path) {
    const size_t n = sizeof kSuffix - 1;
    if (in_path.size() <= n || in_path.compare(in_path.size() - n, n, kSuffix) != 0 ||
        base_of(in_path).size() <= n)
        throw Error("'" + in_path + "': the input must be named <module>eq.cpp, which names the side files");
    return in_path.substr(0, in_path.size() - n);
}

}  // namespace

Output translate_text(const std::string &in_path, const std::string &text) {
    const std::string stem = stem_of(in_path);

    Program prog;
    prog.module = base_of(stem);
    prog.source_name = base_of(in_path);
    prog.side = read_side_files(stem);
    std::string evaluate_name = prog.module;
    for (char &c : evaluate_name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    evaluate_name += "evaluate";
    prog.unit = parse_unit(tokenize(text, in_path), evaluate_name);
    find_range_brackets(prog.side, marker_files(text), dir_of(in_path));
    analyze(prog);
    Output out;
    out.text = generate(prog);
    out.warnings = prog.warnings;
    return out;
}

Output translate_file(const std::string &in_path) {
    stem_of(in_path);
    std::ifstream in(in_path, std::ios::binary);
    if (!in) throw Error("cannot read '" + in_path + "': " + std::strerror(errno));
    std::ostringstream ss;
    ss << in.rdbuf();
    return translate_text(in_path, ss.str());
}

}  // namespace zelk4th
