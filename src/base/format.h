// printf formatting straight into a byte sink, in one pass.
//
// The trace writes hundreds of millions of bytes through printf-style
// formats, and the C library's vsnprintf spends most of its time on what
// those formats never use (locales, positional arguments, wide characters),
// then needs a second pass whenever the result is larger than the space it
// was given.  zformat() reads the format once and appends to a sink that
// makes room as it goes: the trace's buffer (written out when full) or a
// string.  It does %s, %c, the integer conversions with their flags, width,
// precision and length modifiers itself, exactly as printf does, and hands
// the floating-point and pointer conversions to snprintf one at a time.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

struct ZSink {
    char *pos;
    char *end;
    // Called when fewer than `need` bytes are left: makes room for at least
    // one more byte (a sink in chunks may give less than `need`).
    void (*grow)(ZSink &sink, size_t need);
    void *owner;  // the grow function's own data

    void put(const char *text, size_t len) {
        if (len <= static_cast<size_t>(end - pos)) {
            std::memcpy(pos, text, len);
            pos += len;
        } else {
            put_slow(text, len);
        }
    }
    void put(char c) {
        if (pos == end) grow(*this, 1);
        *pos++ = c;
    }
    void put_slow(const char *text, size_t len);
    // `count` copies of `c`.
    void fill(char c, size_t count);
};

// `fmt` must be a string literal (or a text that stays unchanged for the
// whole run): what is read from it is kept by its address.  So are the
// formats of zvformat, and of ztrace, zfmt and zout, which use these.
void zformat(ZSink &sink, const char *fmt, va_list ap);

// Unsigned decimal digits of `value` written to `out` (at least 20 bytes);
// returns their count.
size_t zformat_decimal(char *out, unsigned long long value);

// A number as %ld writes it.  The trace writes the same few numbers again
// and again (the line being read, the kind codes, the serial number of the
// record at hand), so their digits are kept in a small table indexed by
// value, which makes most numbers a copy.
struct ZNumberText {
    long value;
    unsigned char len;  // 0: not filled yet
    char text[23];
};
extern ZNumberText zformat_numbers[128];
void zformat_number_text(ZNumberText &slot, long value);

inline const ZNumberText &zformat_number_slot(long value) {
    ZNumberText &slot = zformat_numbers[static_cast<unsigned long>(value) % 128];
    if (slot.len == 0 || slot.value != value) zformat_number_text(slot, value);
    return slot;
}

inline void zformat_long(ZSink &sink, long value) {
    const ZNumberText &slot = zformat_number_slot(value);
    if (sink.end - sink.pos >= static_cast<long>(sizeof slot.text)) {
        // Room for the whole slot: a copy of fixed length, then only the
        // digits count.
        std::memcpy(sink.pos, slot.text, sizeof slot.text);
        sink.pos += slot.len;
    } else {
        sink.put(slot.text, slot.len);
    }
}

// A number as %x writes it.
void zformat_hex(ZSink &sink, unsigned value);

// Texts built from their pieces in order, for what is written for every
// token and every expression step (trace records, generated lines): reading
// a printf format at each of those would cost more than the rest of the
// translation.  The pieces are string literals, texts, integers and the
// piece types below; zparts_write(sink, "n=", 12, " '", ZText{name}, "'")
// writes what zformat(sink, "n=%d '%s'", 12, name) writes.  When the sink
// has room for the most the pieces can take, they are copied without a
// check each.
struct ZText {  // a text (a null one shown "(null)") as %s shows it
    const char *text;
};
struct ZSpan {  // a text of known length
    const char *text;
    size_t len;
};
struct ZChar {  // a byte as %c writes it
    char c;
};
struct ZHex {  // a number as %x writes it
    unsigned number;
};
struct ZSpaces {  // that many blanks
    size_t count;
};
// A text of known length shown as the trace's records of expressions show
// operand texts: cut after its first kMax bytes, and then marked "..."
// (see ZTraceText in base/text.h).
struct ZCut {
    static constexpr size_t kMax = 512;
    const char *text;
    size_t len;
};

// The digits of a constant number, made when compiling, so that
// zdigits<TK_VAR>.text among a record's pieces is copied as a string
// literal is, where the number itself would be looked up.
template <unsigned long N>
constexpr size_t zdigit_count() {
    size_t n = 1;
    for (unsigned long v = N; v >= 10; v /= 10) ++n;
    return n;
}
template <unsigned long N>
struct ZDigits {
    char text[zdigit_count<N>() + 1];
};
template <unsigned long N>
constexpr ZDigits<N> zmake_digits() {
    ZDigits<N> digits{};
    unsigned long v = N;
    for (size_t i = zdigit_count<N>(); i-- > 0; v /= 10) digits.text[i] = static_cast<char>('0' + v % 10);
    return digits;
}
template <unsigned long N>
constexpr ZDigits<N> zdigits = zmake_digits<N>();

namespace zparts {

// A ZText is measured once, before anything is written.
inline ZSpan sized(ZText text) {
    const char *t = text.text ? text.text : "(null)";
    return ZSpan{t, std::strlen(t)};
}
template <class Part>
const Part &sized(const Part &part) {
    return part;
}

// The most bytes a piece can take.
template <size_t N>
constexpr size_t most(const char (&)[N]) {
    return N - 1;
}
inline size_t most(ZSpan text) { return text.len; }
constexpr size_t most(long) { return sizeof ZNumberText::text; }
constexpr size_t most(int) { return sizeof ZNumberText::text; }
constexpr size_t most(ZChar) { return 1; }
constexpr size_t most(ZHex) { return 8; }
inline size_t most(ZSpaces blanks) { return blanks.count; }
inline size_t most(ZCut text) { return text.len > ZCut::kMax ? ZCut::kMax + 3 : text.len; }

// Writes a piece at `p`, which has room for most(piece); returns its end.
template <size_t N>
char *put(char *p, const char (&literal)[N]) {
    std::memcpy(p, literal, N - 1);
    return p + N - 1;
}
// Most texts in records are names and numbers of a few bytes: they are
// copied in at most two overlapping moves of 8, 4 or 1 bytes, which costs
// less than the call to memcpy.
inline void copy_short(char *to, const char *from, size_t len) {
    if (len >= 8) {
        uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + len - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + len - 8, &tail, 8);
    } else if (len >= 4) {
        uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + len - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + len - 4, &tail, 4);
    } else if (len > 0) {
        to[0] = from[0];
        to[len / 2] = from[len / 2];
        to[len - 1] = from[len - 1];
    }
}
inline char *put(char *p, ZSpan text) {
    if (text.len <= 16)
        copy_short(p, text.text, text.len);
    else
        std::memcpy(p, text.text, text.len);
    return p + text.len;
}
inline char *put(char *p, long number) {
    const ZNumberText &slot = zformat_number_slot(number);
    std::memcpy(p, slot.text, sizeof slot.text);
    return p + slot.len;
}
inline char *put(char *p, int number) { return put(p, static_cast<long>(number)); }
inline char *put(char *p, ZChar c) {
    *p = c.c;
    return p + 1;
}
char *put_hex(char *p, unsigned number);
inline char *put(char *p, ZHex hex) {
    // Mostly a byte of the source.
    if (hex.number < 256) {
        const char *digits = "0123456789abcdef";
        if (hex.number >= 16) *p++ = digits[hex.number >> 4];
        *p++ = digits[hex.number & 15];
        return p;
    }
    return put_hex(p, hex.number);
}
inline char *put(char *p, ZSpaces blanks) {
    std::memset(p, ' ', blanks.count);
    return p + blanks.count;
}

inline char *put(char *p, ZCut text) {
    if (text.len <= ZCut::kMax) return put(p, ZSpan{text.text, text.len});
    return put(put(p, ZSpan{text.text, ZCut::kMax}), "...");
}

// The same into a sink that makes room as it goes.
template <size_t N>
void put(ZSink &sink, const char (&literal)[N]) {
    sink.put(literal, N - 1);
}
inline void put(ZSink &sink, ZSpan text) { sink.put(text.text, text.len); }
inline void put(ZSink &sink, long number) { zformat_long(sink, number); }
inline void put(ZSink &sink, int number) { zformat_long(sink, number); }
inline void put(ZSink &sink, ZChar c) { sink.put(c.c); }
inline void put(ZSink &sink, ZHex hex) { zformat_hex(sink, hex.number); }
inline void put(ZSink &sink, ZSpaces blanks) { sink.fill(' ', blanks.count); }
inline void put(ZSink &sink, ZCut text) {
    if (text.len <= ZCut::kMax) {
        sink.put(text.text, text.len);
    } else {
        sink.put(text.text, ZCut::kMax);
        sink.put("...", 3);
    }
}

template <class... Parts>
void write_sized(ZSink &sink, const Parts &...parts) {
    size_t most_bytes = (most(parts) + ...);
    if (most_bytes <= static_cast<size_t>(sink.end - sink.pos)) {
        char *p = sink.pos;
        ((p = put(p, parts)), ...);
        sink.pos = p;
    } else {
        (put(sink, parts), ...);
    }
}

}  // namespace zparts

template <class... Parts>
void zparts_write(ZSink &sink, const Parts &...parts) {
    zparts::write_sized(sink, zparts::sized(parts)...);
}

// The formatted text as a string.
std::string zvformat(const char *fmt, va_list ap);
