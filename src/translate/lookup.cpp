#include "translate/lookup.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "symbols/state.h"

namespace {

using FirstIndex = std::unordered_map<std::string, int>;

FirstIndex g_functions;
FirstIndex g_macros;
FirstIndex g_branches;
std::vector<FirstIndex> g_func_args;
// Keys already in each contribution list, by list.
std::unordered_map<char ***, std::unordered_set<std::string>> g_branch_keys;

int find(const FirstIndex &index, const char *name) {
    if (!name) return -1;
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
}

}  // namespace

int zelk_lookup_function(const char *name) { return find(g_functions, name); }
int zelk_lookup_macro(const char *name) { return find(g_macros, name); }
int zelk_lookup_branch(const char *name) { return find(g_branches, name); }

int zelk_lookup_func_arg(int func, const char *name) {
    if (func < 0 || static_cast<size_t>(func) >= g_func_args.size()) return -1;
    return find(g_func_args[static_cast<size_t>(func)], name);
}

void zelk_register_function(int index) {
    g_functions.emplace(ZelkFunclist[index].name, index);
    if (g_func_args.size() <= static_cast<size_t>(index)) g_func_args.resize(index + 1);
}

void zelk_register_macro(int index) { g_macros.emplace(ZelkMaclist[index].name, index); }

void zelk_register_branch(int index) { g_branches.emplace(ZelkModSbranchArg[index].name, index); }

void zelk_register_func_arg(int func, int arg) {
    if (g_func_args.size() <= static_cast<size_t>(func)) g_func_args.resize(func + 1);
    g_func_args[static_cast<size_t>(func)].emplace(ZelkFunclist[func].FuncArg[arg].name, arg);
}

void zelk_add_branch_key(char **&list, int &count, const char *key) {
    auto &keys = g_branch_keys[&list];
    if (!keys.insert(key).second) return;
    zelk_append_name(list, count, key);
}

void zelk_lookup_reset() {
    g_functions.clear();
    g_macros.clear();
    g_branches.clear();
    g_func_args.clear();
    g_branch_keys.clear();
}
