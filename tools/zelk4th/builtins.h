// The built-in functions as the translator writes them (their C names).
#pragma once

#include <string>

namespace zelk4th {

enum class BuiltinKind {
    Math1,   // one real argument, smooth: exp, sin, sqrt...
    Math2,   // two real arguments: pow, atan2, hypot
    Step,    // floor, ceil: a plain real whose derivative is zero
    Abs,     // ABS: keeps an integer argument integer
    MinMax,  // MIN, MAX: integer when both arguments are
    Ut,      // thermal voltage of a temperature
    Ddt,     // time derivative: only as a term of a flow contribution
    Idt,     // time integral: refused
    Printf,  // $strobe: a statement
};

struct Builtin {
    const char *name;     // name in the preprocessed file
    int nargs;            // -1 for any number
    BuiltinKind kind;
    const char *dual_fn;  // helper for a real argument with derivatives
    const char *real_fn;  // C function for plain doubles
    const char *int_fn;   // helper for integers (Abs, MinMax)
};

// The row for `name`, or null.
const Builtin *find_builtin(const std::string &name);

// Every row, ended by a row with a null name.
extern const Builtin kBuiltins[];

}  // namespace zelk4th
