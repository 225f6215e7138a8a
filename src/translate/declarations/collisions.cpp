#include "translate/declarations/collisions.h"

#include <cstdio>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/diagnostics.h"
#include "base/trace.h"
#include "symbols/state.h"

namespace {

struct KindIndex {
    std::unordered_map<std::string, std::vector<int>> positions;
    std::vector<const std::string *> names;  // by position, into `positions`' keys
};

KindIndex g_kinds[ZK_NKINDS];
// g_clash[x][l]: positions in list x whose name occurs in list l.  Kept for
// the lists that whole-list checks look into (electrical and the three
// module variable kinds).
std::set<int> g_clash[ZK_NKINDS][ZK_NKINDS];

bool tracked_target(int l) { return l == ZK_ELECTR || l == ZK_REAL || l == ZK_INT || l == ZK_GENV; }

// Reports every clash between list x and list l (for each entry of x in
// order, once per equal entry of l) with `fmt`, whose arguments are the name,
// the declaration's list text and the line.
void report_whole_list(int x, int l, const char *fmt, const char *list_text) {
    for (int pos : g_clash[x][l]) {
        const std::string &name = *g_kinds[x].names[static_cast<size_t>(pos)];
        int times = zelk_names_count(static_cast<ZelkNameKind>(l), name.c_str());
        for (int t = 0; t < times; ++t) {
            zelk_error(fmt, name.c_str(), list_text, ZelkCurLineNumber);
        }
    }
}

// Reports the new parameter once per equal entry of list k.
void report_new_name(int k, const char *fmt, const char *name, const char *value) {
    int times = zelk_names_count(static_cast<ZelkNameKind>(k), name);
    for (int t = 0; t < times; ++t) {
        zelk_error(fmt, name, name, value, ZelkCurLineNumber);
    }
}

}  // namespace

void zelk_names_added(ZelkNameKind kind, const char *name, int index) {
    KindIndex &ki = g_kinds[kind];
    auto ins = ki.positions.try_emplace(name);
    bool first = ins.second;
    ins.first->second.push_back(index);
    if (ki.names.size() <= static_cast<size_t>(index)) ki.names.resize(static_cast<size_t>(index) + 1);
    ki.names[static_cast<size_t>(index)] = &ins.first->first;
    // This entry clashes with every tracked list that holds its name ...
    for (int l = 0; l < ZK_NKINDS; ++l) {
        if (l == kind || !tracked_target(l)) continue;
        if (zelk_names_count(static_cast<ZelkNameKind>(l), name) > 0) g_clash[kind][l].insert(index);
    }
    // ... and, the first time the name enters a tracked list, every entry of
    // the other lists with that name now clashes with it.
    if (first && tracked_target(kind)) {
        for (int x = 0; x < ZK_NKINDS; ++x) {
            if (x == kind) continue;
            auto it = g_kinds[x].positions.find(name);
            if (it == g_kinds[x].positions.end()) continue;
            for (int pos : it->second) g_clash[x][kind].insert(pos);
        }
    }
}

void zelk_names_cleared(ZelkNameKind kind) {
    g_kinds[kind].positions.clear();
    g_kinds[kind].names.clear();
    for (int k = 0; k < ZK_NKINDS; ++k) {
        g_clash[kind][k].clear();
        g_clash[k][kind].clear();
    }
}

int zelk_names_count(ZelkNameKind kind, const char *name) {
    if (!name) return 0;
    const auto &positions = g_kinds[kind].positions;
    auto it = positions.find(name);
    return it == positions.end() ? 0 : static_cast<int>(it->second.size());
}

int zelk_names_first(ZelkNameKind kind, const char *name) {
    if (!name) return -1;
    const auto &positions = g_kinds[kind].positions;
    auto it = positions.find(name);
    return it == positions.end() ? -1 : it->second.front();
}

void zelk_check_electrical(const char *list_text) {
    report_whole_list(ZK_PARAM, ZK_ELECTR,
                      "!! Error: Same Name for electrical var:'%s'  and parameter :  near '%s' in "
                      "line number:%d .\n",
                      list_text);
    report_whole_list(ZK_REAL, ZK_ELECTR,
                      "!! Error: Same Name for electrical var:'%s' and  Module Real Var:  near '%s' "
                      "in line number:%d .\n",
                      list_text);
    report_whole_list(ZK_INT, ZK_ELECTR,
                      "!! Error: Same Name for electrical var:'%s' and  Module Integer Var:  near "
                      "'%s' in line number:%d .\n",
                      list_text);
    report_whole_list(ZK_GENV, ZK_ELECTR,
                      "!! Error: Same Name for electrical var:'%s' and  Module Generic Var:  near "
                      "'%s' in line number:%d .\n",
                      list_text);
}

void zelk_check_module_variables(ZelkVarKind kind, const char *list_text) {
    switch (kind) {
        case ZELK_REAL:
            report_whole_list(ZK_PARAM, ZK_REAL,
                              "!! Error: Same Name for parameter:'%s' and Module Real Var :  near "
                              "'%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_PORT, ZK_REAL,
                              "!! Error: Same Name for Module Argument:'%s' and  Module Real Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_ELECTR, ZK_REAL,
                              "!! Error: Same Name for electrical var:'%s' and  Module Real Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_INT, ZK_REAL,
                              "!! Error: Same Name for Module Integer var:'%s' and Module Real Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_GENV, ZK_REAL,
                              "!! Error: Same Name for Module Generic var:'%s' and  Module Real Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            break;
        case ZELK_INTEGER:
            report_whole_list(ZK_PARAM, ZK_INT,
                              "!! Error: Same Name for parameter:'%s' and Module Integer Var :  near "
                              "'%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_PORT, ZK_INT,
                              "!! Error: Same Name for Module Argument:'%s' and  Module Integer Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_ELECTR, ZK_INT,
                              "!! Error: Same Name for electrical var:'%s' and  Module Integer Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_REAL, ZK_INT,
                              "!! Error: Same Name for Module Real var:'%s' and  Module Integer Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_GENV, ZK_INT,
                              "!! Error: Same Name for Module Generic var:'%s' and  Module Integer "
                              "Var:  near '%s' in line number:%d .\n",
                              list_text);
            break;
        case ZELK_GENVAR:
            report_whole_list(ZK_PARAM, ZK_GENV,
                              "!! Error: Same Name for parameter:'%s' and Module Generic Var :  near "
                              "'%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_PORT, ZK_GENV,
                              "!! Error: Same Name for Module Argument:'%s' and  Module Generic Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_ELECTR, ZK_GENV,
                              "!! Error: Same Name for electrical var:'%s' and  Module Generic Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_REAL, ZK_GENV,
                              "!! Error: Same Name for  Module Real var:'%s' and  Module Generic Var:  "
                              "near '%s' in line number:%d .\n",
                              list_text);
            report_whole_list(ZK_INT, ZK_GENV,
                              "!! Error: Same Name for Module Integer var:'%s' and  Module Generic "
                              "Var:  near '%s' in line number:%d .\n",
                              list_text);
            break;
    }
}

void zelk_check_parameter_duplicate(const char *name, const char *value) {
    report_new_name(ZK_PARAM,
                    "!! Error: Same Name already existing:'%s' parameter :  near '%s=%s' in line "
                    "number:%d .\n",
                    name, value);
}

void zelk_check_parameter(const char *name, const char *value) {
    report_new_name(ZK_PORT,
                    "!! Error: Same Name for Module Argument:'%s'  and parameter :  near '%s=%s' in "
                    "line number:%d .\n",
                    name, value);
    report_new_name(ZK_ELECTR,
                    "!! Error: Same Name for electrical var:'%s'  and parameter :  near '%s=%s' in "
                    "line number:%d .\n",
                    name, value);
    report_new_name(ZK_REAL,
                    "!! Error: Same Name for Module Real var:'%s' and  parameter :  near '%s=%s' in "
                    "line number:%d .\n",
                    name, value);
    report_new_name(ZK_INT,
                    "!! Error: Same Name for Module Integer var:'%s' and parameter :  near '%s=%s' in "
                    "line number:%d .\n",
                    name, value);
    report_new_name(ZK_GENV,
                    "!! Error: Same Name for Module Generic var:'%s' and parameter :  near '%s=%s' in "
                    "line number:%d .\n",
                    name, value);
}

void zelk_collisions_reset() {
    for (int k = 0; k < ZK_NKINDS; ++k) zelk_names_cleared(static_cast<ZelkNameKind>(k));
}
