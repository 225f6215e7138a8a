#include "source.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <sstream>

namespace zelk4th {

namespace {

bool digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

double scale_of(char c) {
    switch (c) {
    case 'T': return 1e12;
    case 'G': return 1e9;
    case 'M': return 1e6;
    case 'K':
    case 'k': return 1e3;
    case 'm': return 1e-3;
    case 'u': return 1e-6;
    case 'n': return 1e-9;
    case 'p': return 1e-12;
    case 'f': return 1e-15;
    case 'a': return 1e-18;
    default: return 0.0;
    }
}

// A number as the translation writes it: 9 significant digits.
std::string key_of(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

bool ends_with(const std::string &s, const std::string &end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Matches the integer tokens in order with `numbers` (each with the first
// number of its value after the last one matched); a token matched with a
// scaled literal becomes real.  Returns the unmatched ones.
std::vector<Token *> match(const std::vector<Token *> &toks, const std::vector<const SourceNumber *> &numbers) {
    std::map<std::string, std::vector<size_t>> at;
    for (size_t k = 0; k < numbers.size(); ++k) at[key_of(numbers[k]->value)].push_back(k);
    std::vector<Token *> left;
    size_t next = 0;
    for (Token *t : toks) {
        auto same = at.find(key_of(std::strtod(t->text.c_str(), nullptr)));
        std::vector<size_t>::const_iterator k;
        if (same == at.end() || (k = std::lower_bound(same->second.begin(), same->second.end(), next)) ==
                                    same->second.end()) {
            left.push_back(t);
            continue;
        }
        t->scaled = numbers[*k]->scaled;
        next = *k + 1;
    }
    return left;
}

}  // namespace

std::vector<SourceNumber> source_numbers(const std::string &s) {
    std::vector<SourceNumber> out;
    int line = 1;
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (s.compare(i, 2, "//") == 0) {
            while (i < n && s[i] != '\n') ++i;
        } else if (s.compare(i, 2, "/*") == 0) {
            size_t end = s.find("*/", i + 2);
            end = end == std::string::npos ? n : end + 2;
            for (; i < end; ++i) line += s[i] == '\n';
        } else if (c == '"') {
            ++i;
            while (i < n && s[i] != '"' && s[i] != '\n') ++i;
            if (i < n && s[i] == '"') ++i;
        } else if (word_char(c) && !digit(c)) {
            while (i < n && word_char(s[i])) ++i;
        } else if (digit(c) || (c == '.' && i + 1 < n && digit(s[i + 1]))) {
            SourceNumber num;
            num.line = line;
            num.offset = i;
            size_t b = i;
            while (i < n && digit(s[i])) ++i;
            const bool point = i < n && s[i] == '.';
            if (point) {
                ++i;
                while (i < n && digit(s[i])) ++i;
            }
            double mantissa = std::strtod(s.substr(b, i - b).c_str(), nullptr);
            size_t e = i;
            if (e < n && (s[e] == 'e' || s[e] == 'E')) {
                ++e;
                if (e < n && (s[e] == '+' || s[e] == '-')) ++e;
            }
            // A real written with a point or an exponent stays a real token
            // in the translation: only integers and scaled literals can be
            // what an integer token there stands for.
            if (e > i && e < n && digit(s[e])) {
                while (e < n && digit(s[e])) ++e;
                i = e;
            } else if (i < n && scale_of(s[i]) != 0.0) {
                num.value = mantissa * scale_of(s[i]);
                num.scaled = true;
                ++i;
                out.push_back(num);
            } else if (!point) {
                num.value = mantissa;
                out.push_back(num);
            }
        } else {
            ++i;
        }
    }
    return out;
}

const SourceFile *Sources::find(const std::string &name) const {
    for (const SourceFile &f : files)
        if (f.name == name) return &f;
    return nullptr;
}

Sources read_sources(const std::vector<std::string> &marker_files, const std::string &dir) {
    Sources out;
    for (const std::string &name : marker_files) {
        std::string path = (name.empty() || name[0] == '/' || dir.empty()) ? name : dir + "/" + name;
        std::string text;
        if (!read_text(path, &text)) continue;
        if (!ends_with(name, ".vacpp")) {
            out.files.push_back(SourceFile{name, text, source_numbers(text)});
            continue;
        }
        // The translator records each branch declaration as a comment
        // "/* branch (a,b) == name */" followed by the variable of that name.
        const std::string open = "/* branch (";
        for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
            const std::string line = text.substr(at, text.find('\n', at) - at);
            size_t close = line.find(") == ");
            size_t end = line.find(" */");
            if (close == std::string::npos || end == std::string::npos || close > end) continue;
            std::string nodes = line.substr(open.size(), close - open.size());
            std::string name = line.substr(close + 5, end - close - 5);
            std::vector<std::string> list;
            std::istringstream parts(nodes);
            std::string node;
            while (std::getline(parts, node, ',')) list.push_back(node);
            if (!list.empty() && list.size() <= 2 && !out.branches.count(name)) out.branches[name] = list;
        }
    }
    return out;
}

void mark_scaled_literals(std::vector<Token> &tokens, const Sources &sources) {
    // The lines at which statements start, per file: a statement's tokens all
    // carry the line of its marker, its text lies between the markers.
    std::map<std::string, std::set<int>> marked;
    for (const Token &t : tokens) marked[t.loc.file].insert(t.loc.line);
    std::vector<Token *> from_macros;
    size_t i = 0;
    while (i < tokens.size()) {
        const Loc loc = tokens[i].loc;
        std::vector<Token *> group;
        for (; i < tokens.size() && tokens[i].loc.file == loc.file && tokens[i].loc.line == loc.line; ++i)
            if (tokens[i].kind == Tok::Int) group.push_back(&tokens[i]);
        const SourceFile *file = sources.find(loc.file);
        if (group.empty() || !file) continue;
        const std::set<int> &lines = marked[loc.file];
        auto at = lines.find(loc.line);
        const long long line = loc.line;
        long long first = at == lines.begin() ? line : std::max(*std::prev(at) + 1LL, line - 50);
        long long last = std::next(at) == lines.end() ? line + 50 : std::min(*std::next(at) - 1LL, line + 50);
        last = std::max(last, line);
        std::vector<const SourceNumber *> numbers;
        auto from = std::lower_bound(file->numbers.begin(), file->numbers.end(), first,
                                     [](const SourceNumber &num, long long l) { return num.line < l; });
        for (; from != file->numbers.end() && from->line <= last; ++from) numbers.push_back(&*from);
        for (Token *t : match(group, numbers)) from_macros.push_back(t);
    }
    if (from_macros.empty()) return;
    // Numbers of text macro bodies: real when only a scaled literal has the
    // value among the numbers of the `define lines.
    std::map<std::string, std::pair<bool, bool>> defined;  // scaled, plain
    for (const SourceFile &f : sources.files) {
        std::vector<char> define_line(1, 0);  // by line number
        for (size_t i = 0; i <= f.text.size(); ++i) {
            if (i != 0 && (i == f.text.size() || f.text[i - 1] != '\n')) continue;
            size_t k = i;
            while (k < f.text.size() && (f.text[k] == ' ' || f.text[k] == '\t')) ++k;
            define_line.push_back(f.text.compare(k, 7, "`define") == 0);
        }
        for (const SourceNumber &num : f.numbers) {
            if (static_cast<size_t>(num.line) >= define_line.size() || !define_line[static_cast<size_t>(num.line)])
                continue;
            auto &flags = defined[key_of(num.value)];
            (num.scaled ? flags.first : flags.second) = true;
        }
    }
    for (Token *t : from_macros) {
        auto d = defined.find(key_of(std::strtod(t->text.c_str(), nullptr)));
        t->scaled = d != defined.end() && d->second.first && !d->second.second;
    }
}

void mark_scaled_in(std::vector<Token> &tokens, const SourceFile &file, size_t begin, size_t end) {
    std::vector<Token *> toks;
    for (Token &t : tokens)
        if (t.kind == Tok::Int) toks.push_back(&t);
    std::vector<const SourceNumber *> numbers;
    for (const SourceNumber &num : file.numbers)
        if (num.offset >= begin && num.offset < end) numbers.push_back(&num);
    match(toks, numbers);
}

}  // namespace zelk4th
