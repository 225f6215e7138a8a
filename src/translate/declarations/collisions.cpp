#include "translate/declarations/collisions.h"

#include "base/diagnostics.h"
#include "symbols/state.h"

namespace {

// A declaration of `declared` names reports each name of `other` that now
// stands among them.  The message's arguments: that name, the declaration's
// name list, the line.
struct ListRule {
    ZelkNameKind declared;
    ZelkNameKind other;
    const char *message;
};

// In the order the reports come out.
const ListRule kListRules[] = {
    {ZK_ELECTR, ZK_PARAM,
     "!! Error: Same Name for electrical var:'%s'  and parameter :  near '%s' in line number:%d .\n"},
    {ZK_ELECTR, ZK_REAL,
     "!! Error: Same Name for electrical var:'%s' and  Module Real Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_ELECTR, ZK_INT,
     "!! Error: Same Name for electrical var:'%s' and  Module Integer Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_ELECTR, ZK_GENV,
     "!! Error: Same Name for electrical var:'%s' and  Module Generic Var:  near '%s' in line "
     "number:%d .\n"},

    {ZK_REAL, ZK_PARAM,
     "!! Error: Same Name for parameter:'%s' and Module Real Var :  near '%s' in line number:%d .\n"},
    {ZK_REAL, ZK_PORT,
     "!! Error: Same Name for Module Argument:'%s' and  Module Real Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_REAL, ZK_ELECTR,
     "!! Error: Same Name for electrical var:'%s' and  Module Real Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_REAL, ZK_INT,
     "!! Error: Same Name for Module Integer var:'%s' and Module Real Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_REAL, ZK_GENV,
     "!! Error: Same Name for Module Generic var:'%s' and  Module Real Var:  near '%s' in line "
     "number:%d .\n"},

    {ZK_INT, ZK_PARAM,
     "!! Error: Same Name for parameter:'%s' and Module Integer Var :  near '%s' in line "
     "number:%d .\n"},
    {ZK_INT, ZK_PORT,
     "!! Error: Same Name for Module Argument:'%s' and  Module Integer Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_INT, ZK_ELECTR,
     "!! Error: Same Name for electrical var:'%s' and  Module Integer Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_INT, ZK_REAL,
     "!! Error: Same Name for Module Real var:'%s' and  Module Integer Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_INT, ZK_GENV,
     "!! Error: Same Name for Module Generic var:'%s' and  Module Integer Var:  near '%s' in line "
     "number:%d .\n"},

    {ZK_GENV, ZK_PARAM,
     "!! Error: Same Name for parameter:'%s' and Module Generic Var :  near '%s' in line "
     "number:%d .\n"},
    {ZK_GENV, ZK_PORT,
     "!! Error: Same Name for Module Argument:'%s' and  Module Generic Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_GENV, ZK_ELECTR,
     "!! Error: Same Name for electrical var:'%s' and  Module Generic Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_GENV, ZK_REAL,
     "!! Error: Same Name for  Module Real var:'%s' and  Module Generic Var:  near '%s' in line "
     "number:%d .\n"},
    {ZK_GENV, ZK_INT,
     "!! Error: Same Name for Module Integer var:'%s' and  Module Generic Var:  near '%s' in line "
     "number:%d .\n"},
};

// A new parameter is reported once per entry of `other` with its name.  The
// message's arguments: the name twice, the default value, the line.
struct ParameterRule {
    ZelkNameKind other;
    const char *message;
};

const ParameterRule kDuplicateRule = {
    ZK_PARAM,
    "!! Error: Same Name already existing:'%s' parameter :  near '%s=%s' in line number:%d .\n"};

const ParameterRule kParameterRules[] = {
    {ZK_PORT,
     "!! Error: Same Name for Module Argument:'%s'  and parameter :  near '%s=%s' in line "
     "number:%d .\n"},
    {ZK_ELECTR,
     "!! Error: Same Name for electrical var:'%s'  and parameter :  near '%s=%s' in line "
     "number:%d .\n"},
    {ZK_REAL,
     "!! Error: Same Name for Module Real var:'%s' and  parameter :  near '%s=%s' in line "
     "number:%d .\n"},
    {ZK_INT,
     "!! Error: Same Name for Module Integer var:'%s' and parameter :  near '%s=%s' in line "
     "number:%d .\n"},
    {ZK_GENV,
     "!! Error: Same Name for Module Generic var:'%s' and parameter :  near '%s=%s' in line "
     "number:%d .\n"},
};

void report_parameter(const ParameterRule &rule, const char *name, const char *value) {
    for (int times = zelk_name_count(rule.other, name); times > 0; --times)
        zelk_error(rule.message, name, name, value, ZelkCurLineNumber);
}

}  // namespace

void zelk_check_declared_names(ZelkNameKind declared, const char *list_text) {
    for (const ListRule &rule : kListRules) {
        if (rule.declared != declared) continue;
        for (int pos : zelk_clashes(rule.other, declared)) {
            const char *name = zelk_name_at(rule.other, pos);
            for (int times = zelk_name_count(declared, name); times > 0; --times)
                zelk_error(rule.message, name, list_text, ZelkCurLineNumber);
        }
    }
}

void zelk_check_parameter_duplicate(const char *name, const char *value) {
    report_parameter(kDuplicateRule, name, value);
}

void zelk_check_parameter(const char *name, const char *value) {
    for (const ParameterRule &rule : kParameterRules) report_parameter(rule, name, value);
}

bool zelk_run_stop_checks(const std::vector<ZelkStopCheck> &checks, const char *owner) {
    for (const ZelkStopCheck &check : checks) {
        int first = -1;
        for (const char *name : check.names) {
            int pos = zelk_first_name(ZK_PARAM, name);
            if (pos >= 0 && (first < 0 || pos < first)) first = pos;
        }
        if (first >= 0) {
            zelk_error(check.message, ZelkParamList[first].name, owner);
            return false;
        }
    }
    return true;
}
