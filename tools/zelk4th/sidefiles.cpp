#include "sidefiles.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace zelk4th {

bool read_text(const std::string &path, std::string *text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    *text = ss.str();
    return true;
}

namespace {

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

bool is_count(const std::string &s) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool is_name(const std::string &s) {
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$') return false;
    return true;
}

// Reads the derivative record file line by line.
class DerivReader {
public:
    DerivReader(const std::string &path, const std::string &text) : path_(path), lines_(split_lines(text)) {}

    std::vector<std::string> names(const char *what) {
        int n = count(what);
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) out.push_back(name(what));
        return out;
    }

    int count(const char *what) {
        const std::string &s = line();
        if (!is_count(s)) fail(std::string("expected the number of ") + what + ", found '" + s + "'");
        return std::stoi(s);
    }

    std::string name(const char *what) {
        const std::string &s = line();
        if (!is_name(s)) fail(std::string("expected a name in the list of ") + what + ", found '" + s + "'");
        return s;
    }

    const std::string &line() {
        if (next_ >= lines_.size()) {
            next_ = lines_.size();
            fail("the file ends too early");
        }
        return lines_[next_++];
    }

    bool flag(const char *what) {
        const std::string &s = line();
        if (s != "0" && s != "1") fail(std::string("expected 0 or 1 (") + what + "), found '" + s + "'");
        return s == "1";
    }

    Loc loc() const { return Loc{path_, static_cast<int>(next_)}; }

    [[noreturn]] void fail(const std::string &text) const { throw Error(loc(), text); }

private:
    std::string path_;
    std::vector<std::string> lines_;
    size_t next_ = 0;  // index of the next line; also the number of the last line read
};

// Splits the arguments of a macro call text at the commas outside parentheses.
std::vector<std::string> split_args(const std::string &s) {
    std::vector<std::string> out(1);
    int depth = 0;
    for (char c : s) {
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (c == ',' && depth == 0)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

std::string trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::string base_name(const std::string &path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void read_deriv(const std::string &path, SideInfo *info) {
    std::string text;
    if (!read_text(path, &text)) throw Error("cannot read '" + path + "': " + std::strerror(errno));
    DerivReader r(path, text);
    info->ports = r.names("ports");
    info->nodes = r.names("electrical names");
    int n = r.count("parameters");
    for (int i = 0; i < n; ++i) {
        ParamInfo p;
        p.name = r.name("parameters");
        p.default_text = r.line();
        p.default_loc = r.loc();
        p.device = r.flag("device parameter");
        p.integer = r.flag("integer parameter");
        for (const ParamInfo &q : info->params)
            if (q.name == p.name) r.fail("parameter '" + p.name + "' is listed twice");
        info->params.push_back(p);
    }
    info->int_vars = r.names("integer variables");
    info->genvars = r.names("genvar variables");
    info->flow_branches = r.names("flow branches");
    info->pot_branches = r.names("potential branches");
    const std::string end = "/* End of " + base_name(path) + " */";
    if (r.line() != end) r.fail("expected '" + end + "'");
}

void read_param(const std::string &path, SideInfo *info) {
    std::string text;
    if (!read_text(path, &text)) throw Error("cannot read '" + path + "': " + std::strerror(errno));
    std::vector<std::string> lines = split_lines(text);
    size_t next_param = 0;
    std::vector<std::string> fields;
    Loc device_loc{path, 0};
    for (size_t i = 0; i < lines.size(); ++i) {
        const Loc loc{path, static_cast<int>(i + 1)};
        const std::string line = trim(lines[i]);
        if (line.compare(0, 8, "double D") == 0) {
            // "double D_x;" fields of the derivative record.
            std::string f = trim(line.substr(6));
            if (f.size() < 4 || f.compare(0, 2, "D_") != 0 || f.back() != ';')
                throw Error(loc, "unexpected record field '" + line + "'");
            fields.push_back(trim(f.substr(2, f.size() - 3)));
            continue;
        }
        if (line.compare(0, 8, "#define ") != 0) continue;
        std::istringstream words(line.substr(8));
        std::string name, value;
        words >> name;
        std::getline(words, value);
        value = trim(value);
        if (value.compare(0, 10, "here->PIPO") == 0) {
            if (device_loc.line == 0) device_loc = loc;
            continue;
        }
        bool integer = value.compare(0, 13, "ZELKPARAMINT(") == 0;
        if (!integer && value.compare(0, 14, "ZELKPARAMREAL(") != 0)
            throw Error(loc, "unexpected definition of '" + name + "'");
        if (value.back() != ')') throw Error(loc, "unterminated definition of '" + name + "'");
        size_t open = value.find('(');
        std::vector<std::string> args = split_args(value.substr(open + 1, value.size() - open - 2));
        if (args.size() != 4 || args[0] != name)
            throw Error(loc, "malformed definition of parameter '" + name + "'");
        if (next_param >= info->params.size() || info->params[next_param].name != name ||
            info->params[next_param].integer != integer)
            throw Error(loc, "parameter '" + name + "' does not match the derivative record file");
        ParamInfo &p = info->params[next_param++];
        if (args[2] != "(null)" || args[3] != "(null)") {
            p.has_range = true;
            p.lo_text = args[2];
            p.hi_text = args[3];
            p.range_loc = loc;
        }
    }
    if (next_param != info->params.size())
        throw Error(Loc{path, static_cast<int>(lines.size())},
                    "parameter '" + info->params[next_param].name + "' of the derivative record file is missing");
    if (fields != info->nodes)
        throw Error(Loc{path, static_cast<int>(lines.size())},
                    "the derivative record fields do not match the electrical names of the derivative record file");
    // The device temperature and area that every parameter file defines.
    const struct {
        const char *name, *value;
    } implicit[] = {{"temp", "300.15"}, {"area", "1"}};
    for (const auto &d : implicit) {
        bool declared = false;
        for (const ParamInfo &p : info->params) declared = declared || p.name == d.name;
        if (declared) continue;
        ParamInfo p;
        p.name = d.name;
        p.device = true;
        p.default_text = d.value;
        p.default_loc = device_loc;
        p.has_range = true;
        p.lo_text = "0";
        p.hi_text = "inf";
        p.range_loc = device_loc;
        p.lo_bracket = '(';
        p.hi_bracket = ')';
        p.brackets_found = true;
        p.implicit = true;
        info->params.push_back(p);
    }
}

// Blanks out comments and string contents so that searches see code only.
std::string code_only(const std::string &s) {
    std::string out = s;
    size_t i = 0;
    while (i < out.size()) {
        if (out.compare(i, 2, "//") == 0) {
            while (i < out.size() && out[i] != '\n') out[i++] = ' ';
        } else if (out.compare(i, 2, "/*") == 0) {
            size_t end = out.find("*/", i + 2);
            end = end == std::string::npos ? out.size() : end + 2;
            for (; i < end; ++i)
                if (out[i] != '\n') out[i] = ' ';
        } else if (out[i] == '"') {
            ++i;
            while (i < out.size() && out[i] != '"' && out[i] != '\n') out[i++] = ' ';
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

bool word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

// Position just past word `w` at `i` (after blanks), or npos.
size_t after_word(const std::string &s, size_t i, const std::string &w) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (s.compare(i, w.size(), w) != 0) return std::string::npos;
    if (i + w.size() < s.size() && word_char(s[i + w.size()])) return std::string::npos;
    return i + w.size();
}

}  // namespace

std::map<std::string, ParamDecl> param_decls(const std::string &source) {
    std::map<std::string, ParamDecl> out;
    const std::string s = code_only(source);
    int line = 1;
    size_t counted = 0;  // s[0, counted) has line - 1 newlines
    for (size_t at = s.find("parameter"); at != std::string::npos; at = s.find("parameter", at + 1)) {
        if (at > 0 && word_char(s[at - 1])) continue;
        size_t i = after_word(s, at + 9, "real");
        if (i == std::string::npos) i = after_word(s, at + 9, "integer");
        if (i == std::string::npos) continue;
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        size_t name_end = i;
        while (name_end < s.size() && word_char(s[name_end])) ++name_end;
        const std::string name = s.substr(i, name_end - i);
        if (name.empty() || out.count(name)) continue;
        i = name_end;
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
        if (i >= s.size() || s[i] != '=') continue;
        ParamDecl d;
        line += static_cast<int>(std::count(s.begin() + static_cast<long>(counted), s.begin() + static_cast<long>(name_end), '\n'));
        counted = name_end;
        d.line = line;
        d.value_begin = i + 1;
        d.end = s.find(';', i);
        if (d.end == std::string::npos) d.end = s.size();
        d.value_end = d.end;
        // The default ends at the first "from" or "exclude" word.
        for (size_t f = i; f < d.end && d.value_end == d.end; ++f) {
            for (const char *w : {"from", "exclude"}) {
                size_t len = std::strlen(w);
                if (s.compare(f, len, w) == 0 && !word_char(s[f - 1]) && (f + len >= s.size() || !word_char(s[f + len])))
                    d.value_end = f;
            }
        }
        // "from" followed by its bracket, then the bound that closes at depth 0.
        if (s.compare(d.value_end, 4, "from") == 0) {
            size_t b = d.value_end + 4;
            while (b < d.end && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
            if (b < d.end && (s[b] == '[' || s[b] == '(')) {
                int depth = 0;
                for (size_t k = b + 1; k < d.end && !d.has_range; ++k) {
                    char c = s[k];
                    if (c == '(' || c == '[') {
                        ++depth;
                    } else if (c == ')' || c == ']') {
                        if (depth-- == 0) {
                            d.lo = s[b];
                            d.hi = c;
                            d.range_begin = b;
                            d.has_range = true;
                        }
                    }
                }
            }
        }
        out[name] = d;
    }
    return out;
}

bool find_param_decl(const std::string &source, const std::string &name, ParamDecl *decl) {
    std::map<std::string, ParamDecl> decls = param_decls(source);
    auto it = decls.find(name);
    if (it == decls.end()) return false;
    *decl = it->second;
    return true;
}

bool range_brackets(const std::string &source, const std::string &name, char *lo, char *hi) {
    ParamDecl d;
    if (!find_param_decl(source, name, &d) || !d.has_range) return false;
    *lo = d.lo;
    *hi = d.hi;
    return true;
}

SideInfo read_side_files(const std::string &stem) {
    SideInfo info;
    read_deriv(stem + ".deriv", &info);
    read_param(stem + ".param", &info);
    return info;
}

void find_param_decls(SideInfo &info, const std::vector<std::pair<std::string, std::string>> &sources) {
    std::vector<std::map<std::string, ParamDecl>> decls;
    for (const auto &src : sources) decls.push_back(param_decls(src.second));
    for (ParamInfo &p : info.params) {
        if (p.implicit) continue;
        for (size_t k = 0; k < sources.size(); ++k) {
            auto found = decls[k].find(p.name);
            if (found == decls[k].end()) continue;
            const ParamDecl &d = found->second;
            const auto &src = sources[k];
            p.decl = d;
            p.decl_file = src.first;
            p.decl_found = true;
            if (p.has_range && d.has_range) {
                p.lo_bracket = d.lo;
                p.hi_bracket = d.hi;
                p.brackets_found = true;
            }
            break;
        }
    }
}

}  // namespace zelk4th
