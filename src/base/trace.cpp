#include "base/trace.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "base/signals.h"

struct ZelkTraceFile {
    int fd;
};

ZelkTraceFile *DebugFile = nullptr;

namespace {

constexpr size_t kBufSize = 64 * 1024;
char g_buf[kBufSize];
// Only ever raised after the bytes are in place, so a signal handler that
// writes [0, g_len) writes whole bytes.
volatile size_t g_len = 0;
ZelkTraceFile g_file = {-1};
unsigned long g_writes = 0;
bool g_hooks_installed = false;

void write_all(int fd, const char *p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return;  // nothing is done about write errors on the trace
        }
        ++g_writes;
        p += w;
        n -= static_cast<size_t>(w);
    }
}

void flush_at_exit() { ztrace_flush(); }

// Runs in a signal handler: only write(2) here.  The buffer holds whole
// records only (see g_len), and ztrace_flush() keeps signals out while it
// writes, so this never writes a record twice or half.
void flush_on_signal(int) {
    if (!DebugFile) return;
    size_t n = g_len;
    const char *p = g_buf;
    while (n > 0) {
        ssize_t w = ::write(g_file.fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        p += w;
        n -= static_cast<size_t>(w);
    }
    g_len = 0;
}

void install_hooks() {
    if (g_hooks_installed) return;
    g_hooks_installed = true;
    std::atexit(flush_at_exit);
    zelk_on_terminating_signal(flush_on_signal);
}

}  // namespace

bool ztrace_open(const char *path) {
    ztrace_close();
    int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    g_file.fd = fd;
    g_len = 0;
    DebugFile = &g_file;
    install_hooks();
    return true;
}

void ztrace_close() {
    if (!DebugFile) return;
    ztrace_flush();
    ::close(g_file.fd);
    g_file.fd = -1;
    DebugFile = nullptr;
}

void ztrace_flush() {
    if (!DebugFile || g_len == 0) return;
    sigset_t saved;
    zelk_hold_signals(&saved);
    write_all(g_file.fd, g_buf, g_len);
    g_len = 0;
    zelk_allow_signals(&saved);
}

void ztrace_write(const char *text, size_t len) {
    if (!DebugFile) return;
    if (g_len + len > kBufSize) {
        ztrace_flush();
        if (len > kBufSize) {
            write_all(g_file.fd, text, len);
            return;
        }
    }
    std::memcpy(g_buf + g_len, text, len);
    g_len = g_len + len;
}

void ztrace(const char *fmt, ...) {
    if (!DebugFile) return;
    va_list ap;
    va_start(ap, fmt);
    size_t room = kBufSize - g_len;
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(g_buf + g_len, room, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(ap2);
        return;
    }
    if (static_cast<size_t>(n) < room) {
        g_len = g_len + static_cast<size_t>(n);
        va_end(ap2);
        return;
    }
    // Did not fit: format it on the heap and hand it over whole.
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&big[0], big.size(), fmt, ap2);
    va_end(ap2);
    big.resize(static_cast<size_t>(n));
    ztrace_write(big.data(), big.size());
}

unsigned long ztrace_write_calls() { return g_writes; }
