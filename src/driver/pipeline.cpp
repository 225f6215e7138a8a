#include "driver/pipeline.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/diagnostics.h"
#include "base/output_file.h"
#include "base/signals.h"
#include "base/trace.h"
#include "grammar/parser.h"
#include "output/side_files.h"
#include "symbols/state.h"
#include "symbols/symtab.h"

namespace {

const char *const kTraceFile = "debug_zelk";

bool safe_shell_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '/' || c == '+' || c == '-';
}

// What a signal that ends the program leaves to clean up (see
// stop_stage_on_signal): the stage being run, which is the process group of
// its shell, the file it writes, and the status file.
volatile sig_atomic_t g_stage = 0;
const char *volatile g_stage_output = nullptr;
const char *volatile g_status_file = nullptr;
std::string g_status_path;

// Runs in a signal handler: async-signal-safe calls only.  Left alone, the
// shell of a stage would go on after the program has gone and write the
// stage's output and the status file.  So the stage is stopped (SIGTERM to
// its process group, SIGKILL if it is still there 2 s later) and waited
// for, then what it leaves is removed: its output, which it did not finish
// (a failed stage's output stays, an interrupted one's does not), and the
// status file.
void stop_stage_on_signal(int) {
    pid_t stage = g_stage;
    if (stage > 0) {
        kill(-stage, SIGTERM);
        int status;
        bool gone = false;
        for (int i = 0; i < 200 && !gone; ++i) {
            gone = waitpid(stage, &status, WNOHANG) == stage;
            struct timespec pause = {0, 10 * 1000 * 1000};
            if (!gone) nanosleep(&pause, nullptr);
        }
        if (!gone) {
            kill(-stage, SIGKILL);
            while (waitpid(stage, &status, 0) < 0 && errno == EINTR) {
            }
        }
        if (g_stage_output) unlink(g_stage_output);
    }
    if (g_status_file) unlink(g_status_file);
}

// Hands `cmd` to the shell and waits for it, with system()'s result: the
// shell's raw wait status (127 as exit status when no shell could be
// started, with errno set).  Unlike system(), the shell runs as a process
// group of its own, and signals are not ignored meanwhile: one that ends the
// program stops the stage too (stop_stage_on_signal).  `output` is the file
// the command writes, or null.
int run_shell(const std::string &cmd, const char *output) {
    int errno_before = errno;
    sigset_t saved;
    // Held until the stage is recorded, so that none can come in between.
    zelk_hold_signals(&saved);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setsigmask(&attr, &saved);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    std::string sh = "sh", dash_c = "-c", line = cmd;
    char *argv[] = {&sh[0], &dash_c[0], &line[0], nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        zelk_allow_signals(&saved);
        errno = rc;
        return 127 << 8;
    }
    g_stage = pid;
    g_stage_output = output;
    zelk_allow_signals(&saved);
    // Waited for without being reaped: while the signal cleanup may still
    // address its process group, that group cannot be someone else's.
    siginfo_t info;
    while (waitid(P_PID, pid, &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    zelk_hold_signals(&saved);
    g_stage = 0;
    g_stage_output = nullptr;
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    int errno_after = errno;
    zelk_allow_signals(&saved);
    if (reaped != pid) {
        errno = errno_after;
        return -1;
    }
    errno = errno_before;
    return status;
}

// "rm /tmp/Zelk<pid>;" through the shell, result ignored.
void remove_status_file(int pid) {
    std::string cmd = "rm /tmp/Zelk" + std::to_string(pid) + ";";
    run_shell(cmd, nullptr);
    g_status_file = nullptr;
}

// A stage failed: the run ends with `status`.  Only the status file goes:
// what the stage wrote stays for the user to read (a failed cpp run's
// output, for instance).
bool stage_failed(int pid, int status, int &result) {
    remove_status_file(pid);
    result = status;
    return false;
}

// Runs one stage, which writes `output`, and reads its status back from the
// status file.  True when the stage succeeded; false when the run ends, with
// `result` as its status (which can be 0: a status file that holds no
// number).
bool run_stage(const std::string &cmd, int pid, const std::string &output, int &result) {
    g_status_file = nullptr;
    g_status_path = "/tmp/Zelk" + std::to_string(pid);
    if (!zelk_prepare_status_file(g_status_path)) {
        std::fprintf(stderr,
                     "!! Error : Refusing the status file:'%s' (a link, or not a regular file of "
                     "ours) ??\n",
                     g_status_path.c_str());
        result = 1;
        return false;
    }
    g_status_file = g_status_path.c_str();
    errno = 0;
    int ret = run_shell(cmd, output.c_str());
    xdelayms(50);
    if (ret != 0) return stage_failed(pid, ret, result);
    if (errno != 0) return stage_failed(pid, errno, result);
    FILE *f = std::fopen(g_status_path.c_str(), "r");
    if (!f) {
        g_status_file = nullptr;
        zelk_open_error(false, g_status_path.c_str());
        result = 1;
        return false;
    }
    int coderet = 0;
    int n = std::fscanf(f, "%d", &coderet);
    std::fclose(f);
    if (n != 1) return stage_failed(pid, n, result);
    if (coderet != 0) return stage_failed(pid, coderet, result);
    remove_status_file(pid);
    result = 0;
    return true;
}

// Opens the input and creates the generated file.  False (reported) when
// either cannot be opened.
bool open_translation_files(const char *input) {
    yyin = std::fopen(input, "r");
    ZelkInCppFileName = zelk_strdup(input);
    if (!yyin) {
        zelk_open_error(true, input);
        return false;
    }
    std::string out_name = std::string(input) + ".vacpp";
    ZelkOutCppFileName = zelk_strdup(out_name.c_str());
    // A buffer of the trace's size: the generated file is the second
    // largest output.
    yyout = zelk_output_open(out_name.c_str(), kZelkTraceBufferSize);
    if (!yyout) {
        zelk_open_error(false, out_name.c_str());
        return false;
    }
    return true;
}

// The one place where a translation's files are written out and closed: the
// trace (which stays open for the stage commands), the generated file, the
// input and the standard streams.  False when the generated file could not
// be written whole (reported): the stages must not read a cut file.
bool close_translation_files() {
    ztrace_flush_and_cut();
    bool written = !yyout || zelk_output_close(yyout);
    yyout = nullptr;
    if (yyin) std::fclose(yyin);
    yyin = nullptr;
    std::fflush(stdout);
    std::fflush(stderr);
    return written;
}

// The steps of zelk_translate() before the files are closed.
int translate(int argc, char **argv) {
    if (!ztrace_open(kTraceFile)) {
        std::printf("  usage : %s  [VaInFile]  [cOutFile]\n", argv[0]);
        AfficherAide();
        std::printf(" !! Error:  Can't open the Dedugfile:'%s' \n", kTraceFile);
        return 1;
    }
    ztrace(" Debug : main : Start : DebugFileName:'%s'\n", kTraceFile);
    szelkinit_table();
    if (argc != 2) {
        std::printf("  usage : %s  VaInFile[.va] \n", argv[0]);
        AfficherAide();
        return 1;
    }
    ztrace("%s %s\n", argv[0], argv[1]);
    if (!open_translation_files(argv[1])) return 1;
    ztrace(" Debug : main : End : OK\n");
    ztrace_flush();
    zelk_set_default_stem(zelk_stem_without_module(argv[1]).c_str());

    std::fprintf(yyout, "\n/* Start of C file from '%s' */ \n", ZelkInCppFileName);
    yyparse();
    std::fprintf(yyout, "\n\n/* End of C file from '%s' */ \n", ZelkInCppFileName);

    return szelkName_deriv_file() && szelkName_param_file() ? 0 : 1;
}

}  // namespace

void xdelayms(int delayms) {
    if (delayms > 30000) {
        std::printf(" !! Error in xdelayms : TOO long : delayms = %d    \n", delayms);
        zelk_exit(1);
    }
    usleep(static_cast<useconds_t>(delayms) * 1000);
}

std::string zelk_shell_word(const std::string &name) {
    bool safe = !name.empty();
    for (char c : name)
        if (!safe_shell_char(c)) safe = false;
    if (safe) return name;
    std::string quoted = "'";
    for (char c : name) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += "'";
    return quoted;
}

bool zelk_prepare_status_file(const std::string &path) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0) {
        // A second link would let the stage overwrite the file it names.
        return S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

std::string zelk_stem_without_module(const std::string &input) {
    std::string base = input.substr(input.find_last_of('/') == std::string::npos
                                        ? 0
                                        : input.find_last_of('/') + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return base.empty() ? "zelk" : base;
}

int zelk_translate(int argc, char **argv) {
    int status = translate(argc, argv);
    if (!close_translation_files() && status == 0) status = 1;
    return status;
}

int zelk_main(int argc, char **argv) {
    int status = zelk_translate(argc, argv);
    if (status != 0) return status;
    xdelayms(50);
    if (ZelkCurErrNumber > 0) return ZelkCurErrNumber;

    zelk_on_terminating_signal(stop_stage_on_signal);
    int pid = static_cast<int>(getpid());
    std::string stem = zelk_output_stem();
    std::string cpp_out = stem + "eq.cpp";
    std::string final_out = stem + "eq.c";
    std::string cmd = "cpp  " + zelk_shell_word(ZelkOutCppFileName) + " > " +
                      zelk_shell_word(cpp_out) + "; echo \"$?\" > /tmp/Zelk" + std::to_string(pid) +
                      ";";
    ztrace("%s\n", cmd.c_str());
    ztrace_flush();
    if (!run_stage(cmd, pid, cpp_out, status)) return status;
    xdelayms(50);

    cmd = "zelk4th " + zelk_shell_word(cpp_out) + "  " + zelk_shell_word(final_out) +
          "; echo \"$?\" > /tmp/Zelk" + std::to_string(pid) + ";";
    ztrace("%s\n", cmd.c_str());
    ztrace_flush();
    run_stage(cmd, pid, final_out, status);
    return status;
}

void zelk_exit(int status) {
    ztrace_flush();
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(status);
}
