#include "builtins.h"

namespace zelk4th {

using K = BuiltinKind;

// The C names are the translator's ("ln" arrives as "log", "log" as "log10",
// "limexp" as "exp", "vt" as "ut", "abs", "min", "max" as ABS, MIN, MAX).
const Builtin kBuiltins[] = {
    {"ut", 1, K::Ut, "zk_ut", "zk_utr", nullptr},
    {"ddt", 1, K::Ddt, nullptr, nullptr, nullptr},
    {"idt", 1, K::Idt, nullptr, nullptr, nullptr},
    {"ABS", 1, K::Abs, "zk_abs", "fabs", "zk_iabs"},
    {"sin", 1, K::Math1, "zk_sin", "sin", nullptr},
    {"cos", 1, K::Math1, "zk_cos", "cos", nullptr},
    {"tan", 1, K::Math1, "zk_tan", "tan", nullptr},
    {"asin", 1, K::Math1, "zk_asin", "asin", nullptr},
    {"acos", 1, K::Math1, "zk_acos", "acos", nullptr},
    {"atan", 1, K::Math1, "zk_atan", "atan", nullptr},
    {"log10", 1, K::Math1, "zk_log10", "log10", nullptr},
    {"log", 1, K::Math1, "zk_log", "log", nullptr},
    {"exp", 1, K::Math1, "zk_exp", "exp", nullptr},
    {"sqrt", 1, K::Math1, "zk_sqrt", "sqrt", nullptr},
    {"cbrt", 1, K::Math1, "zk_cbrt", "cbrt", nullptr},
    {"floor", 1, K::Step, nullptr, "floor", nullptr},
    {"ceil", 1, K::Step, nullptr, "ceil", nullptr},
    {"sinh", 1, K::Math1, "zk_sinh", "sinh", nullptr},
    {"cosh", 1, K::Math1, "zk_cosh", "cosh", nullptr},
    {"tanh", 1, K::Math1, "zk_tanh", "tanh", nullptr},
    {"asinh", 1, K::Math1, "zk_asinh", "asinh", nullptr},
    {"acosh", 1, K::Math1, "zk_acosh", "acosh", nullptr},
    {"atanh", 1, K::Math1, "zk_atanh", "atanh", nullptr},
    {"pow", 2, K::Math2, "zk_pow", "pow", nullptr},
    {"atan2", 2, K::Math2, "zk_atan2", "atan2", nullptr},
    {"hypot", 2, K::Math2, "zk_hypot", "hypot", nullptr},
    {"MIN", 2, K::MinMax, "zk_min", "fmin", "zk_imin"},
    {"MAX", 2, K::MinMax, "zk_max", "fmax", "zk_imax"},
    {"printf", -1, K::Printf, nullptr, nullptr, nullptr},
    {nullptr, 0, K::Math1, nullptr, nullptr, nullptr},
};

const Builtin *find_builtin(const std::string &name) {
    for (const Builtin *b = kBuiltins; b->name; ++b)
        if (name == b->name) return b;
    return nullptr;
}

}  // namespace zelk4th
