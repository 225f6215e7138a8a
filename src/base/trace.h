// The debug trace "debug_zelk": one record per token, symbol-table access and
// parser action.
//
// Records are collected in a 64 KiB buffer and written with write(2) when it
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
constexpr size_t kZelkTraceBufferSize = 64 * 1024;

// Creates (truncates) the trace file; false when it cannot be created.
bool ztrace_open(const char *path);
// Writes one record, printf style.  Does nothing while no trace is open.
void ztrace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void ztrace_write(const char *text, size_t len);
// A record written from its pieces in order, for the records written for
// every token and every expression step: reading their printf format at each
// of those would cost more than the rest of the translation.  The pieces are
// string literals, texts (ZText, a null one shown "(null)") and integers;
// ztrace_parts("n=", 12, " '", ZText{name}, "'\n") writes what
// ztrace("n=%d '%s'\n", 12, name) writes.
struct ZText {
    const char *text;
};
// A byte as %c writes it, and a number as %x writes it.
struct ZChar {
    char c;
};
struct ZHex {
    unsigned number;
};
template <class... Parts>
void ztrace_parts(const Parts &...parts);
// Writes out what is buffered.
void ztrace_flush();
// Number of write(2) calls made for the trace so far (for the benchmarks).
unsigned long ztrace_write_calls();
// Closes the trace (tests open several in one process).
void ztrace_close();

// ztrace_parts: the record is built in place in the trace's buffer.
ZSink ztrace_begin();
void ztrace_end(const ZSink &sink);

namespace zelk_trace_parts {
template <size_t N>
inline void put(ZSink &sink, const char (&literal)[N]) {
    sink.put(literal, N - 1);
}
inline void put(ZSink &sink, ZText text) {
    const char *t = ztext(text.text);
    sink.put(t, std::strlen(t));
}
inline void put(ZSink &sink, long number) { zformat_long(sink, number); }
inline void put(ZSink &sink, ZChar c) { sink.put(c.c); }
inline void put(ZSink &sink, ZHex hex) { zformat_hex(sink, hex.number); }
inline void put(ZSink &sink, int number) { zformat_long(sink, number); }
}  // namespace zelk_trace_parts

template <class... Parts>
void ztrace_parts(const Parts &...parts) {
    if (!DebugFile) return;
    ZSink sink = ztrace_begin();
    (zelk_trace_parts::put(sink, parts), ...);
    ztrace_end(sink);
}
