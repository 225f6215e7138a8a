// Signals that end the program.  On every signal whose default action ends
// the program and that can be caught, the registered cleanups run (the last
// registered first), then the program dies by that same signal, so that
// whoever started it sees the signal as usual.  A signal that was ignored
// when the program started (as nohup or a shell's background jobs leave
// SIGHUP, SIGINT and SIGQUIT) stays ignored, and one that something else in
// the process already handles (a fuzzer) is left to it, but for the faults
// and SIGABRT, whose earlier handler runs after the cleanups.
#pragma once

#include <csignal>

// Adds a cleanup, which must be async-signal-safe; the first call installs
// the handlers.  At most a handful of cleanups exist.
void zelk_on_terminating_signal(void (*cleanup)(int sig));

// Keeps every signal out until zelk_allow_signals(): for the few steps that
// a handler must not find half done.
void zelk_hold_signals(sigset_t *saved);
void zelk_allow_signals(const sigset_t *saved);
