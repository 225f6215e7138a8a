#include "support/harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

extern char **environ;

namespace zelktest {

namespace {

const char *kStubTemplate = R"(#!/bin/sh
echo "%s $*" >> "%s/_stages.log"
%s
exit %d
)";

void write_stub(const std::string &bindir, const std::string &dir, const char *name,
                const char *body, int status) {
    char text[4096];
    std::snprintf(text, sizeof text, kStubTemplate, name, dir.c_str(), body, status);
    std::string path = bindir + "/" + name;
    write_file(path, text);
    chmod(path.c_str(), 0755);
}

}  // namespace

TempDir::TempDir() {
    const char *base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/zelktest.XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string read_file(const std::string &path, bool *exists) {
    std::ifstream in(path, std::ios::binary);
    if (exists) *exists = static_cast<bool>(in);
    if (!in) return std::string();
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

void write_file(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool file_exists(const std::string &path) {
    std::error_code ignored;
    auto type = std::filesystem::symlink_status(path, ignored).type();
    return type != std::filesystem::file_type::not_found;
}

std::vector<std::string> list_dir(const std::string &path) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto &entry : std::filesystem::directory_iterator(path, ignored))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string program(const std::string &name) { return std::string(ZELK_BUILD_DIR) + "/" + name; }

std::string install_stubs(const std::string &dir, const Stubs &stubs) {
    std::string bindir = dir + "/_bin";
    mkdir(bindir.c_str(), 0755);
    if (!stubs.real_cpp)
        write_stub(bindir, dir, "cpp", "[ -n \"$1\" ] && cat \"$1\"", stubs.cpp_status);
    if (stubs.real_zelk4th) {
        symlink(program("zelk4th").c_str(), (bindir + "/zelk4th").c_str());
    } else {
        write_stub(bindir, dir, "zelk4th", "[ -n \"$2\" ] && cat \"$1\" > \"$2\"",
                   stubs.zelk4th_status);
    }
    return bindir;
}

std::vector<std::string> stages_run(const std::string &dir) {
    std::vector<std::string> stages;
    std::istringstream in(read_file(dir + "/_stages.log"));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        if (words >> first) stages.push_back(first);
    }
    return stages;
}

pid_t start(const std::string &dir, const std::vector<std::string> &argv,
            const std::string &path_prefix, const std::map<std::string, std::string> &env,
            const ChildSetup &setup) {
    std::map<std::string, std::string> vars;
    for (char **e = environ; *e; ++e) {
        const char *eq = std::strchr(*e, '=');
        if (eq) vars[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
    }
    if (!path_prefix.empty()) vars["PATH"] = path_prefix + ":" + vars["PATH"];
    for (const auto &kv : env) vars[kv.first] = kv.second;
    std::vector<std::string> env_strings;
    for (const auto &kv : vars) env_strings.push_back(kv.first + "=" + kv.second);
    std::vector<char *> envp;
    for (std::string &s : env_strings) envp.push_back(&s[0]);
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char *> argp;
    for (std::string &s : args) argp.push_back(&s[0]);
    argp.push_back(nullptr);
    // Standard output and error go to files, so that large outputs cannot
    // block the child.
    std::string out_path = dir + "/_stdout", err_path = dir + "/_stderr";

    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        // Only async-signal-safe calls from here to the exec.
        int in = open("/dev/null", O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 ||
            dup2(err, 2) < 0 || chdir(dir.c_str()) != 0)
            _exit(126);
        // No core files from the runs that tests end by a signal.
        struct rlimit core = {0, 0};
        setrlimit(RLIMIT_CORE, &core);
        if (setup.file_size_limit >= 0) {
            struct rlimit size;
            getrlimit(RLIMIT_FSIZE, &size);
            size.rlim_cur = static_cast<rlim_t>(setup.file_size_limit);
            setrlimit(RLIMIT_FSIZE, &size);
        }
        // Every signal as a shell starts a program, but for the ignored ones.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : setup.ignored_signals) signal(sig, SIG_IGN);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    return pid;
}

RunResult wait_for(pid_t pid, const std::string &dir) {
    int ws = 0;
    while (waitpid(pid, &ws, 0) < 0 && errno == EINTR) {
    }
    RunResult r;
    r.status = WIFEXITED(ws) ? WEXITSTATUS(ws) : 128 + WTERMSIG(ws);
    std::string out_path = dir + "/_stdout", err_path = dir + "/_stderr";
    r.out = read_file(out_path);
    r.err = read_file(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    return r;
}

RunResult run(const std::string &dir, const std::vector<std::string> &argv,
              const std::string &path_prefix, const std::map<std::string, std::string> &env) {
    return wait_for(start(dir, argv, path_prefix, env), dir);
}

RunResult run_zelkpp(const std::string &dir, const std::vector<std::string> &args,
                     const Stubs &stubs) {
    std::string bindir = install_stubs(dir, stubs);
    std::vector<std::string> argv = {program("zelkpp")};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(dir, argv, bindir);
}

namespace {

std::string cases_dir() { return std::string(ZELK_SOURCE_DIR) + "/tests/golden/cases"; }

std::vector<std::string> words_of(const std::string &text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

}  // namespace

std::vector<std::string> golden_case_names() {
    std::vector<std::string> names;
    // Every folder is a case: one whose expected/ is missing fails, and is
    // where ZELK_UPDATE_GOLDEN=1 writes it.
    for (const std::string &n : list_dir(cases_dir())) {
        struct stat st;
        if (stat((cases_dir() + "/" + n).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(n);
    }
    return names;
}

GoldenCase prepare_golden_case(const std::string &name, const std::string &into) {
    GoldenCase c;
    c.dir = cases_dir() + "/" + name;
    bool has_args = false;
    for (const std::string &f : list_dir(c.dir)) {
        std::string text = read_file(c.dir + "/" + f);
        if (f == "args") {
            c.args = words_of(text);
            has_args = true;
        } else if (f == "stubs") {
            for (const std::string &w : words_of(text)) {
                if (w.rfind("cpp=", 0) == 0) c.stubs.cpp_status = std::atoi(w.c_str() + 4);
                if (w.rfind("zelk4th=", 0) == 0) c.stubs.zelk4th_status = std::atoi(w.c_str() + 8);
            }
        } else if (f == "blocked") {
            for (const std::string &w : words_of(text)) mkdir((into + "/" + w).c_str(), 0755);
        } else if (f == "full") {
            for (const std::string &w : words_of(text)) symlink("/dev/full", (into + "/" + w).c_str());
        } else if (f != "expected") {
            write_file(into + "/" + f, text);
        }
    }
    for (const std::string &f : list_dir(c.dir))
        if (!has_args && c.args.empty() && f.size() > 3 && f.compare(f.size() - 3, 3, ".va") == 0)
            c.args.push_back(f);
    return c;
}

std::string without_run_details(const std::string &text) {
    std::string out;
    const std::string path = program("zelkpp");
    for (size_t pos = 0;;) {
        size_t at = text.find(path, pos);
        out += text.substr(pos, at == std::string::npos ? std::string::npos : at - pos);
        if (at == std::string::npos) break;
        out += "zelkpp";
        pos = at + path.size();
    }
    return std::regex_replace(out, std::regex("/tmp/Zelk[0-9]+"), "/tmp/Zelk<pid>");
}

}  // namespace zelktest
