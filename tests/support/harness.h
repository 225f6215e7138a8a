// Running the built programs in a scratch directory, with stub stages.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace zelktest {

struct RunResult {
    int status = -1;       // exit status, or 128 + signal
    std::string out;       // standard output
    std::string err;       // standard error
};

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string &path, bool *exists = nullptr);
// The lines of a text, without their newlines.
std::vector<std::string> lines_of(const std::string &text);
void write_file(const std::string &path, const std::string &content);
bool file_exists(const std::string &path);
std::vector<std::string> list_dir(const std::string &path);

// Path of a built program (from the ZELK_BUILD_DIR the tests are built with).
std::string program(const std::string &name);

// Stub stages in `dir`/_bin: each appends its name and arguments to
// `dir`/_stages.log, does what the real stage would do with its files
// (cpp copies its input to standard output; zelk4th copies IN to OUT) and
// exits with the given status.
struct Stubs {
    int cpp_status = 0;
    int zelk4th_status = 0;
    bool real_cpp = false;      // use the machine's cpp instead of a stub
    bool real_zelk4th = false;  // use the built zelk4th
};
std::string install_stubs(const std::string &dir, const Stubs &stubs);
// The stages the stubs logged, by name, in order.
std::vector<std::string> stages_run(const std::string &dir);

// Runs `argv` (argv[0] is a path) in `dir` with `path_prefix` before PATH.
RunResult run(const std::string &dir, const std::vector<std::string> &argv,
              const std::string &path_prefix = "",
              const std::map<std::string, std::string> &env = {});

// How the process of a started program begins, besides what run() does.
struct ChildSetup {
    std::vector<int> ignored_signals;  // ignored from the start, as nohup leaves SIGHUP
    long long file_size_limit = -1;    // RLIMIT_FSIZE in bytes; -1 leaves it alone
};
// Starts what run() runs without waiting for it, for tests that disturb a
// running program.  Its standard output and error go to `dir`/_stdout and
// `dir`/_stderr until wait_for() collects them.
pid_t start(const std::string &dir, const std::vector<std::string> &argv,
            const std::string &path_prefix = "",
            const std::map<std::string, std::string> &env = {}, const ChildSetup &setup = {});
RunResult wait_for(pid_t pid, const std::string &dir);

// Runs the translator on `args` in `dir` with stub stages.
RunResult run_zelkpp(const std::string &dir, const std::vector<std::string> &args,
                     const Stubs &stubs = Stubs());

// Golden cases: every folder under tests/golden/cases is one translation.
// Its input files are copied into a scratch directory; control files say
// how the translator runs there: "args", the command line after the program
// (default: the first .va file); "stubs", "cpp=N zelk4th=N", the statuses of
// the stub stages; "blocked", names made directories before the run, so that
// those files cannot be created; "full", names made links to /dev/full, so
// that every write to them fails as on a full disk.  Its "expected" folder
// holds what the run must produce (tests/golden/golden_test.cpp).
struct GoldenCase {
    std::string dir;  // the case folder
    std::vector<std::string> args;
    Stubs stubs;
};
std::vector<std::string> golden_case_names();
// Reads case `name` and sets its input files up in `into`.
GoldenCase prepare_golden_case(const std::string &name, const std::string &into);
// `text` with what depends on where and when the run happened written the
// same way every time: the translator's path as "zelkpp", the process id in
// the status file's name as "<pid>".
std::string without_run_details(const std::string &text);

}  // namespace zelktest
