#include "base/trace.h"

#include "base/format.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

struct ZelkTraceFile {
    int fd;
};

ZelkTraceFile *DebugFile = nullptr;

namespace {

constexpr size_t kBufSize = kZelkTraceBufferSize;
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

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGABRT, SIGTERM, SIGINT};

void on_fatal_signal(int sig) {
    // Only async-signal-safe calls here: write(2) the buffer, then let the
    // default action of the signal run.
    if (DebugFile && g_len > 0) {
        size_t n = g_len;
        const char *p = g_buf;
        while (n > 0) {
            ssize_t w = ::write(g_file.fd, p, n);
            if (w <= 0) break;
            p += w;
            n -= static_cast<size_t>(w);
        }
        g_len = 0;
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

void install_hooks() {
    if (g_hooks_installed) return;
    g_hooks_installed = true;
    std::atexit(flush_at_exit);
    for (int sig : kFatalSignals) {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_handler = on_fatal_signal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigaction(sig, &sa, nullptr);
    }
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
    size_t n = g_len;
    g_len = 0;
    write_all(g_file.fd, g_buf, n);
}

namespace {

// The sink over the buffer: a full buffer is written out and starts again.
void grow_trace(ZSink &sink, size_t) {
    g_len = static_cast<size_t>(sink.pos - g_buf);
    ztrace_flush();
    sink.pos = g_buf;
}

// Records are formatted in place after the last whole one; g_len takes
// them in once they are complete.
ZSink trace_sink() { return ZSink{g_buf + g_len, g_buf + kBufSize, grow_trace, nullptr}; }

}  // namespace

ZSink ztrace_begin() { return trace_sink(); }


void ztrace_end(const ZSink &sink) { g_len = static_cast<size_t>(sink.pos - g_buf); }

void ztrace_write(const char *text, size_t len) {
    if (!DebugFile) return;
    ZSink sink = trace_sink();
    sink.put(text, len);
    g_len = static_cast<size_t>(sink.pos - g_buf);
}

void ztrace(const char *fmt, ...) {
    if (!DebugFile) return;
    ZSink sink = trace_sink();
    va_list ap;
    va_start(ap, fmt);
    zformat(sink, fmt, ap);
    va_end(ap);
    g_len = static_cast<size_t>(sink.pos - g_buf);
}

unsigned long ztrace_write_calls() { return g_writes; }
