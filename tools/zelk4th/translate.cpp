#include "translate.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "analyze.h"
#include "codegen.h"
#include "lexer.h"
#include "osdigen.h"
#include "parser.h"
#include "sidefiles.h"
#include "source.h"

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

Output translate_text(const std::string &in_path, const std::string &text, const OsdiRequest *osdi) {
    const std::string stem = stem_of(in_path);

    Program prog;
    prog.module = base_of(stem);
    prog.source_name = base_of(in_path);
    prog.side = read_side_files(stem);
    std::string evaluate_name = prog.module;
    for (char &c : evaluate_name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    evaluate_name += "evaluate";
    const std::vector<std::string> files = marker_files(text);
    prog.sources = read_sources(files, dir_of(in_path));
    std::vector<Token> tokens = tokenize(text, in_path);
    mark_scaled_literals(tokens, prog.sources);
    prog.unit = parse_unit(tokens, evaluate_name);
    std::vector<std::pair<std::string, std::string>> texts;
    for (const SourceFile &f : prog.sources.files) texts.emplace_back(f.name, f.text);
    find_param_decls(prog.side, texts);
    analyze(prog);
    Output out;
    Generated g = generate(prog);
    out.text = g.c;
    out.header = g.h;
    out.warnings = prog.warnings;
    if (osdi) out.osdi = osdi_module(prog, g.c, osdi->type.empty() ? default_osdi_type(prog) : osdi->type);
    return out;
}

Output translate_file(const std::string &in_path, const OsdiRequest *osdi) {
    stem_of(in_path);
    std::ifstream in(in_path, std::ios::binary);
    if (!in) throw Error("cannot read '" + in_path + "': " + std::strerror(errno));
    std::ostringstream ss;
    ss << in.rdbuf();
    return translate_text(in_path, ss.str(), osdi);
}

}  // namespace zelk4th
