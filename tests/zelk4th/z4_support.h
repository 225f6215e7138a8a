// Running models through the whole pipeline (the translator, the real cpp
// and the fourth stage) and through the model checker.
#pragma once

#include <string>
#include <vector>

#include "support/harness.h"

namespace z4test {

using Rows = std::vector<std::vector<double>>;

// Path of a model: "examples/NAME" or "tests/zelk4th/models/NAME" in the sources.
std::string example(const std::string &name);
std::string test_model(const std::string &name);

// The example models (paths), in name order.
std::vector<std::string> example_models();

// Copies `model` and the discipline header of the examples into `dir` and
// translates it there with the real cpp and the built fourth stage.
zelktest::RunResult translate(const std::string &dir, const std::string &model);

// Runs a shell command line in `dir`.
zelktest::RunResult shell(const std::string &dir, const std::string &command);

// gcc and clang -std=c99 -Wall -Wextra -Werror -c on dir/FILE.
zelktest::RunResult compile_strict(const std::string &dir, const std::string &file);

// Translates `model` in `dir` without a message, compiles the C file with
// compile_strict and builds the model checker for it as dir/check_<module>
// (fatal failures on the way); the module's name.
std::string prepare(const std::string &dir, const std::string &model);

// Builds the model checker for module `module` from dir/`c_file` as
// dir/check_<module>; the compiler's result.
zelktest::RunResult build_checker(const std::string &dir, const std::string &module, const std::string &c_file);

// Runs dir/check_<module> with `args`.
zelktest::RunResult run_checker(const std::string &dir, const std::string &module, const std::string &args);

// The same, which must succeed; the numbers it prints.
Rows checker_rows(const std::string &dir, const std::string &module, const std::string &args);

}  // namespace z4test
