// The run of the translator: trace, command line, translation, side files
// and the two external stages (cpp, then zelk4th).
#pragma once

#include <string>

// The whole program; returns only when both stages succeeded (0) or, in
// builds without external stages, after the side files are written.
int zelk_main(int argc, char **argv);

// Prints the help banner on standard output.
void AfficherAide();

// Sleeps `delayms` milliseconds; more than 30000 ends the program.
void xdelayms(int delayms);

// A file name as one shell word: unchanged when it holds only letters,
// digits and "_ . / + -", else in single quotes.
std::string zelk_shell_word(const std::string &name);

// Makes sure the status file can be written safely before a stage: a
// pre-existing path that is a link, or not a regular file owned by us, is
// refused (false).  A missing file is created, so that nobody else can put
// a link there while the stage runs.
bool zelk_prepare_status_file(const std::string &path);

// The stem used for the outputs when the input has no module header: the
// input's base name without its extension.
std::string zelk_stem_without_module(const std::string &input);
