#include "runtime.h"

#include <cctype>
#include <set>
#include <sstream>
#include <vector>

namespace zelk4th {

namespace {

// "@N@" is the number of unknowns, "@NA@" the array size (at least 1,
// C having no empty arrays), "@K@" and "@Q@" the physical constants.
const char *const kRuntime = R"(/* ---- Values with derivatives ------------------------------------------
 * A zk_dual is a value and its partial derivative with respect to every
 * unknown, in the order of the unknown name table.  Every operator and
 * built-in function below applies the chain rule.
 */
enum { ZK_N = @N@, ZK_NA = @NA@ };

typedef struct zk_dual {
    double v;         /* value */
    double d[ZK_NA];  /* d[k]: partial derivative with respect to node k */
} zk_dual;

#define ZK_BOLTZMANN @K@ /* J/K */
#define ZK_CHARGE @Q@    /* C */

static inline zk_dual zk_cst(double c)
{
    zk_dual r;
    int k;
    r.v = c;
    for (k = 0; k < ZK_NA; k++) r.d[k] = 0.0;
    return r;
}

/* Unknown `index`: derivative 1 with respect to itself. */
static inline zk_dual zk_seed(double v, int index)
{
    zk_dual r = zk_cst(v);
    r.d[index] = 1.0;
    return r;
}

/* f(a), given f(a.v) and f'(a.v).  A zero partial stays zero even where
   f' is infinite (sqrt at 0). */
static inline zk_dual zk_chain(zk_dual a, double f, double df)
{
    zk_dual r;
    int k;
    r.v = f;
    for (k = 0; k < ZK_NA; k++) r.d[k] = a.d[k] != 0.0 ? df * a.d[k] : 0.0;
    return r;
}

static inline zk_dual zk_add(zk_dual a, zk_dual b)
{
    int k;
    a.v += b.v;
    for (k = 0; k < ZK_NA; k++) a.d[k] += b.d[k];
    return a;
}

static inline zk_dual zk_sub(zk_dual a, zk_dual b)
{
    int k;
    a.v -= b.v;
    for (k = 0; k < ZK_NA; k++) a.d[k] -= b.d[k];
    return a;
}

static inline zk_dual zk_neg(zk_dual a)
{
    int k;
    a.v = -a.v;
    for (k = 0; k < ZK_NA; k++) a.d[k] = -a.d[k];
    return a;
}

static inline zk_dual zk_mul(zk_dual a, zk_dual b)
{
    zk_dual r;
    int k;
    r.v = a.v * b.v;
    for (k = 0; k < ZK_NA; k++) r.d[k] = a.d[k] * b.v + a.v * b.d[k];
    return r;
}

static inline zk_dual zk_div(zk_dual a, zk_dual b)
{
    zk_dual r;
    int k;
    r.v = a.v / b.v;
    for (k = 0; k < ZK_NA; k++) r.d[k] = (a.d[k] - r.v * b.d[k]) / b.v;
    return r;
}

static inline zk_dual zk_exp(zk_dual a) { double e = exp(a.v); return zk_chain(a, e, e); }
static inline zk_dual zk_log(zk_dual a) { return zk_chain(a, log(a.v), 1.0 / a.v); }
static inline zk_dual zk_log10(zk_dual a) { return zk_chain(a, log10(a.v), 1.0 / (a.v * 2.30258509299404568402)); }
static inline zk_dual zk_sqrt(zk_dual a) { double s = sqrt(a.v); return zk_chain(a, s, 0.5 / s); }
static inline zk_dual zk_cbrt(zk_dual a) { double c = cbrt(a.v); return zk_chain(a, c, 1.0 / (3.0 * c * c)); }
static inline zk_dual zk_sin(zk_dual a) { return zk_chain(a, sin(a.v), cos(a.v)); }
static inline zk_dual zk_cos(zk_dual a) { return zk_chain(a, cos(a.v), -sin(a.v)); }
static inline zk_dual zk_tan(zk_dual a) { double t = tan(a.v); return zk_chain(a, t, 1.0 + t * t); }
static inline zk_dual zk_asin(zk_dual a) { return zk_chain(a, asin(a.v), 1.0 / sqrt(1.0 - a.v * a.v)); }
static inline zk_dual zk_acos(zk_dual a) { return zk_chain(a, acos(a.v), -1.0 / sqrt(1.0 - a.v * a.v)); }
static inline zk_dual zk_atan(zk_dual a) { return zk_chain(a, atan(a.v), 1.0 / (1.0 + a.v * a.v)); }
static inline zk_dual zk_sinh(zk_dual a) { return zk_chain(a, sinh(a.v), cosh(a.v)); }
static inline zk_dual zk_cosh(zk_dual a) { return zk_chain(a, cosh(a.v), sinh(a.v)); }
static inline zk_dual zk_tanh(zk_dual a) { double t = tanh(a.v); return zk_chain(a, t, 1.0 - t * t); }
static inline zk_dual zk_asinh(zk_dual a) { return zk_chain(a, asinh(a.v), 1.0 / sqrt(a.v * a.v + 1.0)); }
static inline zk_dual zk_acosh(zk_dual a) { return zk_chain(a, acosh(a.v), 1.0 / sqrt(a.v * a.v - 1.0)); }
static inline zk_dual zk_atanh(zk_dual a) { return zk_chain(a, atanh(a.v), 1.0 / (1.0 - a.v * a.v)); }

/* abs, min and max follow the argument they select. */
static inline zk_dual zk_abs(zk_dual a) { return a.v < 0.0 ? zk_neg(a) : a; }
static inline zk_dual zk_min(zk_dual a, zk_dual b) { return a.v <= b.v ? a : b; }
static inline zk_dual zk_max(zk_dual a, zk_dual b) { return a.v >= b.v ? a : b; }

/* a^b: b a^(b-1) da + a^b ln(a) db; each term only where its partial is
   not zero, so that a constant exponent works for any base. */
static inline zk_dual zk_pow(zk_dual a, zk_dual b)
{
    zk_dual r;
    int k;
    r.v = pow(a.v, b.v);
    for (k = 0; k < ZK_NA; k++) {
        double t = 0.0;
        if (a.d[k] != 0.0) t += b.v * pow(a.v, b.v - 1.0) * a.d[k];
        if (b.d[k] != 0.0) t += r.v * log(a.v) * b.d[k];
        r.d[k] = t;
    }
    return r;
}

static inline zk_dual zk_hypot(zk_dual a, zk_dual b)
{
    zk_dual r;
    int k;
    r.v = hypot(a.v, b.v);
    for (k = 0; k < ZK_NA; k++) r.d[k] = r.v > 0.0 ? (a.v * a.d[k] + b.v * b.d[k]) / r.v : 0.0;
    return r;
}

static inline zk_dual zk_atan2(zk_dual y, zk_dual x)
{
    zk_dual r;
    int k;
    double s = x.v * x.v + y.v * y.v;
    r.v = atan2(y.v, x.v);
    for (k = 0; k < ZK_NA; k++) r.d[k] = s > 0.0 ? (x.v * y.d[k] - y.v * x.d[k]) / s : 0.0;
    return r;
}

/* Thermal voltage k T / q. */
static inline double zk_utr(double t) { return ZK_BOLTZMANN * t / ZK_CHARGE; }
static inline zk_dual zk_ut(zk_dual t) { return zk_chain(t, zk_utr(t.v), ZK_BOLTZMANN / ZK_CHARGE); }

static inline int zk_iabs(int a) { return a < 0 ? -a : a; }
static inline int zk_imin(int a, int b) { return a <= b ? a : b; }
static inline int zk_imax(int a, int b) { return a >= b ? a : b; }

/* Real to integer, rounding half away from zero. */
static inline int zk_round(double x) { return (int)(x < 0.0 ? ceil(x - 0.5) : floor(x + 0.5)); }

/* Adds e to the current (or charge) leaving node a and entering node b
   (-1: ground), with its derivatives. */
static inline void zk_stamp(double *f, double (*jac)[ZK_NA], int a, int b, zk_dual e)
{
    int k;
    if (a >= 0) {
        f[a] += e.v;
        for (k = 0; k < ZK_NA; k++) jac[a][k] += e.d[k];
    }
    if (b >= 0) {
        f[b] -= e.v;
        for (k = 0; k < ZK_NA; k++) jac[b][k] -= e.d[k];
    }
}

static inline int zk_finite(const double *x, int n)
{
    int k;
    for (k = 0; k < n; k++)
        if (!isfinite(x[k])) return 0;
    return 1;
}

static inline int zk_streq(const char *a, const char *b)
{
    while (*a && *a == *b) {
        a++;
        b++;
    }
    return *a == *b;
}
)";

void replace_all(std::string &s, const std::string &from, const std::string &to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

}  // namespace

std::string runtime_text(int unknowns, const std::string &code) {
    std::string s = kRuntime;
    replace_all(s, "@NA@", std::to_string(unknowns > 0 ? unknowns : 1));
    replace_all(s, "@N@", std::to_string(unknowns));
    replace_all(s, "@K@", kBoltzmann);
    replace_all(s, "@Q@", kCharge);
    // Blocks are separated by blank lines; a block holds the preamble (kept
    // always) or helpers, each starting at a "static inline" line with the
    // comment lines before it.
    struct Item {
        std::string name, text;
    };
    std::vector<std::vector<Item>> blocks(1);
    std::istringstream in(s);
    std::string line, pending;
    while (std::getline(in, line)) {
        if (line.empty()) {
            if (!pending.empty()) blocks.back().push_back(Item{std::string(), pending});
            pending.clear();
            blocks.emplace_back();
        } else if (line.compare(0, 14, "static inline ") == 0) {
            size_t open = line.find('(');
            size_t begin = line.rfind(' ', open) + 1;
            blocks.back().push_back(Item{line.substr(begin, open - begin), pending + line + "\n"});
            pending.clear();
        } else if (!blocks.back().empty() && pending.empty() && !blocks.back().back().name.empty()) {
            blocks.back().back().text += line + "\n";
        } else {
            pending += line + "\n";
        }
    }
    if (!pending.empty()) blocks.back().push_back(Item{std::string(), pending});
    // The helpers the code uses, with those they use in turn.
    std::set<std::string> used;
    std::string scan = code;
    while (!scan.empty()) {
        for (size_t i = 0; i < scan.size();) {
            if (std::isalnum(static_cast<unsigned char>(scan[i])) || scan[i] == '_') {
                size_t j = i;
                while (j < scan.size() && (std::isalnum(static_cast<unsigned char>(scan[j])) || scan[j] == '_')) ++j;
                used.insert(scan.substr(i, j - i));
                i = j;
            } else {
                ++i;
            }
        }
        std::string more;
        for (const auto &block : blocks)
            for (const Item &item : block)
                if (!item.name.empty() && used.count(item.name) && !used.count("@" + item.name)) {
                    used.insert("@" + item.name);
                    more += item.text;
                }
        scan = more;
    }
    std::string out;
    for (const auto &block : blocks) {
        std::string text;
        for (const Item &item : block)
            if (item.name.empty() || used.count(item.name)) text += item.text;
        if (!text.empty()) out += text + "\n";
    }
    return out;
}

}  // namespace zelk4th
