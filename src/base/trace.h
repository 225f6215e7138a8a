// The debug trace "debug_zelk": one record per token, symbol-table access and
// parser action.
//
// Records are collected in a 256 KiB buffer and written with write(2) when it
// fills, when the driver hands a command to the shell, at exit and on every
// signal that ends the program, so the file is complete whichever way the
// program ends while costing one system call per buffer rather than one per
// record.
#pragma once

#include <cstddef>
#include <cstring>

#include "base/format.h"
#include "base/text.h"

struct ZelkTraceFile;
extern ZelkTraceFile *DebugFile;

// The size of the trace's buffer, and of the generated file's.
// (64 KiB cost the kernel measurably more per byte of a large trace.)
constexpr size_t kZelkTraceBufferSize = 256 * 1024;

// Creates (truncates) the trace file; false when it cannot be created.
bool ztrace_open(const char *path);
// Writes one record, printf style.  Does nothing while no trace is open.
void ztrace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void ztrace_write(const char *text, size_t len);
// A record written from its pieces in order (see zparts_write in
// base/format.h): ztrace_parts("n=", 12, " '", ZText{name}, "'\n") writes
// what ztrace("n=%d '%s'\n", 12, name) writes.  Used for the records
// written for every token and every expression step.
template <class... Parts>
void ztrace_parts(const Parts &...parts);
// Writes out what is buffered.
void ztrace_flush();
// The same, and cuts the file to the trace written so far, dropping what is
// left of an earlier run's longer trace (see ztrace_open).
void ztrace_flush_and_cut();
// Number of write(2) calls made for the trace so far (for the benchmarks).
unsigned long ztrace_write_calls();
// Closes the trace (tests open several in one process).
void ztrace_close();

// ztrace_parts: the record is built in place in the trace's buffer, after
// the last whole record; `len` takes it in once it is complete (trace.cpp).
struct ZTraceBuffer {
    char *start;
    size_t size;
    volatile size_t len;  // the bytes of whole records
    void (*grow)(ZSink &sink, size_t need);
    // The sinks' owner: null while a record is kept in the buffer, else
    // (a record longer than the buffer) ztrace_end_apart finishes it.
    void *owner;
};
extern ZTraceBuffer g_ztrace_buffer;

inline ZSink ztrace_begin() {
    ZTraceBuffer &b = g_ztrace_buffer;
    return ZSink{b.start + b.len, b.start + b.size, b.grow, b.owner};
}
// A record that went on outside the buffer (longer than it).
void ztrace_end_apart(const ZSink &sink);
inline void ztrace_end(const ZSink &sink) {
    if (!sink.owner)
        g_ztrace_buffer.len = static_cast<size_t>(sink.pos - g_ztrace_buffer.start);
    else
        ztrace_end_apart(sink);
}

template <class... Parts>
void ztrace_parts(const Parts &...parts) {
    if (!DebugFile) return;
    ZSink sink = ztrace_begin();
    zparts_write(sink, parts...);
    ztrace_end(sink);
}
