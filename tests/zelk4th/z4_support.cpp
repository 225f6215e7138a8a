#include "z4_support.h"

#include <gtest/gtest.h>

#include <cctype>

#include "support/ngspice.h"

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

std::string prepare(const std::string &dir, const std::string &model) {
    RunResult t = translate(dir, model);
    EXPECT_EQ(t.status, 0) << model << "\n" << t.err;
    EXPECT_EQ(t.err, "") << model;
    std::string module;
    for (const std::string &f : zelktest::list_dir(dir))
        if (f.size() > 4 && f.compare(f.size() - 4, 4, "eq.c") == 0) module = f.substr(0, f.size() - 4);
    if (module.empty()) {
        ADD_FAILURE() << model << ": no C file";
        return module;
    }
    RunResult c = compile_strict(dir, module + "eq.c");
    EXPECT_EQ(c.status, 0) << model << "\n" << c.err;
    EXPECT_EQ(c.err, "") << model;
    RunResult b = build_checker(dir, module, module + "eq.c");
    EXPECT_EQ(b.status, 0) << model << "\n" << b.err;
    return module;
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

Rows checker_rows(const std::string &dir, const std::string &module, const std::string &args) {
    RunResult r = run_checker(dir, module, args);
    EXPECT_EQ(r.status, 0) << module << " " << args << "\n" << r.err;
    return zelktest::number_rows(r.out);
}

}  // namespace z4test
