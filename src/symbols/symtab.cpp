#include "symbols/symtab.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/trace.h"
#include "symbols/kinds.h"
#include "symbols/values.h"

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
zelksymrec *g_oldest = nullptr;  // the other end of the table from zelksym_table

// The collector's bookkeeping (zelk_collect_records).
const zelksymrec *g_token_value = nullptr;
size_t g_made_since_collection = 0;
size_t g_kept_at_collection = 0;
// No collection before this many records have been made since the last:
// small inputs are not collected at all.
size_t g_collection_batch = 4096;

// The lookup window of the analog function being defined: its name, and
// the serial number of the newest record of that name.
std::string g_window_name;
long g_window_first = 0;
bool g_window_open = false;

bool in_window(const zelksymrec *rec) { return g_window_open && rec->id >= g_window_first; }

void unlink_record(zelksymrec *rec) {
    if (rec->newer)
        rec->newer->next = rec->next;
    else
        zelksym_table = rec->next;
    if (rec->next)
        rec->next->newer = rec->newer;
    else
        g_oldest = rec->newer;
}

// Records come from a pool of blocks that also hold a short name, so that
// making and freeing the record of a token costs no heap call, and the
// digits of the serial number, which many records print.
struct Block {
    zelksymrec rec;
    char name[24];
    char id_text[20];
    unsigned char id_len;
};
// Blocks are made 256 at a time and kept until the table is freed; plain
// pointers keep them (and what their records hold) reachable to the end.
struct Chunk {
    Chunk *next;
    Block blocks[256];
};
Chunk *g_chunks = nullptr;
zelksymrec *g_free_records = nullptr;  // of free blocks, chained through `next`

// A record is the first member of its block.
Block *block_of(zelksymrec *rec) { return reinterpret_cast<Block *>(rec); }

// The digits of g_next_id, counted up with it.
char g_id_text[20] = "0";
size_t g_id_len = 1;

void count_up_id() {
    ++g_next_id;
    for (size_t i = g_id_len; i-- > 0;) {
        if (g_id_text[i] != '9') {
            ++g_id_text[i];
            return;
        }
        g_id_text[i] = '0';
    }
    std::memmove(g_id_text + 1, g_id_text, g_id_len);
    g_id_text[0] = '1';
    ++g_id_len;
}

zelksymrec *new_record(const char *name, size_t n) {
    if (!g_free_records) {
        Chunk *chunk = new Chunk;
        chunk->next = g_chunks;
        g_chunks = chunk;
        for (Block &b : chunk->blocks) {
            b.rec.next = g_free_records;
            g_free_records = &b.rec;
        }
    }
    Block *b = block_of(g_free_records);
    g_free_records = g_free_records->next;
    std::memset(&b->rec, 0, sizeof b->rec);
    char *copy = n < sizeof b->name ? b->name : static_cast<char *>(std::malloc(n + 1));
    if (n <= 16)
        zparts::copy_short(copy, name, n);
    else
        std::memcpy(copy, name, n);
    copy[n] = '\0';
    b->rec.name = copy;
    b->rec.namelen = n;
    return &b->rec;
}

void free_name(zelksymrec *rec) {
    if (rec->name != block_of(rec)->name) std::free(rec->name);
    rec->name = nullptr;
}

void free_record(zelksymrec *rec) {
    zelk_release_text(rec);
    free_name(rec);
    rec->next = g_free_records;
    g_free_records = rec;
}

}  // namespace

char *zelk_strdup(const char *text) {
    if (!text) return nullptr;
    size_t n = std::strlen(text);
    char *p = static_cast<char *>(std::malloc(n + 1));
    std::memcpy(p, text, n + 1);
    return p;
}

zelksymrec *zelkputsym(const char *name, int type) {
    if (!name) return nullptr;
    return zelkputsym_n(name, std::strlen(name), type);
}

zelksymrec *zelkputsym_n(const char *name, size_t len, int type) {
    if (len == 0) return nullptr;
    zelksymrec *rec = new_record(name, len);
    count_up_id();
    rec->id = g_next_id;
    Block *b = block_of(rec);
    std::memcpy(b->id_text, g_id_text, sizeof b->id_text);
    b->id_len = static_cast<unsigned char>(g_id_len);
    ztrace_parts("Debug : zelkputsym:  ptr:", ZSpan{b->id_text, g_id_len}, ":  sym_name:'",
                 ZSpan{name, len}, "'  type:", type, "(V:", zdigits<TK_VAR>.text, ")\n");
    rec->val = nullptr;
    rec->type = type;
    rec->kind = 0;
    rec->isptr = 0;
    rec->nbarg = 0;
    rec->next = zelksym_table;
    if (zelksym_table)
        zelksym_table->newer = rec;
    else
        g_oldest = rec;
    zelksym_table = rec;
    ++g_made_since_collection;
    if (g_window_open && g_window_name == name) g_window_first = rec->id;
    return rec;
}

ZSpan zelk_id_text(const zelksymrec *rec) {
    const Block *b = reinterpret_cast<const Block *>(rec);
    return ZSpan{b->id_text, b->id_len};
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
    // Every call name is looked up here: the rows are indexed by their
    // first letter, which leaves a comparison or two.
    static const std::vector<std::vector<int>> by_first = [] {
        std::vector<std::vector<int>> rows(256);
        for (int i = 0; zelkarith_fncts[i].fname; ++i)
            rows[static_cast<unsigned char>(zelkarith_fncts[i].fname[0])].push_back(i);
        return rows;
    }();
    for (int i : by_first[static_cast<unsigned char>(name[0])])
        if (std::strcmp(zelkarith_fncts[i].fname, name) == 0) return &zelkarith_fncts[i];
    return nullptr;
}

ZelkLaterUse zelk_later_use(const zelksymrec *rec) {
    if (rec == g_token_value) return ZELK_SEEN;
    return in_window(rec) ? ZELK_LOOKED_UP : ZELK_NOT_SEEN;
}

void zelk_note_token_value(const zelksymrec *value) { g_token_value = value; }

namespace {

// The values the parser can still use, for the sweep to ask about each
// record: a set of addresses in open addressing, so that each question is a
// probe or two.
class Reached {
public:
    Reached(zelksymrec *const *values, size_t count, const zelksymrec *more) {
        size_t size = 16;
        while (size < 2 * (count + 1)) size *= 2;
        slots_.assign(size, nullptr);
        mask_ = size - 1;
        for (size_t i = 0; i < count; ++i) add(values[i]);
        add(more);
    }
    bool has(const zelksymrec *rec) const {
        for (size_t i = slot(rec);; i = (i + 1) & mask_) {
            if (slots_[i] == rec) return true;
            if (!slots_[i]) return false;
        }
    }

private:
    size_t slot(const zelksymrec *rec) const {
        return (reinterpret_cast<uintptr_t>(rec) >> 4) * 0x9E3779B97F4A7C15ULL >> 20 & mask_;
    }
    void add(const zelksymrec *rec) {
        if (!rec) return;
        size_t i = slot(rec);
        while (slots_[i] && slots_[i] != rec) i = (i + 1) & mask_;
        slots_[i] = rec;
    }
    std::vector<const zelksymrec *> slots_;
    size_t mask_;
};

}  // namespace

void zelk_collect_records(zelksymrec *const *stack, size_t count) {
    // Only once as many records were made as the last collection kept, so
    // that each collection costs about what was made since the last.
    if (g_made_since_collection < std::max(g_kept_at_collection, g_collection_batch)) return;
    // The stack may hold values that are no records any more (a mid-rule
    // action's value is whatever its slot held before): they are compared,
    // never followed.
    Reached reached(stack, count, g_token_value);
    size_t kept = 0;
    for (zelksymrec *p = g_oldest; p;) {
        zelksymrec *newer = p->newer;
        if (in_window(p) || reached.has(p)) {
            ++kept;
        } else {
            unlink_record(p);
            free_record(p);
        }
        p = newer;
    }
    g_kept_at_collection = kept;
    g_made_since_collection = 0;
}

void zelk_setname(zelksymrec *rec, const char *name) {
    char *copy = zelk_strdup(name);
    free_name(rec);
    rec->name = copy;
    rec->namelen = copy ? std::strlen(copy) : 0;
}

void zelk_set_collection_batch(size_t records) { g_collection_batch = records; }

void zelk_lookup_window_open(const zelksymrec *name) {
    g_window_open = true;
    g_window_name = name->name;
    g_window_first = name->id;
}

void zelk_lookup_window_close() {
    g_window_open = false;
    g_window_name.clear();
}

void zelk_free_symbol_table() {
    zelksymrec *p = zelksym_table;
    while (p) {
        zelksymrec *next = p->next;
        free_record(p);
        p = next;
    }
    zelksym_table = nullptr;
    g_oldest = nullptr;
    g_free_records = nullptr;
    while (g_chunks) {
        Chunk *next = g_chunks->next;
        delete g_chunks;
        g_chunks = next;
    }
    zelk_free_value_buffers();
    g_next_id = 0;
    g_id_text[0] = '0';
    g_id_len = 1;
    g_token_value = nullptr;
    g_made_since_collection = 0;
    g_kept_at_collection = 0;
    zelk_lookup_window_close();
}
