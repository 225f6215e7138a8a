#include "base/signals.h"

#include <cstring>

namespace {

// Every signal whose default action ends the process and that a handler
// can catch (SIGKILL and SIGSTOP cannot be caught; SIGCHLD, SIGURG, SIGWINCH
// and SIGCONT are ignored by default; the stop signals only stop).
const int kTerminating[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP,   SIGABRT, SIGBUS,  SIGFPE,
    SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM,   SIGTERM, SIGXCPU, SIGXFSZ,
    SIGVTALRM, SIGPROF, SIGSYS, SIGIO,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

constexpr int kMaxCleanups = 4;
void (*g_cleanups[kMaxCleanups])(int);
volatile sig_atomic_t g_cleanup_count = 0;

// The disposition each signal had before ours: the default action, or, for
// the faults, the handler of a sanitizer or a fuzzer, which then reports the
// fault as it would have.
struct sigaction g_previous[NSIG];
bool g_installed = false;

// Faults the processor raises: the faulting instruction runs again when the
// handler returns.
bool is_fault(int sig) {
    return sig == SIGSEGV || sig == SIGBUS || sig == SIGFPE || sig == SIGILL || sig == SIGTRAP ||
           sig == SIGSYS;
}

// Signals that end the program whoever else handles them: the cleanups run
// before the handler that was there (a sanitizer's, a fuzzer's).  Any other
// signal that already has a handler is left to it: a fuzzer, for one, uses
// SIGALRM and SIGUSR1 and goes on running after them.
bool always_fatal(int sig) { return is_fault(sig) || sig == SIGABRT; }

void on_terminating_signal(int sig, siginfo_t *info, void *) {
    // Every signal is held while this runs (sa_mask), so a second one cannot
    // interrupt the cleanups; it stays pending and dies with the process.
    for (int i = g_cleanup_count - 1; i >= 0; --i) g_cleanups[i](sig);
    sigaction(sig, &g_previous[sig], nullptr);
    // A fault raised by the processor happens again when the handler
    // returns, now under the previous disposition, with its own details.
    if (is_fault(sig) && info && info->si_code > 0) return;
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    raise(sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    // Still here: the previous handler of a fault returned.  End as the
    // default would.
    signal(sig, SIG_DFL);
    raise(sig);
}

void install(int sig) {
    struct sigaction old;
    if (sigaction(sig, nullptr, &old) != 0) return;
    bool by_default = !(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_DFL;
    bool ignored = !(old.sa_flags & SA_SIGINFO) && old.sa_handler == SIG_IGN;
    if (ignored || (!by_default && !always_fatal(sig))) return;
    g_previous[sig] = old;
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_sigaction = on_terminating_signal;
    sigfillset(&sa.sa_mask);
    sa.sa_flags = SA_SIGINFO;
    sigaction(sig, &sa, nullptr);
}

}  // namespace

void zelk_on_terminating_signal(void (*cleanup)(int sig)) {
    if (!g_installed) {
        g_installed = true;
        for (int sig : kTerminating) install(sig);
        // The real-time signals end the process too.
        for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) install(sig);
    }
    for (int i = 0; i < g_cleanup_count; ++i)
        if (g_cleanups[i] == cleanup) return;
    if (g_cleanup_count < kMaxCleanups) {
        g_cleanups[g_cleanup_count] = cleanup;
        g_cleanup_count = g_cleanup_count + 1;
    }
}

void zelk_hold_signals(sigset_t *saved) {
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, saved);
}

void zelk_allow_signals(const sigset_t *saved) { sigprocmask(SIG_SETMASK, saved, nullptr); }
