// Name-collision rules: one name used for two kinds of module-level names.
//
// Reports must come out in list order and repeat at every later declaration,
// yet cost nothing when nothing clashes.  So every kind of name is indexed
// (name -> positions) and, for each pair of kinds that a declaration
// compares, the positions of the first kind whose name also occurs in the
// second are kept in order as names arrive.  A declaration then visits only
// its clashes.
#pragma once

#include "translate/actions.h"

enum ZelkNameKind { ZK_PARAM, ZK_PORT, ZK_ELECTR, ZK_REAL, ZK_INT, ZK_GENV, ZK_NKINDS };

// Bookkeeping: a name was appended at `index` of the list of `kind`; a list
// was emptied (the module header empties the electrical names and replaces
// the ports).
void zelk_names_added(ZelkNameKind kind, const char *name, int index);
void zelk_names_cleared(ZelkNameKind kind);
// How many entries of the list of `kind` are `name`.
int zelk_names_count(ZelkNameKind kind, const char *name);
// Position of the first entry of the list of `kind` that is `name`, or -1.
int zelk_names_first(ZelkNameKind kind, const char *name);

// Checks run by the declarations, after their names were recorded.
void zelk_check_electrical(const char *list_text);
void zelk_check_module_variables(ZelkVarKind kind, const char *list_text);
// Against earlier parameters, before the new one is recorded.
void zelk_check_parameter_duplicate(const char *name, const char *value);
// Against ports, electrical names and module variables.
void zelk_check_parameter(const char *name, const char *value);

void zelk_collisions_reset();
