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
constexpr size_t kPage = 4096;
char g_buf[kBufSize];
// g_ztrace_buffer.len is only ever raised after the bytes are in place, and
// the file plus the buffer's [0, len) always end with a whole record, so a
// signal handler that writes [0, len) leaves whole records in the file.
volatile size_t &g_len = g_ztrace_buffer.len;
ZelkTraceFile g_file = {-1};
// The bytes of this run in the file; anything after them is left from the
// file's earlier content and cut off when the trace is closed (see
// ztrace_open).  Changed only while signals are held.
volatile off_t g_written = 0;
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
        g_written = g_written + w;
        p += w;
        n -= static_cast<size_t>(w);
    }
}

// Writes out the buffer's first `n` bytes and moves the rest to its front.
void write_front(size_t n) {
    sigset_t saved;
    zelk_hold_signals(&saved);
    write_all(g_file.fd, g_buf, n);
    std::memmove(g_buf, g_buf + n, g_len - n);
    g_len = g_len - n;
    zelk_allow_signals(&saved);
}

// The file ends where this run's trace ends.
void cut_file() { (void)::ftruncate(g_file.fd, g_written); }

void flush_at_exit() { ztrace_flush_and_cut(); }

// Runs in a signal handler: only write(2) and ftruncate(2) here.  The
// buffer's flushes keep signals out while they write, so this never writes
// a record twice or half.
void flush_on_signal(int) {
    if (!DebugFile) return;
    size_t n = g_len;
    const char *p = g_buf;
    off_t end = g_written;
    while (n > 0) {
        ssize_t w = ::write(g_file.fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        p += w;
        end += w;
        n -= static_cast<size_t>(w);
    }
    g_len = 0;
    (void)::ftruncate(g_file.fd, end);
}

void install_hooks() {
    if (g_hooks_installed) return;
    g_hooks_installed = true;
    std::atexit(flush_at_exit);
    zelk_on_terminating_signal(flush_on_signal);
}

}  // namespace

// The file is not truncated when opened but overwritten, and cut to the
// trace's length when closed, at exit and on a signal that ends the
// program: writing over the pages of the last run's trace, which the system
// still caches, costs the kernel a copy, where truncating first makes it
// free all those pages and then find new ones (a third of the run's time on
// the largest models).  It is cut too once the translation is over, before
// the stages run.  Until then the file may hold the earlier trace's bytes
// after the new ones: only a SIGKILL during the translation leaves them.
bool ztrace_open(const char *path) {
    ztrace_close();
    int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    g_file.fd = fd;
    g_len = 0;
    g_written = 0;
    DebugFile = &g_file;
    install_hooks();
    return true;
}

void ztrace_close() {
    if (!DebugFile) return;
    ztrace_flush();
    cut_file();
    ::close(g_file.fd);
    g_file.fd = -1;
    DebugFile = nullptr;
}

void ztrace_flush() {
    if (!DebugFile || g_len == 0) return;
    write_front(g_len);
}

void ztrace_flush_and_cut() {
    if (!DebugFile) return;
    ztrace_flush();
    cut_file();
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
// the records before it are written out (but for what is left of the last
// page) and it moves to the front behind that rest; one longer than the
// whole buffer goes on in g_long_record.  So the file only ever gets whole
// records, whoever writes it out.
void grow_trace(ZSink &sink, size_t need) {
    size_t done = static_cast<size_t>(sink.pos - (g_buf + g_len));
    if (g_len > 0) {
        // Whole pages, so that every write covers whole pages of the file
        // (and never makes the kernel read one it does not cache); the rest
        // moves to the front with the record begun.
        size_t out = g_len / kPage * kPage;
        if (out == 0 || g_len - out + done >= kBufSize) out = g_len;
        size_t stay = g_len - out;
        write_front(out);
        std::memmove(g_buf + stay, g_buf + stay + out, done);
        sink.pos = g_buf + stay + done;
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
