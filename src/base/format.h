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

inline void zformat_long(ZSink &sink, long value) {
    ZNumberText &slot = zformat_numbers[static_cast<unsigned long>(value) % 128];
    if (slot.len == 0 || slot.value != value) zformat_number_text(slot, value);
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

// The formatted text as a string.
std::string zvformat(const char *fmt, va_list ap);
