// Tokens of the C text that the translator writes and cpp preprocesses.
#pragma once

#include <string>
#include <vector>

#include "diag.h"

namespace zelk4th {

enum class Tok {
    Ident,
    Int,     // decimal digits only
    Real,    // digits with a point or an exponent
    String,  // a C string literal, quotes and escapes kept as written
    Punct,   // operators and separators, "<==" included
    End,
};

struct Token {
    Tok kind = Tok::End;
    std::string text;
    Loc loc;
    bool scaled = false;  // Int: a scaled literal of the source (1k), so a real
};

// Splits `text` (the contents of `file_name`) into tokens.  Line markers
// ("# N \"file\" flags") move the origin of the following lines; any other
// preprocessor line, or a character no token starts with, is an error.
// The origin before the first marker is the file itself.
std::vector<Token> tokenize(const std::string &text, const std::string &file_name);

// The files named by line markers, in order of first appearance, without
// cpp's own pseudo-files ("<built-in>", "<command-line>") and system headers.
std::vector<std::string> marker_files(const std::string &text);

}  // namespace zelk4th
