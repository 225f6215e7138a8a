// Name resolution, type inference and the checks that decide whether a
// preprocessed file can be turned into C with derivatives.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "ast.h"
#include "sidefiles.h"
#include "source.h"

namespace zelk4th {

enum class SymKind {
    Node,       // electrical name: a node voltage, the seed of one derivative
    ModuleVar,  // module-level real or integer variable
    Param,      // model or device parameter
    Local,      // block-level variable, or a local of an analog function
    Arg,        // argument of an analog function
    Const,      // a named constant (PI; inf in range bounds)
    Branch,     // declared branch read as a probe: the voltage between its nodes
};

struct Symbol {
    SymKind kind = SymKind::Local;
    std::string name;   // as in the source
    std::string cname;  // as written in the generated C
    Ty type = Ty::None;
    bool ptr = false;   // Arg passed by address
    int index = -1;     // Node: unknown index; Param: position in the record
    std::vector<int> nodes;  // Branch: its node indices (one: against ground)
    Loc loc;
    std::string value;  // Const: its C text
    bool read = false;      // set when an expression reads it
    bool assigned = false;  // set when a statement or an output argument writes it
};

struct Function {
    std::string name;
    std::string cname;
    Ty ret = Ty::None;
    std::vector<const Symbol *> args;
    const FuncDef *def = nullptr;
};

struct ParamCode {
    ExprP def;        // default value
    ExprP lo, hi;     // range bounds (null without a range)
};

// A branch that receives potential contributions: its current is an unknown
// of its own, after the node voltages, with a branch equation of its own.
struct PotentialBranch {
    int p = -1, n = -1;  // node indices; n == -1: against ground
    std::string name;    // "I(p,n)" or "I(p)"
};

struct Program {
    std::string module;       // lower-case module name: the prefix of the public names
    std::string source_name;  // the preprocessed file, for the generated file's comment
    SideInfo side;
    Sources sources;                    // what the Verilog-A files say
    Unit unit;
    std::vector<ParamCode> param_code;  // parallel to side.params
    std::deque<Symbol> symbols;         // owns every symbol
    std::deque<Function> functions;     // the analog functions, in file order
    std::vector<const Symbol *> params, nodes, module_vars;
    std::vector<int> port_nodes;        // node index of each port (ports come first)
    std::vector<PotentialBranch> branches;  // unknown nodes.size() + k is the current of branches[k]
    // Jacobian entries that can be nonzero, [equation][unknown], of the
    // currents (resist) and of the charges (react).
    std::vector<std::vector<char>> resist, react;
    std::vector<char> called;           // per analog function: reachable from the evaluate function
    std::vector<std::string> warnings;  // complete messages
};

// Resolves and types everything in `prog.unit` and the parameter texts of
// `prog.side`; throws Error at the first problem.
void analyze(Program &prog);

// The C spelling of a source name: unchanged unless it could clash with C or
// with the names the generated file uses itself.
// `module` is the module name: names that start like the generated file's
// public names are renamed too.
std::string c_name(const std::string &name, const std::string &module);

}  // namespace zelk4th
