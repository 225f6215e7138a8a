#include "z4_support.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace z4test {

using zelktest::RunResult;

std::string example(const std::string &name) { return std::string(ZELK_SOURCE_DIR) + "/examples/" + name; }

std::string test_model(const std::string &name) {
    return std::string(ZELK_SOURCE_DIR) + "/tests/zelk4th/models/" + name;
}

std::vector<std::string> example_models() {
    std::vector<std::string> models;
    for (const std::string &name : zelktest::list_dir(std::string(ZELK_SOURCE_DIR) + "/examples"))
        if (name.size() > 3 && name.compare(name.size() - 3, 3, ".va") == 0) models.push_back(example(name));
    return models;
}

RunResult translate(const std::string &dir, const std::string &model) {
    std::string name = model.substr(model.rfind('/') + 1);
    zelktest::write_file(dir + "/" + name, zelktest::read_file(model));
    zelktest::write_file(dir + "/disciplines.vams", zelktest::read_file(example("disciplines.vams")));
    zelktest::Stubs stubs;
    stubs.real_cpp = true;
    stubs.real_zelk4th = true;
    return zelktest::run_zelkpp(dir, {name}, stubs);
}

RunResult shell(const std::string &dir, const std::string &command) {
    return zelktest::run(dir, {"/bin/sh", "-c", command});
}

RunResult compile_strict(const std::string &dir, const std::string &file) {
    return shell(dir, "gcc -std=c99 -Wall -Wextra -Werror -c '" + file + "' -o /dev/null && clang -std=c99 -Wall -Wextra "
                      "-Werror -c '" + file + "' -o /dev/null");
}

RunResult build_checker(const std::string &dir, const std::string &module, const std::string &c_file) {
    std::string upper = module;
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return shell(dir, "gcc -std=c99 -Wall -Wextra -Werror -O1 -I. -DMODEL=" + module + " -DMODEL_UPPER=" + upper +
                          " -DMODEL_FILE='\"" + c_file +
                          "\"' '" + ZELK_SOURCE_DIR + "/tests/zelk4th/model_check.c' -lm -o check_" + module);
}

RunResult run_checker(const std::string &dir, const std::string &module, const std::string &args) {
    return shell(dir, "./check_" + module + " " + args);
}

std::vector<std::vector<double>> number_rows(const std::string &text) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::vector<double> row;
        std::string w;
        while (words >> w) row.push_back(std::strtod(w.c_str(), nullptr));
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

}  // namespace z4test
