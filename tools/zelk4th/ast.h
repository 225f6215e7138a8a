// The syntax tree of the preprocessed translator output, with the slots that
// the analysis fills in (types, resolved names) for the code generator.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "diag.h"

namespace zelk4th {

// Value types.  Dual is a real that carries one partial derivative per
// electrical name; Real is a plain double (literals, parameters and what is
// computed from them alone); Int is a C int.
enum class Ty { None, Int, Real, Dual, Str };

const char *type_name(Ty t);

struct Symbol;
struct Function;
struct Builtin;

enum class ExprKind {
    Int,      // integer literal (text)
    Real,     // real literal (text)
    Str,      // string literal (text, quotes included)
    Name,     // identifier (text)
    Neg,      // unary minus (kids[0])
    AddrOf,   // "&" (kids[0]): only as an argument passed by address
    Deref,    // "*" (kids[0]): an argument passed by address, inside its function
    Binary,   // text is the operator; kids[0] op kids[1]
    Cond,     // kids[0] ? kids[1] : kids[2]
    Call,     // text is the callee, kids are the arguments
    PostDec,  // kids[0]-- (the counter of a repeat loop)
};

struct Expr {
    ExprKind kind = ExprKind::Int;
    Loc loc;
    std::string text;
    std::vector<std::unique_ptr<Expr>> kids;

    // Filled by the analysis.
    Ty type = Ty::None;
    const Symbol *sym = nullptr;       // Name
    const Function *fn = nullptr;      // Call of an analog function
    const Builtin *builtin = nullptr;  // Call of a built-in
    bool has_ddt = false;              // a ddt() term inside (contributions only)
    std::string fmt;                   // printf: the format string as written in C
    std::string convs;                 // printf: the conversion letter of each further argument
    int unknown = -1;                  // flow probe: the branch-current unknown it reads
    bool negate = false;               // flow probe: against the branch's direction
};
using ExprP = std::unique_ptr<Expr>;

enum class StmtKind { Block, Decl, Assign, ExprStmt, Return, If, For, While, Contrib, Empty };

struct Stmt {
    StmtKind kind = StmtKind::Empty;
    Loc loc;

    std::vector<std::unique_ptr<Stmt>> body;  // Block

    bool decl_real = false;                   // Decl: DoubleRec (else int)
    std::vector<std::string> names;           // Decl
    std::vector<const Symbol *> declared;     // Decl, filled by the analysis

    ExprP target;  // Assign: a Name or a Deref
    ExprP value;   // Assign, ExprStmt, Return, Contrib
    ExprP cond;    // If, While, For (may be null in For)
    std::unique_ptr<Stmt> then_s, else_s;  // If; the loop body of For and While is then_s
    std::unique_ptr<Stmt> init, step;      // For: assignments, may be null

    bool flow = true;                // Contrib: _I (else _V)
    std::vector<std::string> nodes;  // Contrib: one or two node names
    std::vector<int> node_index;     // Contrib, filled by the analysis (-1: ground)
    int branch = -1;                 // Contrib to a potential: its branch-current unknown
    bool reversed = false;           // Contrib to a potential: V(n,p) of branch (p,n)
};
using StmtP = std::unique_ptr<Stmt>;

// A formal argument as the old-style declaration list gives it.
struct ArgDecl {
    std::string name;
    std::string type;  // "DoubleRec", "int" or "double"
    bool ptr = false;
    Loc loc;
};

struct FuncDef {
    Loc loc;
    std::string ret;                  // "DoubleRec" or "int"
    std::string name;
    std::vector<std::string> params;  // names in the parenthesis
    std::vector<Loc> param_locs;
    std::vector<ArgDecl> decls;       // declarations between ")" and "{"
    StmtP body;                       // a Block
    bool is_evaluate = false;
};

// The whole file: module-level declarations and functions in order.
struct Unit {
    std::vector<StmtP> module_decls;
    std::vector<std::unique_ptr<FuncDef>> functions;  // analog functions, then the evaluate function
    FuncDef *evaluate = nullptr;
};

}  // namespace zelk4th
