#include "symbols/symtab.h"

#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "base/trace.h"
#include "symbols/kinds.h"

// The fixed vocabulary of arithmetic functions and system tasks: Verilog-A
// name, C name, argument count.  Note the renamings: log is the decimal
// logarithm, ln the natural one, limexp is plain exp, vt is ut.
struct szelkinit zelkarith_fncts[32] = {
    {"vt", "ut", 1, 0},        {"ddt", "ddt", 1, 0},       {"idt", "idt", 1, 0},
    {"abs", "ABS", 1, 0},      {"sin", "sin", 1, 0},       {"cos", "cos", 1, 0},
    {"tan", "tan", 1, 0},      {"asin", "asin", 1, 0},     {"acos", "acos", 1, 0},
    {"atan", "atan", 1, 0},    {"log", "log10", 1, 0},     {"ln", "log", 1, 0},
    {"log10", "log10", 1, 0},  {"exp", "exp", 1, 0},       {"limexp", "exp", 1, 0},
    {"sqrt", "sqrt", 1, 0},    {"cbrt", "cbrt", 1, 0},     {"floor", "floor", 1, 0},
    {"sinh", "sinh", 1, 0},    {"cosh", "cosh", 1, 0},     {"tanh", "tanh", 1, 0},
    {"asinh", "asinh", 1, 0},  {"acosh", "acosh", 1, 0},   {"atanh", "atanh", 1, 0},
    {"ceil", "ceil", 1, 0},    {"pow", "pow", 2, 0},       {"atan2", "atan2", 2, 0},
    {"hypot", "hypot", 2, 0},  {"min", "MIN", 2, 0},       {"max", "MAX", 2, 0},
    {"strobe", "printf", 49, 0},
    {nullptr, nullptr, 0, 0},
};

zelksymrec *zelksym_table = nullptr;

namespace {
long g_next_id = 0;
}

char *zelk_strdup(const char *text) {
    if (!text) return nullptr;
    size_t n = std::strlen(text);
    char *p = static_cast<char *>(std::malloc(n + 1));
    std::memcpy(p, text, n + 1);
    return p;
}

zelksymrec *zelkputsym(const char *name, int type) {
    if (!name || !*name) return nullptr;
    zelksymrec *rec = static_cast<zelksymrec *>(std::calloc(1, sizeof(zelksymrec)));
    rec->id = ++g_next_id;
    ztrace("Debug : zelkputsym:  ptr:%ld:  sym_name:'%s'  type:%d(V:%d)\n", rec->id, name, type,
           TK_VAR);
    rec->name = zelk_strdup(name);
    rec->val = nullptr;
    rec->type = type;
    rec->kind = 0;
    rec->isptr = 0;
    rec->nbarg = 0;
    rec->next = zelksym_table;
    zelksym_table = rec;
    return rec;
}

zelksymrec *zelkgetsym(const char *name) {
    if (!name || !*name) return nullptr;
    for (zelksymrec *p = zelksym_table; p; p = p->next) {
        ztrace("Debug : zelkgetsym: ptr:%ld:  name:'%-20s' val:'%s' type:%d   isptr:%d \n", p->id,
               p->name, ZTraceText(p->val).c_str(), p->type, (int)p->isptr);
        if (std::strcmp(p->name, name) == 0) {
            ztrace("Debug : zelkgetsym: FOUND :ptr:%ld:  name:'%-20s'  val:'%s'  type:%d  \n",
                   p->id, p->name, ZTraceText(p->val).c_str(), p->type);
            return p;
        }
    }
    return nullptr;
}

void szelkinit_table() {
    for (int i = 0; zelkarith_fncts[i].fname; ++i) {
        zelksymrec *rec = zelkputsym(zelkarith_fncts[i].fname, TK_FNCT);
        zelk_setval(rec, zelkarith_fncts[i].rname);
    }
    zelksymrec *pi = zelkputsym("PI", TK_VAR);
    zelk_setval(pi, "3.1415926");
}

const struct szelkinit *zelk_find_builtin(const char *name) {
    if (!name) return nullptr;
    for (int i = 0; zelkarith_fncts[i].fname; ++i)
        if (std::strcmp(zelkarith_fncts[i].fname, name) == 0) return &zelkarith_fncts[i];
    return nullptr;
}

void zelk_free_symbol_table() {
    zelksymrec *p = zelksym_table;
    while (p) {
        zelksymrec *next = p->next;
        std::free(p->name);
        std::free(p->val);
        std::free(p);
        p = next;
    }
    zelksym_table = nullptr;
    g_next_id = 0;
}

void zelk_setval_n(zelksymrec *rec, const char *text, size_t len) {
    // Every holder of a value text keeps its own copy, so the text being
    // replaced belongs to this record alone and can go.  The new text is
    // copied first: it may be the old one.
    char *p = static_cast<char *>(std::malloc(len + 1));
    std::memcpy(p, text, len);
    p[len] = '\0';
    std::free(rec->val);
    rec->val = p;
    rec->vallen = len;
    rec->valcap = len + 1;
}

void zelk_setval(zelksymrec *rec, const char *text) {
    if (!text) {
        std::free(rec->val);
        rec->val = nullptr;
        rec->vallen = 0;
        rec->valcap = 0;
        return;
    }
    zelk_setval_n(rec, text, std::strlen(text));
}

void zelk_appendval_n(zelksymrec *rec, const char *text, size_t len) {
    if (!rec->val || rec->valcap == 0) {
        // A text we do not own the growth of (or none): start a fresh copy.
        const char *old = rec->val ? rec->val : "";
        size_t oldlen = std::strlen(old);
        size_t cap = oldlen + len + 1;
        if (cap < 64) cap = 64;
        char *p = static_cast<char *>(std::malloc(cap));
        std::memcpy(p, old, oldlen);
        std::memcpy(p + oldlen, text, len);
        p[oldlen + len] = '\0';
        std::free(rec->val);
        rec->val = p;
        rec->vallen = oldlen + len;
        rec->valcap = cap;
        return;
    }
    size_t need = rec->vallen + len + 1;
    if (need > rec->valcap) {
        size_t cap = rec->valcap * 2;
        if (cap < need) cap = need;
        if (cap < 64) cap = 64;
        rec->val = static_cast<char *>(std::realloc(rec->val, cap));
        rec->valcap = cap;
    }
    std::memcpy(rec->val + rec->vallen, text, len);
    rec->vallen += len;
    rec->val[rec->vallen] = '\0';
}

void zelk_appendval(zelksymrec *rec, const char *text) {
    zelk_appendval_n(rec, text, std::strlen(text));
}
