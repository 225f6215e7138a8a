// What the translated text lost and the Verilog-A source still says: which
// integer-looking numbers were scaled literals (reals), where each parameter
// is declared, and the node pairs of declared branches.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lexer.h"
#include "sidefiles.h"

namespace zelk4th {

// A number literal of the Verilog-A text.
struct SourceNumber {
    int line = 0;
    size_t offset = 0;    // in the text
    double value = 0.0;   // with its scale letter applied
    bool scaled = false;  // written with a scale letter: a real
};

// The integer and scaled literals of a Verilog-A text, in order (comments
// and strings skipped): the numbers an integer token of the translation can
// stand for.
std::vector<SourceNumber> source_numbers(const std::string &text);

struct SourceFile {
    std::string name;  // as the line markers name it
    std::string text;
    std::vector<SourceNumber> numbers;
};

// The Verilog-A files that the line markers name (without the translator's
// own ".vacpp" file), read from beside the input, and the branch
// declarations that the ".vacpp" file records.
struct Sources {
    std::vector<SourceFile> files;
    std::map<std::string, std::vector<std::string>> branches;  // name -> one or two nodes
    const SourceFile *find(const std::string &name) const;
};

Sources read_sources(const std::vector<std::string> &marker_files, const std::string &dir);

// Marks the integer tokens that stand for a scaled literal of the source as
// reals.  A token is matched, in order, with the numbers of the source lines
// of its statement; one that comes from a text macro is looked up among the
// numbers of the `define lines.
void mark_scaled_literals(std::vector<Token> &tokens, const Sources &sources);

// The same for the tokens of a parameter text taken from the side files,
// matched with the numbers of text[begin, end) of `file`.
void mark_scaled_in(std::vector<Token> &tokens, const SourceFile &file, size_t begin, size_t end);

}  // namespace zelk4th
