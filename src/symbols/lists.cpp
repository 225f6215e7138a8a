#include "symbols/lists.h"

#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// The append rule.  A list is an array and a count; entries are appended one
// at a time and never removed.  The array's room grows in powers of two (its
// room is the smallest power of two not below the count), which keeps a run
// of appends linear; the visible content is the same as growing it by one.
template <class T>
void append(T *&arr, int &count, const T &entry) {
    if (count == 0 || (count & (count - 1)) == 0) {
        size_t room = count == 0 ? 1 : static_cast<size_t>(count) * 2;
        arr = static_cast<T *>(std::realloc(static_cast<void *>(arr), room * sizeof(T)));
    }
    arr[count] = entry;
    ++count;
}

void append_name(char **&arr, int &count, const char *name) {
    append(arr, count, zelk_strdup(name));
}

using FirstIndex = std::unordered_map<std::string, int>;

// Per module-level name kind: the positions of every name, in order.
std::unordered_map<std::string, std::vector<int>> g_positions[ZK_NKINDS];
// g_clashes[kind][other]: see zelk_clashes().
std::set<int> g_clashes[ZK_NKINDS][ZK_NKINDS];

FirstIndex g_functions;
std::vector<FirstIndex> g_function_args;  // by function
FirstIndex g_macros;
FirstIndex g_branches;
std::unordered_set<std::string> g_branch_keys[2];  // potential, flow

bool clash_target(int kind) {
    return kind == ZK_ELECTR || kind == ZK_REAL || kind == ZK_INT || kind == ZK_GENV;
}

int first_of(const FirstIndex &index, const char *name) {
    if (!name) return -1;
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

// The list of a kind of plain names (all but ZK_PARAM).
struct NameList {
    char **&names;
    int &count;
};

NameList list_of(ZelkNameKind kind) {
    switch (kind) {
        case ZK_PORT: return {ZelkModuleArg, ZelkModuleNbArg};
        case ZK_ELECTR: return {ZelkElectrArg, ZelkElectrNbArg};
        case ZK_REAL: return {ZelkModRealArg, ZelkModRealNbArg};
        case ZK_INT: return {ZelkModIntArg, ZelkModIntNbArg};
        default: return {ZelkModGenvArg, ZelkModGenvNbArg};
    }
}

// Records that the entry at `pos` of the list of `kind` is `name`.
void index_name(ZelkNameKind kind, const char *name, int pos) {
    auto ins = g_positions[kind].try_emplace(name);
    bool first = ins.second;
    ins.first->second.push_back(pos);
    // The new entry clashes with every other tracked list that holds its
    // name ...
    for (int other = 0; other < ZK_NKINDS; ++other) {
        if (other != kind && clash_target(other) && zelk_name_count(ZelkNameKind(other), name) > 0)
            g_clashes[kind][other].insert(pos);
    }
    // ... and, the first time the name enters a tracked list, every entry
    // of the other lists with that name now clashes with it.
    if (first && clash_target(kind)) {
        for (int other = 0; other < ZK_NKINDS; ++other) {
            if (other == kind) continue;
            auto it = g_positions[other].find(name);
            if (it == g_positions[other].end()) continue;
            for (int p : it->second) g_clashes[other][kind].insert(p);
        }
    }
}

void clear_index(ZelkNameKind kind) {
    g_positions[kind].clear();
    for (int other = 0; other < ZK_NKINDS; ++other) {
        g_clashes[kind][other].clear();
        g_clashes[other][kind].clear();
    }
}

void free_names(char **&names, int &count) {
    for (int i = 0; i < count; ++i) std::free(names[i]);
    std::free(names);
    names = nullptr;
    count = 0;
}

}  // namespace

void zelk_add_name(ZelkNameKind kind, const char *name) {
    NameList list = list_of(kind);
    append_name(list.names, list.count, name);
    index_name(kind, name, list.count - 1);
}

void zelk_add_parameter(const ZelkParamRec &param) {
    append(ZelkParamList, ZelkNbParam, param);
    index_name(ZK_PARAM, param.name, ZelkNbParam - 1);
}

void zelk_clear_names(ZelkNameKind kind) {
    NameList list = list_of(kind);
    free_names(list.names, list.count);
    clear_index(kind);
}

void zelk_add_function(const char *name, int integer) {
    ZelkAnalFuncRec f = {};
    f.name = zelk_strdup(name);
    f.type = integer;
    append(ZelkFunclist, ZelkNbAnalogFunc, f);
    g_functions.emplace(name, ZelkNbAnalogFunc - 1);
    g_function_args.emplace_back();
}

void zelk_add_function_arg(const char *name, bool pointer) {
    ZelkAnalFuncRec &f = *zelk_current_function();
    ZelkAfArgrec arg;
    arg.name = zelk_strdup(name);
    arg.isptr = pointer ? 1 : 0;
    arg.type = 0;
    append(f.FuncArg, f.FuncNbArg, arg);
    g_function_args.back().emplace(name, f.FuncNbArg - 1);
}

void zelk_add_function_local(bool integer, const char *name) {
    ZelkAnalFuncRec &f = *zelk_current_function();
    if (integer)
        append_name(f.LocIntArg, f.LocIntNbArg, name);
    else
        append_name(f.LocRealArg, f.LocRealNbArg, name);
}

void zelk_add_macro(const char *name, int nbarg) {
    ZelkAnalMacRec mac;
    mac.name = zelk_strdup(name);
    mac.MacNbArg = nbarg;
    append(ZelkMaclist, ZelkNbAnMac, mac);
    g_macros.emplace(name, ZelkNbAnMac - 1);
}

void zelk_add_branch(const char *name, const char *nodes) {
    ZelkSingleNameBranchRec rec;
    rec.name = zelk_strdup(name);
    rec.val = zelk_strdup(nodes);
    append(ZelkModSbranchArg, ZelkModSbranchNbArg, rec);
    g_branches.emplace(name, ZelkModSbranchNbArg - 1);
}

void zelk_add_branch_key(bool flow, const char *key) {
    if (!g_branch_keys[flow].insert(key).second) return;
    if (flow)
        append_name(ZelkModIbranchArg, ZelkModIbranchNbArg, key);
    else
        append_name(ZelkModVbranchArg, ZelkModVbranchNbArg, key);
}

int zelk_first_name(ZelkNameKind kind, const char *name) {
    if (!name) return -1;
    auto it = g_positions[kind].find(name);
    return it == g_positions[kind].end() ? -1 : it->second.front();
}

int zelk_name_count(ZelkNameKind kind, const char *name) {
    if (!name) return 0;
    auto it = g_positions[kind].find(name);
    return it == g_positions[kind].end() ? 0 : static_cast<int>(it->second.size());
}

const char *zelk_name_at(ZelkNameKind kind, int pos) {
    if (kind == ZK_PARAM) return ZelkParamList[pos].name;
    return list_of(kind).names[pos];
}

int zelk_find_function(const char *name) { return first_of(g_functions, name); }
int zelk_find_macro(const char *name) { return first_of(g_macros, name); }
int zelk_find_branch(const char *name) { return first_of(g_branches, name); }

int zelk_find_function_arg(int func, const char *name) {
    if (func < 0 || static_cast<size_t>(func) >= g_function_args.size()) return -1;
    return first_of(g_function_args[static_cast<size_t>(func)], name);
}

const std::set<int> &zelk_clashes(ZelkNameKind kind, ZelkNameKind other) {
    return g_clashes[kind][other];
}

void zelk_reset_lists() {
    for (int kind = ZK_PORT; kind < ZK_NKINDS; ++kind) zelk_clear_names(ZelkNameKind(kind));
    for (int i = 0; i < ZelkNbParam; ++i) {
        ZelkParamRec &p = ZelkParamList[i];
        std::free(p.name);
        std::free(p.val);
        std::free(p.fromval);
        std::free(p.fromkind);
    }
    std::free(ZelkParamList);
    ZelkParamList = nullptr;
    ZelkNbParam = 0;
    clear_index(ZK_PARAM);
    for (int i = 0; i < ZelkNbAnalogFunc; ++i) {
        ZelkAnalFuncRec &f = ZelkFunclist[i];
        std::free(f.name);
        for (int j = 0; j < f.FuncNbArg; ++j) std::free(f.FuncArg[j].name);
        std::free(f.FuncArg);
        free_names(f.LocRealArg, f.LocRealNbArg);
        free_names(f.LocIntArg, f.LocIntNbArg);
    }
    std::free(ZelkFunclist);
    ZelkFunclist = nullptr;
    ZelkNbAnalogFunc = 0;
    for (int i = 0; i < ZelkNbAnMac; ++i) std::free(ZelkMaclist[i].name);
    std::free(ZelkMaclist);
    ZelkMaclist = nullptr;
    ZelkNbAnMac = 0;
    for (int i = 0; i < ZelkModSbranchNbArg; ++i) {
        std::free(ZelkModSbranchArg[i].name);
        std::free(ZelkModSbranchArg[i].val);
    }
    std::free(ZelkModSbranchArg);
    ZelkModSbranchArg = nullptr;
    ZelkModSbranchNbArg = 0;
    free_names(ZelkModVbranchArg, ZelkModVbranchNbArg);
    free_names(ZelkModIbranchArg, ZelkModIbranchNbArg);
    g_functions.clear();
    g_function_args.clear();
    g_macros.clear();
    g_branches.clear();
    g_branch_keys[0].clear();
    g_branch_keys[1].clear();
}
