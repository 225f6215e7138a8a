// The lists of the translation state, appended and indexed in one place.
//
// Every list keeps its entries in order, as state.h declares them; every
// append goes through one call here, which also indexes the new entry by
// name.  The indexes answer "first entry with this name" in constant time,
// which is what the linear searches of the design return, and keep the
// clash index of the name-collision checks up to date as names arrive.
// zelk_reset_state() empties the lists and their indexes together.
#pragma once

#include <set>

#include "symbols/state.h"

// The module-level names, one kind per list.
enum ZelkNameKind {
    ZK_PARAM,   // ZelkParamList: parameter names
    ZK_PORT,    // ZelkModuleArg: the ports of the module header
    ZK_ELECTR,  // ZelkElectrArg: electrical names
    ZK_REAL,    // ZelkModRealArg: real variables and named branches
    ZK_INT,     // ZelkModIntArg: integer variables
    ZK_GENV,    // ZelkModGenvArg: genvar names
    ZK_NKINDS
};

// Appends a copy of `name` to the list of `kind` (not ZK_PARAM).
void zelk_add_name(ZelkNameKind kind, const char *name);
// Appends a parameter; the list owns its texts from then on.
void zelk_add_parameter(const ZelkParamRec &param);
// Empties the list of `kind` (not ZK_PARAM): the module header replaces the
// ports and empties the electrical names.
void zelk_clear_names(ZelkNameKind kind);

// Appends an analog function, which becomes the current one.
void zelk_add_function(const char *name, int integer);
// Appends a formal argument to the current analog function.
void zelk_add_function_arg(const char *name, bool pointer);
// Appends a local variable (integer or genvar, else real) to the current
// analog function.
void zelk_add_function_local(bool integer, const char *name);
void zelk_add_macro(const char *name, int nbarg);
// Appends a named branch with its node list text.
void zelk_add_branch(const char *name, const char *nodes);
// Appends a branch key to the flow (I) or potential (V) contribution list
// unless it is already there.
void zelk_add_branch_key(bool flow, const char *key);

// Position of the first entry with this name, or -1; how many there are.
int zelk_first_name(ZelkNameKind kind, const char *name);
int zelk_name_count(ZelkNameKind kind, const char *name);
// The name at `pos` of the list of `kind`.
const char *zelk_name_at(ZelkNameKind kind, int pos);
// Index of the first analog function / text macro / named branch with this
// name, or -1.
int zelk_find_function(const char *name);
int zelk_find_macro(const char *name);
int zelk_find_branch(const char *name);
// Index of the first formal argument of function `func` with this name, or -1.
int zelk_find_function_arg(int func, const char *name);

// The clash index: the positions, in order, of the entries of the list of
// `kind` whose name also stands in the list of `other`.  Kept for the lists
// that whole-list checks look into: `other` is ZK_ELECTR, ZK_REAL, ZK_INT or
// ZK_GENV.
const std::set<int> &zelk_clashes(ZelkNameKind kind, ZelkNameKind other);

// Frees every list and clears the indexes (part of zelk_reset_state()).
void zelk_reset_lists();
