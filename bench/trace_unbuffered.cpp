// The trace as it was first written: every record goes to the file with its
// own write(2) as soon as it is made.  Linked in place of the buffered trace
// (same interface) only by bench/run.sh, to time the program before and
// after the buffering on the same model.  Not part of the translator.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "base/trace.h"

struct ZelkTraceFile {
    int fd;
};

ZelkTraceFile *DebugFile = nullptr;

namespace {

ZelkTraceFile g_file = {-1};
unsigned long g_writes = 0;

void write_all(const char *p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(g_file.fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return;
        }
        ++g_writes;
        p += w;
        n -= static_cast<size_t>(w);
    }
}

}  // namespace

bool ztrace_open(const char *path) {
    ztrace_close();
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    g_file.fd = fd;
    DebugFile = &g_file;
    return true;
}

void ztrace_close() {
    if (!DebugFile) return;
    ::close(g_file.fd);
    g_file.fd = -1;
    DebugFile = nullptr;
}

void ztrace_flush() {}

void ztrace_write(const char *text, size_t len) {
    if (DebugFile) write_all(text, len);
}

void ztrace(const char *fmt, ...) {
    if (!DebugFile) return;
    char small[1024];
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(ap2);
        return;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(ap2);
        write_all(small, static_cast<size_t>(n));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&big[0], big.size(), fmt, ap2);
    va_end(ap2);
    write_all(big.data(), static_cast<size_t>(n));
}

// Records built from their pieces go out whole too (in pieces of 4 KiB when
// longer).
namespace {
char g_record[4096];
void write_record(ZSink &sink, size_t) {
    write_all(g_record, static_cast<size_t>(sink.pos - g_record));
    sink.pos = g_record;
}
}  // namespace

// The sinks' owner is never null, so every record ends in ztrace_end_apart.
ZTraceBuffer g_ztrace_buffer = {g_record, sizeof g_record, 0, write_record, g_record + 1};

void ztrace_end_apart(const ZSink &sink) {
    if (DebugFile) write_all(g_record, static_cast<size_t>(sink.pos - g_record));
}

unsigned long ztrace_write_calls() { return g_writes; }
