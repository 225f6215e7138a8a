#include "base/trace.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "base/format.h"
#include "base/signals.h"

struct ZelkTraceFile {
    int fd;
};

ZelkTraceFile *DebugFile = nullptr;

namespace {

constexpr size_t kBufSize = kZelkTraceBufferSize;
char g_buf[kBufSize];
// g_ztrace_buffer.len, the bytes of whole records, is only ever raised
// after the bytes are in place, so a signal handler that writes [0, len)
// writes whole records.
volatile size_t &g_len = g_ztrace_buffer.len;
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

namespace {

// A record longer than the buffer is finished here and written out whole.
std::string g_long_record;

void grow_long(ZSink &sink, size_t need) {
    size_t used = static_cast<size_t>(sink.pos - &g_long_record[0]);
    g_long_record.resize(std::max(g_long_record.size() * 2, used + need));
    sink.pos = &g_long_record[0] + used;
    sink.end = &g_long_record[0] + g_long_record.size();
}

// Records are formatted in place after the last whole one, and g_len takes
// them in once they are complete.  When one does not fit in what is left,
// the records before it are written out and it moves to the front; one
// longer than the whole buffer goes on in g_long_record.  So the file only
// ever gets whole records, whoever writes it out.
void grow_trace(ZSink &sink, size_t need) {
    size_t done = static_cast<size_t>(sink.pos - (g_buf + g_len));
    if (g_len > 0) {
        const char *record = g_buf + g_len;
        ztrace_flush();
        std::memmove(g_buf, record, done);
        sink.pos = g_buf + done;
        if (sink.pos < sink.end) return;
    }
    g_long_record.assign(g_buf, done);
    sink.pos = &g_long_record[0] + done;
    sink.end = sink.pos;
    sink.grow = grow_long;
    sink.owner = &g_long_record;
    grow_long(sink, need);
}

}  // namespace

ZTraceBuffer g_ztrace_buffer = {g_buf, kBufSize, 0, grow_trace, nullptr};

void ztrace_end_apart(const ZSink &sink) {
    sigset_t saved;
    zelk_hold_signals(&saved);
    write_all(g_file.fd, g_long_record.data(), static_cast<size_t>(sink.pos - &g_long_record[0]));
    zelk_allow_signals(&saved);
    g_long_record.clear();
    g_long_record.shrink_to_fit();
}

void ztrace_write(const char *text, size_t len) {
    if (!DebugFile) return;
    ZSink sink = ztrace_begin();
    sink.put(text, len);
    ztrace_end(sink);
}

void ztrace(const char *fmt, ...) {
    if (!DebugFile) return;
    ZSink sink = ztrace_begin();
    va_list ap;
    va_start(ap, fmt);
    zformat(sink, fmt, ap);
    va_end(ap);
    ztrace_end(sink);
}

unsigned long ztrace_write_calls() { return g_writes; }
