// Name indexes over the translation state's lists.  Every list keeps its
// entries in order; these maps answer "first entry with this name" in
// constant time, which is what the linear searches of the design return.
#pragma once

// Index of the first analog function / text macro / named branch with this
// name, or -1.
int zelk_lookup_function(const char *name);
int zelk_lookup_macro(const char *name);
int zelk_lookup_branch(const char *name);
// Index of the first formal argument of function `func` with this name, or -1.
int zelk_lookup_func_arg(int func, const char *name);

// Called right after an entry was appended to its list.
void zelk_register_function(int index);
void zelk_register_macro(int index);
void zelk_register_branch(int index);
void zelk_register_func_arg(int func, int arg);

// Appends a branch key to a contribution list unless it is already there.
void zelk_add_branch_key(char **&list, int &count, const char *key);

void zelk_lookup_reset();
