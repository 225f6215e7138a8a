#include "symbols/literals.h"

#include <cstdio>
#include <cstring>

#include "base/diagnostics.h"
#include "symbols/state.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Exponent part, from just after the "e": optional sign, up to 5 digits.
int exponent_ok(const char *p) {
    if (*p == '+' || *p == '-') ++p;
    for (int n = 0; *p; ++p, ++n) {
        if (n == 5 || !is_digit(*p)) return 0;
    }
    return 1;
}

// Digits (at most 23) up to the end of the text or an exponent letter.
// `point_allowed` says whether one "." may still end this run of digits.
int digits_ok(const char *p, bool point_allowed) {
    for (int n = 0;; ++p) {
        if (!*p) return 1;
        if (*p == 'e' || *p == 'E') return exponent_ok(p + 1);
        if (*p == '.' && point_allowed) return digits_ok(p + 1, false);
        if (!is_digit(*p) || n == 23) return 0;
        ++n;
    }
}

double scale_factor(char c, bool *ok) {
    *ok = true;
    switch (c) {
        case 'T': return 1e12;
        case 'G': return 1e9;
        case 'M': return 1e6;
        case 'K':
        case 'k': return 1e3;
        case 'm': return 1e-3;
        case 'u': return 1e-6;
        case 'n': return 1e-9;
        case 'p': return 1e-12;
        case 'f': return 1e-15;
        case 'a': return 1e-18;
        default: *ok = false; return 1.0;
    }
}

}  // namespace

int zelkIsInteg(const char *text) {
    if (!text || !*text) return 0;
    const char *p = text;
    if (*p == '+' || *p == '-') ++p;
    if (!*p) return 0;
    int n = 0;
    for (; *p; ++p) {
        if (n == 11 || !is_digit(*p)) return 0;
        ++n;
    }
    return 1;
}

int zelkIsFloat(const char *text) {
    if (!text || !*text) return 0;
    const char *p = text;
    if (*p == '+' || *p == '-') ++p;
    if (!*p) return 0;
    if (*p == '.') return digits_ok(p + 1, false);
    return digits_ok(p, true);
}

double zelkStr2Float(const char *text) {
    if (!text || !*text) return 0.0;
    const char *p = text;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    double value = 0.0;
    double weight = 1.0;
    // A text that starts with "." is all fraction, and that point is not
    // counted; elsewhere every "." restarts the fraction weights.
    bool fraction = false;
    bool points_allowed = true;
    if (*p == '.') {
        ++p;
        fraction = true;
        points_allowed = false;
    }
    int taken = 0;  // digits and points taken in, at most 63 allowed
    bool too_many = false;
    while (is_digit(*p) || (points_allowed && *p == '.')) {
        if (*p == '.') {
            weight = 1.0;
            fraction = true;
        } else if (!fraction) {
            value = value * 10 + (*p - '0');
        } else {
            weight = weight * 0.1;
            value = value + (*p - '0') * weight;
        }
        ++p;
        if (++taken == 64) {
            too_many = true;
            break;
        }
    }
    if (too_many) {
        zelk_error("!! Error: Too many digits(>63) in number:'%s' in line number:%d .\n", text,
                   ZelkCurLineNumber);
        return negative ? -value : value;
    }
    if (negative) value = -value;
    bool ok;
    double factor = scale_factor(*p, &ok);
    if (!ok) {
        zelk_error("!! Error: Invalid scale factor '%c'(x:%x) for :'%s' in line number:%d .\n", *p,
                   (unsigned)(unsigned char)*p, text, ZelkCurLineNumber);
        return value;
    }
    return value * factor;
}

std::string zelk_scaled_literal_text(const char *text) {
    double v = zelkStr2Float(text);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%-16.9g", v);
    char *blank = std::strchr(buf, ' ');
    if (blank) *blank = '\0';
    return buf;
}
