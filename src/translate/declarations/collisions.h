// Name-collision rules: one name used for two kinds of module-level names.
//
// Every rule compares the names of one kind of list with those of another.
// Reports come out in list order and repeat at every later declaration, yet
// cost nothing when nothing clashes: the lists' clash index (symbols/lists.h)
// keeps, as names arrive, the positions whose name stands in the other list,
// so a declaration visits only its clashes.
#pragma once

#include <vector>

#include "symbols/lists.h"

// After a declaration of electrical names or module variables (`declared`
// is ZK_ELECTR, ZK_REAL, ZK_INT or ZK_GENV) has recorded its names: every
// name of the other lists that now stands in the declared list, once per
// equal entry there.  `list_text` is the declaration's name list.
void zelk_check_declared_names(ZelkNameKind declared, const char *list_text);
// Against earlier parameters, before the new one is recorded.
void zelk_check_parameter_duplicate(const char *name, const char *value);
// Against ports, electrical names and module variables, once per equal entry.
void zelk_check_parameter(const char *name, const char *value);

// A check that stops the translation: the first parameter, in declaration
// order, named like one of `names` is reported with `message`, whose
// arguments are the parameter's name and the name of the module or function
// being checked.
struct ZelkStopCheck {
    std::vector<const char *> names;
    const char *message;
};
// Runs the checks in order; false after the first report.
bool zelk_run_stop_checks(const std::vector<ZelkStopCheck> &checks, const char *owner);
