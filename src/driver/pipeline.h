// The run of the translator: trace, command line, translation, side files
// and the two external stages (cpp, then zelk4th).
#pragma once

#include <string>

// One translation, up to the external stages: opens the trace, fills the
// symbol table, checks the command line, translates argv[1] into the
// generated file and writes the side files, then writes out and closes what
// it opened (the trace stays open).  Returns 0 when all of that was done
// (errors found in the source are counted in ZelkCurErrNumber, not
// returned), else the exit status of the step that could not be done, whose
// message is written.  Runs from the start state: a fresh process, or
// zelk_reset_translation() before every further call.
int zelk_translate(int argc, char **argv);

// The whole run: the translation, then, when it counted no error, the two
// external stages.  Returns the exit status.  A signal that ends the program
// while a stage runs stops the stage and removes its unfinished output and
// the status file.
int zelk_main(int argc, char **argv);

// The one way the program ends: writes out what is buffered for the trace
// and the standard streams and exits with `status`.
[[noreturn]] void zelk_exit(int status);

// Prints the help banner on standard output.
void AfficherAide();

// Sleeps `delayms` milliseconds; more than 30000 ends the program (status 1).
void xdelayms(int delayms);

// A file name as one shell word: unchanged when it holds only letters,
// digits and "_ . / + -", else in single quotes.
std::string zelk_shell_word(const std::string &name);

// Makes sure the status file can be written safely before a stage: a
// pre-existing path that is a symbolic link, a file with more than one hard
// link, or not a regular file owned by us, is refused (false).  A missing file is created, so that nobody else can put
// a link there while the stage runs.
bool zelk_prepare_status_file(const std::string &path);

// The stem used for the outputs when the input has no module header: the
// input's base name without its extension.
std::string zelk_stem_without_module(const std::string &input);
