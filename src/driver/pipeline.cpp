#include "driver/pipeline.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

// "rm /tmp/Zelk<pid>;" through the shell, result ignored.
void remove_status_file(int pid) {
    std::string cmd = "rm /tmp/Zelk" + std::to_string(pid) + ";";
    int ignored = std::system(cmd.c_str());
    (void)ignored;
}

[[noreturn]] void stage_failed(int pid, const std::string &output, int status) {
    remove_status_file(pid);
    // The failed stage's output cannot be trusted: do not leave it behind.
    std::remove(output.c_str());
    std::exit(status);
}

// Runs one stage and reads its status back from the status file.  Returns
// when the stage succeeded.
void run_stage(const std::string &cmd, int pid, const std::string &output) {
    std::string status_path = "/tmp/Zelk" + std::to_string(pid);
    if (!zelk_prepare_status_file(status_path)) {
        std::fprintf(stderr,
                     "!! Error : Refusing the status file:'%s' (a link, or not a regular file of "
                     "ours) ??\n",
                     status_path.c_str());
        std::exit(1);
    }
    errno = 0;
    int ret = std::system(cmd.c_str());
    xdelayms(50);
    if (ret != 0) stage_failed(pid, output, ret);
    if (errno != 0) stage_failed(pid, output, errno);
    FILE *f = std::fopen(status_path.c_str(), "r");
    if (!f) {
        std::fprintf(stderr, "!! Error : Can not open the Output File:'%s' ??\n",
                     status_path.c_str());
        std::exit(1);
    }
    int coderet = 0;
    int n = std::fscanf(f, "%d", &coderet);
    std::fclose(f);
    if (n != 1) stage_failed(pid, output, n);
    if (coderet != 0) stage_failed(pid, output, coderet);
    remove_status_file(pid);
}

}  // namespace

void xdelayms(int delayms) {
    if (delayms > 30000) {
        std::printf(" !! Error in xdelayms : TOO long : delayms = %d    \n", delayms);
        std::exit(1);
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
        return S_ISREG(st.st_mode) && st.st_uid == geteuid();
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

int zelk_main(int argc, char **argv) {
    if (!ztrace_open(kTraceFile)) {
        std::printf("  usage : %s  [VaInFile]  [cOutFile]\n", argv[0]);
        AfficherAide();
        std::printf(" !! Error:  Can't open the Dedugfile:'%s' \n", kTraceFile);
        std::exit(1);
    }
    ztrace(" Debug : main : Start : DebugFileName:'%s'\n", kTraceFile);
    szelkinit_table();
    if (argc != 2) {
        std::printf("  usage : %s  VaInFile[.va] \n", argv[0]);
        AfficherAide();
        std::exit(1);
    }
    ztrace("%s %s\n", argv[0], argv[1]);

    yyin = std::fopen(argv[1], "r");
    ZelkInCppFileName = zelk_strdup(argv[1]);
    if (!yyin) {
        std::fprintf(stderr, "!! Error : Can not open the Input File:'%s' ??\n", argv[1]);
        std::exit(1);
    }
    std::string out_name = std::string(argv[1]) + ".vacpp";
    ZelkOutCppFileName = zelk_strdup(out_name.c_str());
    yyout = std::fopen(out_name.c_str(), "w");
    if (!yyout) {
        std::fprintf(stderr, "!! Error : Can not open the Output File:'%s' ??\n", out_name.c_str());
        std::exit(1);
    }
    ztrace(" Debug : main : End : OK\n");
    ztrace_flush();
    zelk_set_default_stem(zelk_stem_without_module(argv[1]).c_str());

    std::fprintf(yyout, "\n/* Start of C file from '%s' */ \n", ZelkInCppFileName);
    yyparse();
    std::fprintf(yyout, "\n\n/* End of C file from '%s' */ \n", ZelkInCppFileName);

    szelkName_deriv_file();
    szelkName_param_file();

    ztrace_flush();
    std::fflush(yyout);
    std::fflush(stdout);
    std::fflush(stderr);
    xdelayms(50);

    if (ZelkCurErrNumber > 0) std::exit(ZelkCurErrNumber);

#ifdef ZELK_NO_STAGES
    // Fuzzing builds stop here: the stages are other programs.
    return 0;
#else
    int pid = static_cast<int>(getpid());
    std::string stem = zelk_output_stem();
    std::string cpp_out = stem + "eq.cpp";
    std::string final_out = stem + "eq.c";
    std::string cmd = "cpp  " + zelk_shell_word(ZelkOutCppFileName) + " > " +
                      zelk_shell_word(cpp_out) + "; echo \"$?\" > /tmp/Zelk" + std::to_string(pid) +
                      ";";
    ztrace("%s\n", cmd.c_str());
    ztrace_flush();
    run_stage(cmd, pid, cpp_out);
    xdelayms(50);

    cmd = "zelk4th " + zelk_shell_word(cpp_out) + "  " + zelk_shell_word(final_out) +
          "; echo \"$?\" > /tmp/Zelk" + std::to_string(pid) + ";";
    ztrace("%s\n", cmd.c_str());
    ztrace_flush();
    run_stage(cmd, pid, final_out);
    std::exit(0);
#endif
}
