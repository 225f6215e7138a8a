// The printf formatting of the trace and of zfmt() against the C library's,
// and the trace's buffer with records that cross or exceed it.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "base/text.h"
#include "base/trace.h"
#include "support/harness.h"

namespace {

std::string reference(const char *fmt, ...) {
    va_list ap, ap2;
    va_start(ap, fmt);
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), fmt, ap2);
    va_end(ap2);
    va_end(ap);
    out.resize(static_cast<size_t>(n));
    return out;
}

// zfmt() and snprintf() on the same format and arguments.
template <class... Args>
void expect_as_printf(const char *fmt, Args... args) {
    EXPECT_EQ(zfmt(fmt, args...), reference(fmt, args...)) << fmt;
}

}  // namespace

TEST(Format, ConversionsAsPrintfWritesThem) {
    const char *null_text = nullptr;
    expect_as_printf("plain text, no conversion");
    expect_as_printf("%s|%s|%s", "abc", "", null_text);
    expect_as_printf("'%-20s'%20s'%-3s'", "name", "right", "longer than 3");
    expect_as_printf("%.3s|%.*s|%.*s|%.2s|%.6s", "abcdef", 2, "xyz", -1, "all", null_text, null_text);
    expect_as_printf("[%*c][%*c][%c][%-4c]", 5, 'a', -3, 'b', 'c', 'd');
    expect_as_printf("%d %d %d %i", 0, -1, INT_MIN, INT_MAX);
    expect_as_printf("%ld %ld %lu %lld %llu", LONG_MIN, LONG_MAX, ULONG_MAX, LLONG_MIN, ULLONG_MAX);
    expect_as_printf("%u %x %X %o %x", 4000000000u, 0xbeefu, 0xbeefu, 8u, 0u);
    expect_as_printf("%zu %hd %hhd %hu %hhu", static_cast<size_t>(12345), 70000, 300, 70000, 300);
    expect_as_printf("|%5d|%-5d|%05d|%+d|% d|%#x|%#o|%.3d|%.0d|", 42, 42, -42, 7, 7, 255u, 8u, 5, 0);
    expect_as_printf("%*d|%-*d|%.*d", 6, -12, 6, 12, 4, 3);
    expect_as_printf("100%% %c%%", 'x');
    expect_as_printf("%e %g %-16.9g| %le %f %.2f %G", 1.5e-7, 2.0 / 3, 1e100, 12.5, -0.0, 3.14159, 1e-9);
    expect_as_printf("%p %p", static_cast<void *>(&null_text), static_cast<void *>(nullptr));
    std::string big(100000, 'y');
    expect_as_printf("<%s|%s>", big.c_str(), big.c_str());
}

TEST(Format, TraceBufferKeepsRecordsWhole) {
    zelktest::TempDir dir;
    std::string path = dir.file("trace");
    ASSERT_TRUE(ztrace_open(path.c_str()));
    // Records that fill the buffer unevenly, one that crosses its end and
    // one several times its size.
    std::string want;
    std::string mid(kZelkTraceBufferSize * 5 / 8, 'm');
    std::string huge(kZelkTraceBufferSize * 9 / 2, 'h');
    for (int i = 0; i < 5; ++i) {
        ztrace("record %d: '%s' %ld\n", i, mid.c_str(), 1000000L * i);
        want += reference("record %d: '%s' %ld\n", i, mid.c_str(), 1000000L * i);
    }
    ztrace("%s|%-8s|\n", huge.c_str(), "end");
    want += huge + "|end     |\n";
    ztrace_write("raw", 3);
    want += "raw";
    ztrace_close();
    EXPECT_EQ(zelktest::read_file(path), want);
}
