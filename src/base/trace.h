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

struct ZelkTraceFile;
extern ZelkTraceFile *DebugFile;

// Creates (truncates) the trace file; false when it cannot be created.
bool ztrace_open(const char *path);
// Writes one record, printf style.  Does nothing while no trace is open.
void ztrace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void ztrace_write(const char *text, size_t len);
// Writes out what is buffered.
void ztrace_flush();
// Number of write(2) calls made for the trace so far (for the benchmarks).
unsigned long ztrace_write_calls();
// Closes the trace (tests open several in one process).
void ztrace_close();
