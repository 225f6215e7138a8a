#include "symbols/values.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"

// Where the arguments of a list of more than one begin in its text, and
// whether each of them is plain.
struct ZelkArgStarts {
    std::vector<size_t> starts;
    bool plain;
};

namespace {

// How a text's parentheses go, for `plain`: the depth after it, the lowest
// depth reached, and whether a comma stands at depth 0.
struct Shape {
    long depth = 0;
    long lowest = 0;
    bool comma = false;

    void walk(const char *text, size_t len) {
        for (size_t i = 0; i < len; ++i) {
            char c = text[i];
            if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth < lowest) lowest = depth;
            } else if (c == ',' && depth == 0) {
                comma = true;
            }
        }
    }
    bool plain() const { return depth == 0 && lowest >= 0 && !comma; }
};

bool plain_text(const char *text, size_t len) {
    Shape s;
    s.walk(text, len);
    return s.plain();
}

void drop_args(zelksymrec *rec) {
    delete rec->args;
    rec->args = nullptr;
}

// The smallest buffer: the heap gives no less anyway, and the room after a
// short text lets the first operators append to it in place.  Most texts
// (names, numbers) fit one; freed ones are kept for the next, which spares
// the heap two calls for nearly every token.
constexpr size_t kLeastBuffer = 24;
char *g_least_buffers = nullptr;  // chained through their first bytes

// A kept buffer holds the address of the next one.
char *next_kept(const char *buffer) {
    char *next;
    std::memcpy(&next, buffer, sizeof next);
    return next;
}

char *new_buffer(size_t cap) {
    if (cap == kLeastBuffer && g_least_buffers) {
        char *p = g_least_buffers;
        g_least_buffers = next_kept(p);
        return p;
    }
    return static_cast<char *>(std::malloc(cap));
}

void delete_buffer(char *p, size_t cap) {
    if (cap == kLeastBuffer) {
        std::memcpy(p, &g_least_buffers, sizeof g_least_buffers);
        g_least_buffers = p;
    } else {
        std::free(p);
    }
}

void free_buffer(zelksymrec *rec) {
    if (rec->val) delete_buffer(rec->val - rec->valfront, rec->valcap);
    rec->val = nullptr;
    rec->vallen = 0;
    rec->valcap = 0;
    rec->valfront = 0;
}

// Replaces the text by a copy of `len` bytes (which may be the old text).
void set_text(zelksymrec *rec, const char *text, size_t len) {
    size_t cap = std::max(len + 1, kLeastBuffer);
    char *p = new_buffer(cap);
    std::memcpy(p, text, len);
    p[len] = '\0';
    free_buffer(rec);
    rec->val = p;
    rec->vallen = len;
    rec->valcap = cap;
}

// Makes room for `front` more bytes before the text and `back` more after
// it.  A side that must grow gets at least the text's length again, so that
// a text growing at one end a little at a time is copied only a logarithmic
// number of times.
void reserve(zelksymrec *rec, size_t front, size_t back) {
    if (!rec->val) set_text(rec, "", 0);
    size_t room_back = rec->valcap - rec->valfront - rec->vallen - 1;
    if (rec->valfront >= front && room_back >= back) return;
    size_t new_front = rec->valfront >= front ? rec->valfront : std::max(front, rec->vallen);
    size_t new_back = room_back >= back ? room_back : std::max({back, rec->vallen, size_t{32}});
    size_t cap = new_front + rec->vallen + 1 + new_back;
    char *old = rec->val - rec->valfront;
    char *p;
    if (new_front == rec->valfront && rec->valcap != kLeastBuffer) {
        p = static_cast<char *>(std::realloc(old, cap));
    } else {
        p = new_buffer(cap);
        std::memcpy(p + new_front, rec->val, rec->vallen + 1);
        delete_buffer(old, rec->valcap);
    }
    rec->val = p + new_front;
    rec->valfront = new_front;
    rec->valcap = cap;
}

void append(zelksymrec *rec, const char *text, size_t len) {
    reserve(rec, 0, len);
    std::memcpy(rec->val + rec->vallen, text, len);
    rec->vallen += len;
    rec->val[rec->vallen] = '\0';
}

// `rec`'s text becomes the `len` bytes at `from` of `donor`'s text, in
// donor's buffer.  A donor that the function's final lookup will show keeps
// as much of its text as that shows.
void take(zelksymrec *rec, zelksymrec *donor, size_t from, size_t len) {
    std::string kept;
    bool looked_up = zelk_later_use(donor) == ZELK_LOOKED_UP;
    if (looked_up) kept.assign(donor->val, std::min(donor->vallen, ZTraceText::kMax + 1));
    free_buffer(rec);
    drop_args(rec);
    rec->val = donor->val + from;
    rec->valfront = donor->valfront + from;
    rec->vallen = len;
    rec->valcap = donor->valcap;
    rec->val[len] = '\0';
    donor->val = nullptr;
    free_buffer(donor);
    drop_args(donor);
    if (looked_up) {
        set_text(donor, kept.data(), kept.size());
        donor->plain = plain_text(kept.data(), kept.size());
    }
}

// Whether `piece` lies in its owner's buffer and may become the result's.
bool can_carry(const zelksymrec *rec, const ZelkPiece &piece) {
    if (!piece.owner || !piece.owner->val) return false;
    if (piece.text < piece.owner->val || piece.text + piece.len > piece.owner->val + piece.owner->vallen)
        return false;
    if (piece.owner == rec) return true;
    return piece.consumed && zelk_later_use(piece.owner) != ZELK_SEEN;
}

}  // namespace

ZelkPiece zelk_piece(const char *text, size_t len) { return ZelkPiece{text, len, nullptr, false, false}; }

ZelkPiece zelk_piece(const char *text) {
    text = ztext(text);
    return zelk_piece(text, std::strlen(text));
}

ZelkPiece zelk_piece_of(zelksymrec *rec) {
    if (!rec->val) return zelk_piece(nullptr);
    return ZelkPiece{rec->val, rec->vallen, rec, false, rec->plain};
}

ZelkPiece zelk_piece_extended(zelksymrec *rec) {
    return rec->val ? zelk_piece_of(rec) : zelk_piece("", 0);
}

ZelkPiece zelk_piece_taken(zelksymrec *rec) {
    ZelkPiece piece = zelk_piece_of(rec);
    piece.consumed = piece.owner != nullptr;
    return piece;
}

namespace {

// The pieces other than the base, before and after it, copied out before
// any buffer changes: short ones on the stack, long ones on the heap.
class Around {
public:
    void add(const ZelkPiece &piece) {
        if (used_ + piece.len <= sizeof small_) {
            std::memcpy(small_ + used_, piece.text, piece.len);
        } else {
            if (big_.empty()) big_.assign(small_, used_);
            big_.append(piece.text, piece.len);
        }
        used_ += piece.len;
    }
    const char *data() const { return big_.empty() ? small_ : big_.data(); }
    size_t size() const { return used_; }

private:
    char small_[256];
    size_t used_ = 0;
    std::string big_;
};

// What the result's own text may have copied around it rather than taking
// over a longer operand's buffer (join).
constexpr size_t kShortAround = 64;

// Whether `rec`'s own text (the piece `base`) has room before it for the
// pieces before `base` and after it for the others, `total` bytes in all.
bool room_around(const zelksymrec *rec, const ZelkPiece *base, const ZelkPiece *end, size_t total) {
    if (base->owner != rec) return false;
    size_t after = 0;
    for (const ZelkPiece *piece = base + 1; piece != end; ++piece) after += piece->len;
    size_t room_back = rec->valcap - rec->valfront - rec->vallen - 1;
    return rec->valfront >= total - base->len - after && room_back >= after;
}

void prepend(zelksymrec *rec, const Around &text) {
    reserve(rec, text.size(), 0);
    rec->val -= text.size();
    rec->valfront -= text.size();
    rec->vallen += text.size();
    std::memcpy(rec->val, text.data(), text.size());
}

// Copies the pieces in [from, to) to `out` end to end; returns the end.
char *copy_pieces(char *out, const ZelkPiece *from, const ZelkPiece *to) {
    for (const ZelkPiece *piece = from; piece != to; ++piece) {
        std::memcpy(out, piece->text, piece->len);
        out += piece->len;
    }
    return out;
}

void join(zelksymrec *rec, const ZelkPiece *pieces, size_t count) {
    const ZelkPiece *end = pieces + count;
    Shape shape;
    bool plain = true;
    const ZelkPiece *base = nullptr;
    size_t total = 0;
    for (const ZelkPiece *piece = pieces; piece != end; ++piece) {
        total += piece->len;
        if (piece->owner)
            plain = plain && piece->plain;
        else
            shape.walk(piece->text, piece->len);
        if (can_carry(rec, *piece) &&
            (!base || piece->len > base->len || (piece->len == base->len && piece->owner == rec)))
            base = piece;
    }
    plain = plain && shape.plain();
    // The result's own text stays the base when what comes around it is
    // short and fits in its buffer, even if an operand is longer: copying a
    // few bytes costs less than taking the operand's buffer over and making
    // room before it.  (Long operands are never copied this way, so a nested
    // expression still costs time in proportion to its size.)
    if (base && base->owner != rec) {
        for (const ZelkPiece *piece = pieces; piece != end; ++piece) {
            if (piece->owner == rec && piece->text == rec->val && piece->len == rec->vallen) {
                if (total - piece->len <= kShortAround && room_around(rec, piece, end, total))
                    base = piece;
                break;
            }
        }
    }
    if (!base) {
        // Nothing stays in place: the pieces go to a new buffer, and only
        // then is the old one (which they may lie in) freed.
        size_t cap = std::max(total + 1, kLeastBuffer);
        char *p = new_buffer(cap);
        *copy_pieces(p, pieces, end) = '\0';
        free_buffer(rec);
        rec->val = p;
        rec->vallen = total;
        rec->valcap = cap;
    } else if (base->text == rec->val && base->len == rec->vallen && room_around(rec, base, end, total)) {
        // The result's whole text stays where it is, and the room at its
        // ends takes the other pieces: they lie outside that room.
        size_t front = 0;
        for (const ZelkPiece *piece = pieces; piece != base; ++piece) front += piece->len;
        copy_pieces(rec->val - front, pieces, base);
        *copy_pieces(rec->val + rec->vallen, base + 1, end) = '\0';
        rec->val -= front;
        rec->valfront -= front;
        rec->vallen = total;
    } else {
        // The other pieces are copied out first: making room may move or
        // free the buffers they lie in.
        Around before, after;
        for (const ZelkPiece *piece = pieces; piece != end; ++piece) {
            if (piece == base) continue;
            (piece > base ? after : before).add(*piece);
        }
        if (base->owner == rec) {
            // The result's own text, or part of it, stays where it is.
            size_t from = static_cast<size_t>(base->text - rec->val);
            rec->val += from;
            rec->valfront += from;
            rec->vallen = base->len;
            rec->val[rec->vallen] = '\0';
        } else {
            take(rec, base->owner, static_cast<size_t>(base->text - base->owner->val), base->len);
        }
        if (before.size() > 0) prepend(rec, before);
        append(rec, after.data(), after.size());
    }
    drop_args(rec);
    rec->plain = plain;
}

}  // namespace

void zelk_joinval(zelksymrec *rec, const std::vector<ZelkPiece> &pieces) {
    join(rec, pieces.data(), pieces.size());
}

void zelk_joinval(zelksymrec *rec, std::initializer_list<ZelkPiece> pieces) {
    join(rec, pieces.begin(), pieces.size());
}

void zelk_setval_n(zelksymrec *rec, const char *text, size_t len) {
    // The new text is copied first: it may be the old one.
    set_text(rec, text, len);
    drop_args(rec);
    rec->plain = plain_text(rec->val, len);
}

void zelk_setval(zelksymrec *rec, const char *text) {
    if (!text) {
        free_buffer(rec);
        drop_args(rec);
        rec->plain = false;
        return;
    }
    zelk_setval_n(rec, text, std::strlen(text));
}

void zelk_appendval_n(zelksymrec *rec, const char *text, size_t len) {
    // Appended to a missing text, the text stands alone.
    bool plain = (rec->val ? rec->plain : true) && plain_text(text, len);
    append(rec, text, len);
    drop_args(rec);
    rec->plain = plain;
}

void zelk_appendval(zelksymrec *rec, const char *text) {
    zelk_appendval_n(rec, text, std::strlen(text));
}

void zelk_append_argument(zelksymrec *list, zelksymrec *arg) {
    ZelkArgStarts *args = list->args;
    list->args = nullptr;
    if (!args) args = new ZelkArgStarts{{0}, list->val && list->vallen > 0 && list->plain};
    size_t start = list->vallen + 1;
    args->plain = args->plain && arg->val && arg->vallen > 0 && arg->plain;
    zelk_joinval(list, {zelk_piece_extended(list), zelk_piece(",", 1), zelk_piece_taken(arg)});
    args->starts.push_back(start);
    list->args = args;
}

bool zelk_argument_pieces(zelksymrec *list, std::vector<ZelkPiece> &out) {
    if (!list->val) return false;
    if (!list->args) {
        if (list->nbarg != 1 || !list->plain || list->vallen == 0) return false;
        out.push_back(zelk_piece_taken(list));
        return true;
    }
    const std::vector<size_t> &starts = list->args->starts;
    if (!list->args->plain || starts.size() != static_cast<size_t>(list->nbarg)) return false;
    for (size_t i = 0; i < starts.size(); ++i) {
        size_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : list->vallen;
        out.push_back(ZelkPiece{list->val + starts[i], end - starts[i], list, true, true});
    }
    return true;
}

void zelk_release_text(zelksymrec *rec) {
    free_buffer(rec);
    drop_args(rec);
}

void zelk_free_value_buffers() {
    while (g_least_buffers) {
        char *p = g_least_buffers;
        g_least_buffers = next_kept(p);
        std::free(p);
    }
}
