#include "base/format.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

void ZSink::put_slow(const char *text, size_t len) {
    while (len > 0) {
        if (pos == end) grow(*this, len);
        size_t n = static_cast<size_t>(end - pos);
        if (n > len) n = len;
        std::memcpy(pos, text, n);
        pos += n;
        text += n;
        len -= n;
    }
}

void ZSink::fill(char c, size_t count) {
    while (count > 0) {
        if (pos == end) grow(*this, count);
        size_t n = static_cast<size_t>(end - pos);
        if (n > count) n = count;
        std::memset(pos, c, n);
        pos += n;
        count -= n;
    }
}

namespace {

const char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

size_t decimal_width(unsigned long long value) {
    size_t n = 1;
    for (; value >= 10000; value /= 10000) n += 4;
    if (value >= 1000) return n + 3;
    if (value >= 100) return n + 2;
    return value >= 10 ? n + 1 : n;
}

}  // namespace

size_t zformat_decimal(char *out, unsigned long long value) {
    size_t n = decimal_width(value);
    char *p = out + n;
    // Most numbers of the trace (lines, serial numbers, kind codes) are
    // small: 32-bit divisions are cheaper.
    if (value <= 0xffffffffULL) {
        unsigned v = static_cast<unsigned>(value);
        while (v >= 100) {
            unsigned pair = v % 100 * 2;
            v /= 100;
            *--p = kDigitPairs[pair + 1];
            *--p = kDigitPairs[pair];
        }
        if (v >= 10) {
            *--p = kDigitPairs[v * 2 + 1];
            *--p = kDigitPairs[v * 2];
        } else {
            *--p = static_cast<char>('0' + v);
        }
        return n;
    }
    while (value >= 100) {
        unsigned pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        *--p = kDigitPairs[pair + 1];
        *--p = kDigitPairs[pair];
    }
    if (value >= 10) {
        *--p = kDigitPairs[value * 2 + 1];
        *--p = kDigitPairs[value * 2];
    } else {
        *--p = static_cast<char>('0' + value);
    }
    return n;
}

ZNumberText zformat_numbers[128];

void zformat_number_text(ZNumberText &slot, long value) {
    unsigned long magnitude =
        value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    size_t sign = value < 0 ? 1 : 0;
    slot.text[0] = '-';
    slot.len = static_cast<unsigned char>(sign + zformat_decimal(slot.text + sign, magnitude));
    slot.value = value;
}

namespace {

// One conversion, as read from the format.
struct Conversion {
    const char *start;  // its '%'
    const char *stop;   // one past its conversion character
    bool left = false;  // '-'
    bool other_flags = false;  // '+', ' ', '#' or '0'
    bool star_width = false, star_precision = false;
    int width = 0;       // after a '*', the argument as given
    int precision = -1;  // -1: none; after a '*', the argument as given
    char length = 0;     // 'H' hh, 'h', 'l', 'q' ll, 'L', 'j', 'z', 't'
    char conversion = 0;
    // %s, %c, %d, %i or %ld with at most '-' and a width (or '*'): what
    // nearly every record and generated line uses, done on the short path.
    bool common = false;
};

// The width to pad to (a negative '*' argument means '-').
size_t pad_width(const Conversion &s, bool &left) {
    left = s.left;
    if (s.width >= 0) return static_cast<size_t>(s.width);
    left = true;
    return s.width == INT_MIN ? static_cast<size_t>(INT_MAX) + 1 : static_cast<size_t>(-s.width);
}

__attribute__((noinline)) void put_padded_slow(ZSink &out, const Conversion &s, const char *text,
                                                size_t len) {
    bool left;
    size_t width = pad_width(s, left);
    if (!left && width > len) out.fill(' ', width - len);
    out.put(text, len);
    if (left && width > len) out.fill(' ', width - len);
}

inline void put_padded(ZSink &out, const Conversion &s, const char *text, size_t len) {
    if (s.width == 0)
        out.put(text, len);
    else
        put_padded_slow(out, s, text, len);
}

// snprintf for one conversion whose argument has already been fetched.
template <class T>
void put_by_snprintf(ZSink &out, const Conversion &s, T value) {
    std::string conv(s.start, s.stop);
    auto print = [&](char *buf, size_t size) {
        if (s.star_width && s.star_precision)
            return std::snprintf(buf, size, conv.c_str(), s.width, s.precision, value);
        if (s.star_width) return std::snprintf(buf, size, conv.c_str(), s.width, value);
        if (s.star_precision) return std::snprintf(buf, size, conv.c_str(), s.precision, value);
        return std::snprintf(buf, size, conv.c_str(), value);
    };
    char small[128];
    int n = print(small, sizeof small);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        out.put(small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    print(&big[0], big.size());
    out.put(big.data(), static_cast<size_t>(n));
}

long long signed_argument(const Conversion &s, va_list &ap) {
    switch (s.length) {
    case 'l': return va_arg(ap, long);
    case 'q': return va_arg(ap, long long);
    case 'j': return va_arg(ap, intmax_t);
    case 'z': return static_cast<long long>(va_arg(ap, size_t));
    case 't': return va_arg(ap, ptrdiff_t);
    case 'h': return static_cast<short>(va_arg(ap, int));
    case 'H': return static_cast<signed char>(va_arg(ap, int));
    default: return va_arg(ap, int);
    }
}

unsigned long long unsigned_argument(const Conversion &s, va_list &ap) {
    switch (s.length) {
    case 'l': return va_arg(ap, unsigned long);
    case 'q': return va_arg(ap, unsigned long long);
    case 'j': return va_arg(ap, uintmax_t);
    case 'z': return va_arg(ap, size_t);
    case 't': return static_cast<unsigned long long>(va_arg(ap, ptrdiff_t));
    case 'h': return static_cast<unsigned short>(va_arg(ap, unsigned));
    case 'H': return static_cast<unsigned char>(va_arg(ap, unsigned));
    default: return va_arg(ap, unsigned);
    }
}

void put_integer(ZSink &out, const Conversion &s, va_list &ap) {
    bool is_signed = s.conversion == 'd' || s.conversion == 'i';
    if (s.other_flags || s.precision >= 0) {
        // Signs, zero padding, alternate forms and precisions: rare enough
        // to leave to the C library.
        if (s.length == 'q' || s.length == 'j')
            put_by_snprintf(out, s, is_signed ? signed_argument(s, ap)
                                              : static_cast<long long>(unsigned_argument(s, ap)));
        else if (is_signed)
            put_by_snprintf(out, s, static_cast<long>(signed_argument(s, ap)));
        else
            put_by_snprintf(out, s, static_cast<unsigned long>(unsigned_argument(s, ap)));
        return;
    }
    char digits[32];
    size_t n;
    if (is_signed) {
        long long v = signed_argument(s, ap);
        unsigned long long magnitude =
            v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
        digits[0] = '-';
        n = (v < 0 ? 1 : 0) + zformat_decimal(digits + (v < 0 ? 1 : 0), magnitude);
    } else {
        unsigned long long v = unsigned_argument(s, ap);
        if (s.conversion == 'u') {
            n = zformat_decimal(digits, v);
        } else {
            unsigned shift = s.conversion == 'o' ? 3 : 4;
            const char *set = s.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            char *p = digits + sizeof digits;
            do {
                *--p = set[v & ((1u << shift) - 1)];
                v >>= shift;
            } while (v != 0);
            n = static_cast<size_t>(digits + sizeof digits - p);
            std::memmove(digits, p, n);
        }
    }
    put_padded(out, s, digits, n);
}

// Reads the conversion that begins at `p` (its '%').  Returns false at a
// format that ends inside it.
bool read_conversion(const char *p, Conversion &s) {
    s.start = p++;
    for (;; ++p) {
        if (*p == '-')
            s.left = true;
        else if (*p == '+' || *p == ' ' || *p == '#' || *p == '0')
            s.other_flags = true;
        else
            break;
    }
    if (*p == '*') {
        s.star_width = true;
        ++p;
    } else {
        for (; *p >= '0' && *p <= '9'; ++p)
            s.width = s.width > (INT_MAX - 9) / 10 ? INT_MAX : s.width * 10 + (*p - '0');
    }
    if (*p == '.') {
        ++p;
        if (*p == '*') {
            s.star_precision = true;
            ++p;
        } else {
            s.precision = 0;
            for (; *p >= '0' && *p <= '9'; ++p)
                s.precision =
                    s.precision > (INT_MAX - 9) / 10 ? INT_MAX : s.precision * 10 + (*p - '0');
        }
    }
    switch (*p) {
    case 'h': s.length = p[1] == 'h' ? 'H' : 'h'; p += p[1] == 'h' ? 2 : 1; break;
    case 'l': s.length = p[1] == 'l' ? 'q' : 'l'; p += p[1] == 'l' ? 2 : 1; break;
    case 'q': case 'L': case 'j': case 'z': case 't': s.length = *p++; break;
    default: break;
    }
    if (*p == '\0') return false;
    s.conversion = *p;
    s.stop = p + 1;
    bool plain = !s.other_flags && !s.star_precision && s.precision < 0;
    s.common = plain && ((s.length == 0 && (*p == 's' || *p == 'c' || *p == 'd' || *p == 'i')) ||
                         (s.length == 'l' && (*p == 'd' || *p == 'i')));
    return true;
}

// Every conversion.
__attribute__((noinline)) void put_any(ZSink &out, const Conversion &s, va_list &ap) {
    switch (s.conversion) {
    case 's': {
        if (s.length == 'l' || s.other_flags) {
            put_by_snprintf(out, s, va_arg(ap, const void *));
            break;
        }
        const char *text = va_arg(ap, const char *);
        // A negative '*' precision counts as none.
        bool limited = s.precision >= 0;
        if (!text) text = !limited || s.precision >= 6 ? "(null)" : "";
        size_t len = limited ? strnlen(text, static_cast<size_t>(s.precision)) : std::strlen(text);
        put_padded(out, s, text, len);
        break;
    }
    case 'c': {
        if (s.length == 'l' || s.other_flags) {
            put_by_snprintf(out, s, va_arg(ap, int));
            break;
        }
        char c = static_cast<char>(va_arg(ap, int));
        put_padded(out, s, &c, 1);
        break;
    }
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        put_integer(out, s, ap);
        break;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G': case 'a': case 'A':
        if (s.length == 'L')
            put_by_snprintf(out, s, va_arg(ap, long double));
        else
            put_by_snprintf(out, s, va_arg(ap, double));
        break;
    case 'p':
        put_by_snprintf(out, s, va_arg(ap, void *));
        break;
    case 'n':
        // Writes nothing; the count it would store is not kept.
        (void)va_arg(ap, void *);
        break;
    case '%':
        out.put('%');
        break;
    default:
        // Not a conversion: printed as it stands, as the C library does.
        out.put(s.start, static_cast<size_t>(s.stop - s.start));
        break;
    }
}

// The common conversions on their short path, the others through put_any.
inline void put_conversion(ZSink &out, const Conversion &s, va_list &ap) {
    if (!s.common) {
        put_any(out, s, ap);
    } else if (s.conversion == 's') {
        const char *text = va_arg(ap, const char *);
        if (!text) text = "(null)";
        put_padded(out, s, text, std::strlen(text));
    } else if (s.conversion == 'c') {
        char c = static_cast<char>(va_arg(ap, int));
        put_padded(out, s, &c, 1);
    } else if (s.width == 0) {
        zformat_long(out, s.length == 'l' ? va_arg(ap, long) : va_arg(ap, int));
    } else {
        long v = s.length == 'l' ? va_arg(ap, long) : va_arg(ap, int);
        unsigned long magnitude =
            v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
        char digits[24];
        digits[0] = '-';
        size_t sign = v < 0 ? 1 : 0;
        put_padded(out, s, digits, sign + zformat_decimal(digits + sign, magnitude));
    }
}

// A format read once: the literal text before each conversion, and the
// conversion.
struct Piece {
    const char *literal;
    size_t literal_len;
    bool has_conversion;
    Conversion conv;
};
typedef std::vector<Piece> Plan;

Plan make_plan(const char *fmt) {
    Plan plan;
    const char *p = fmt;
    for (;;) {
        Piece piece{p, 0, false, Conversion()};
        while (*p != '\0' && *p != '%') ++p;
        piece.literal_len = static_cast<size_t>(p - piece.literal);
        if (*p != '\0') {
            if (read_conversion(p, piece.conv)) {
                piece.has_conversion = true;
                p = piece.conv.stop;
            } else {
                // A format ending inside a conversion: printed as it stands.
                piece.literal_len += std::strlen(p);
                p += std::strlen(p);
            }
        }
        plan.push_back(piece);
        if (*p == '\0') return plan;
    }
}

// Formats are string literals, so each is read once and its plan kept by its
// address: the whole table for every format seen, and a direct-mapped cache
// in front of it.
const Plan &plan_of(const char *fmt) {
    struct Slot {
        const char *fmt;
        const Plan *plan;
    };
    static Slot cache[512];
    static std::unordered_map<const char *, Plan> plans;
    Slot &slot = cache[(reinterpret_cast<uintptr_t>(fmt) >> 2) % 512];
    if (slot.fmt != fmt) {
        auto it = plans.find(fmt);
        if (it == plans.end()) it = plans.emplace(fmt, make_plan(fmt)).first;
        slot.fmt = fmt;
        slot.plan = &it->second;
    }
    return *slot.plan;
}

}  // namespace

void zformat(ZSink &out, const char *fmt, va_list ap_in) {
    va_list ap;
    va_copy(ap, ap_in);
    for (const Piece &piece : plan_of(fmt)) {
        out.put(piece.literal, piece.literal_len);
        if (!piece.has_conversion) continue;
        if (piece.conv.star_width || piece.conv.star_precision) {
            Conversion s = piece.conv;
            if (s.star_width) s.width = va_arg(ap, int);
            if (s.star_precision) s.precision = va_arg(ap, int);
            put_conversion(out, s, ap);
        } else {
            put_conversion(out, piece.conv, ap);
        }
    }
    va_end(ap);
}

void zformat_hex(ZSink &sink, unsigned value) {
    char digits[8];
    char *end = zparts::put(digits, ZHex{value});
    sink.put(digits, static_cast<size_t>(end - digits));
}

char *zparts::put_hex(char *p, unsigned value) {
    size_t n = 1;
    for (unsigned rest = value >> 4; rest != 0; rest >>= 4) ++n;
    for (char *q = p + n; q != p; value >>= 4) *--q = "0123456789abcdef"[value & 15];
    return p + n;
}

namespace {

void grow_string(ZSink &sink, size_t need) {
    std::string &s = *static_cast<std::string *>(sink.owner);
    size_t used = static_cast<size_t>(sink.pos - &s[0]);
    size_t size = s.size() * 2;
    if (size < used + need) size = used + need;
    s.resize(size);
    sink.pos = &s[0] + used;
    sink.end = &s[0] + s.size();
}

}  // namespace

std::string zvformat(const char *fmt, va_list ap) {
    std::string text(64, '\0');
    ZSink sink{&text[0], &text[0] + text.size(), grow_string, &text};
    zformat(sink, fmt, ap);
    text.resize(static_cast<size_t>(sink.pos - &text[0]));
    return text;
}
