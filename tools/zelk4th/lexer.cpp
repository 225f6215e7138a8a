#include "lexer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace zelk4th {

namespace {

bool ident_start(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }
bool ident_char(char c) { return ident_start(c) || std::isdigit(static_cast<unsigned char>(c)); }
bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Longest punctuators first.
const char *const kPunct[] = {"<==", "<=", ">=", "==", "!=", "&&", "||", "--", "++", "(", ")",
                              "{",   "}",  "[",  "]",  ",",  ";",  "=",  "<",  ">",  "+", "-",
                              "*",   "/",  "?",  ":",  "&",  "!",  "%",  "^",  "|",  "~", "."};

struct Marker {
    bool ok = false;
    int line = 0;
    std::string file;
    bool enter = false;   // flag 1: entering an included file
    bool system = false;  // flag 3: a system header
};

// Reads a directive line (the text after '#', up to the end of the line):
// "# N \"file\" flags" from cpp, or "#line N \"file\"".
Marker parse_marker(const std::string &body) {
    Marker m;
    size_t i = 0;
    auto skip = [&] {
        while (i < body.size() && (body[i] == ' ' || body[i] == '\t')) ++i;
    };
    skip();
    if (body.compare(i, 4, "line") == 0 && (i + 4 == body.size() || !ident_char(body[i + 4]))) {
        i += 4;
        skip();
    }
    if (i >= body.size() || !digit(body[i])) return m;
    size_t start = i;
    while (i < body.size() && digit(body[i])) ++i;
    m.line = std::atoi(body.substr(start, i - start).c_str());
    skip();
    if (i >= body.size() || body[i] != '"') return m;
    ++i;
    while (i < body.size() && body[i] != '"') {
        if (body[i] == '\\' && i + 1 < body.size()) ++i;
        m.file += body[i++];
    }
    if (i >= body.size()) return m;
    ++i;
    while (i < body.size()) {
        skip();
        if (i + 1 == body.size() || (i + 1 < body.size() && (body[i + 1] == ' ' || body[i + 1] == '\t'))) {
            if (body[i] == '1') m.enter = true;
            if (body[i] == '3') m.system = true;
        }
        while (i < body.size() && body[i] != ' ' && body[i] != '\t') ++i;
    }
    m.ok = true;
    return m;
}

}  // namespace

std::vector<Token> tokenize(const std::string &text, const std::string &file_name) {
    std::vector<Token> out;
    Loc loc{file_name, 1};
    size_t i = 0;
    bool line_start = true;
    // The translator writes one marker before each statement of the Verilog-A
    // source, and several generated lines may follow it: in such a file every
    // line up to the next marker belongs to the marker's line.  Files that cpp
    // itself entered (includes) and the translator's output file are counted
    // line by line as usual.
    std::set<std::string> entered;
    bool frozen = false;
    const size_t n = text.size();
    auto error = [&](const std::string &msg) { throw Error(loc, msg); };
    while (i < n) {
        char c = text[i];
        if (c == '\n') {
            if (!frozen) ++loc.line;
            ++i;
            line_start = true;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '#' && line_start) {
            size_t end = text.find('\n', i);
            if (end == std::string::npos) end = n;
            Marker m = parse_marker(text.substr(i + 1, end - i - 1));
            if (!m.ok) error("unexpected preprocessor line '" + text.substr(i, end - i) + "'");
            // The marker names the origin of the next line.
            if (m.enter) entered.insert(m.file);
            frozen = !entered.count(m.file) && m.file.compare(0, 1, "<") != 0 &&
                     !(m.file.size() > 6 && m.file.compare(m.file.size() - 6, 6, ".vacpp") == 0);
            loc.file = m.file;
            loc.line = frozen ? m.line : m.line - 1;
            i = end;
            continue;
        }
        line_start = false;
        if (c == '/' && i + 1 < n && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            if (end == std::string::npos) error("unterminated comment");
            for (size_t k = i; k < end; ++k)
                if (text[k] == '\n' && !frozen) ++loc.line;
            i = end + 2;
            continue;
        }
        if (c == '/' && i + 1 < n && text[i + 1] == '/') {
            while (i < n && text[i] != '\n') ++i;
            continue;
        }
        Token t;
        t.loc = loc;
        if (ident_start(c)) {
            size_t s = i;
            while (i < n && ident_char(text[i])) ++i;
            t.kind = Tok::Ident;
            t.text = text.substr(s, i - s);
        } else if (digit(c) || (c == '.' && i + 1 < n && digit(text[i + 1]))) {
            size_t s = i;
            bool real = false;
            while (i < n && digit(text[i])) ++i;
            if (i < n && text[i] == '.') {
                real = true;
                ++i;
                while (i < n && digit(text[i])) ++i;
            }
            if (i < n && (text[i] == 'e' || text[i] == 'E')) {
                size_t e = i + 1;
                if (e < n && (text[e] == '+' || text[e] == '-')) ++e;
                if (e < n && digit(text[e])) {
                    real = true;
                    i = e;
                    while (i < n && digit(text[i])) ++i;
                }
            }
            if (i < n && (ident_char(text[i]) || text[i] == '.'))
                error("malformed number '" + text.substr(s, i + 1 - s) + "'");
            t.kind = real ? Tok::Real : Tok::Int;
            t.text = text.substr(s, i - s);
        } else if (c == '"') {
            size_t s = i++;
            while (i < n && text[i] != '"') {
                if (text[i] == '\n') error("unterminated string");
                if (text[i] == '\\' && i + 1 < n) ++i;
                ++i;
            }
            if (i >= n) error("unterminated string");
            ++i;
            t.kind = Tok::String;
            t.text = text.substr(s, i - s);
        } else {
            for (const char *p : kPunct) {
                if (text.compare(i, std::char_traits<char>::length(p), p) == 0) {
                    t.kind = Tok::Punct;
                    t.text = p;
                    break;
                }
            }
            if (t.kind != Tok::Punct) {
                char shown[8];
                if (std::isprint(static_cast<unsigned char>(c)))
                    std::snprintf(shown, sizeof shown, "%c", c);
                else
                    std::snprintf(shown, sizeof shown, "\\x%02x", static_cast<unsigned char>(c));
                error(std::string("unexpected character '") + shown + "'");
            }
            i += t.text.size();
        }
        out.push_back(t);
    }
    Token end;
    end.kind = Tok::End;
    end.loc = loc;
    out.push_back(end);
    return out;
}

std::vector<std::string> marker_files(const std::string &text) {
    std::vector<std::string> files;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find('\n', i);
        if (end == std::string::npos) end = text.size();
        size_t k = i;
        while (k < end && (text[k] == ' ' || text[k] == '\t')) ++k;
        if (k < end && text[k] == '#') {
            Marker m = parse_marker(text.substr(k + 1, end - k - 1));
            if (m.ok && !m.system && !m.file.empty() && m.file[0] != '<') {
                bool seen = false;
                for (const std::string &f : files) seen = seen || f == m.file;
                if (!seen) files.push_back(m.file);
            }
        }
        i = end + 1;
    }
    return files;
}

}  // namespace zelk4th
