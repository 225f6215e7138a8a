// zelk4th IN OUT: the fourth stage of the translation pipeline.
//
// Reads "<module>eq.cpp" (the preprocessed translator output) with the side
// files "<module>.deriv" and "<module>.param" beside it, and writes OUT, a
// self-contained C99 file that computes the model's currents, charges and
// their derivatives, and beside it the header of its interface.  On any
// error neither is left behind.
//
// zelk4th --osdi [--type NAME] IN MODULE: the same model as a circuit
// simulator's loadable module.  Writes MODULE.c, the C source of an OSDI 0.3
// module (the model's C file and the glue the simulator calls), and builds
// MODULE from it with $CC (default cc).
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "diag.h"
#include "translate.h"

namespace {

const char kUsage[] = "usage: zelk4th IN OUT\n       zelk4th --osdi [--type NAME] IN MODULE\n";

// Writes `text` to `name`; false (with a message) when it cannot.
bool write_file(const std::string &name, const std::string &text) {
    FILE *out = std::fopen(name.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "zelk4th: cannot write '%s': %s\n", name.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "zelk4th: failed to write '%s'\n", name.c_str());
    return ok;
}

// A device type the simulator can name on a model card: it folds netlists
// to lower case and ends names at the first separator.
bool valid_type(const std::string &t) {
    if (t.empty() || !(t[0] >= 'a' && t[0] <= 'z')) return false;
    for (char c : t)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
    return true;
}

// A path the compiler cannot take for an option.
std::string not_option(const std::string &path) { return path[0] == '-' ? "./" + path : path; }

// Compiles `source` into the shared object `module` with $CC (default cc)
// and $CFLAGS; the compiler's exit status, or -1 when it could not run.
int compile_module(const std::string &source, const std::string &module) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        // The file names travel as positional parameters, never through the
        // shell's parser; only $CC and $CFLAGS are split into words.
        const std::string m = not_option(module), s = not_option(source);
        execl("/bin/sh", "sh", "-c", "exec ${CC:-cc} -std=c99 -O3 -fPIC -shared $CFLAGS -o \"$1\" \"$2\" -lm", "sh",
              m.c_str(), s.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int usage() {
    std::fputs(kUsage, stderr);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    bool osdi = false;
    zelk4th::OsdiRequest request;
    size_t at = 0;
    if (at < args.size() && args[at] == "--osdi") {
        osdi = true;
        ++at;
        if (at < args.size() && args[at] == "--type") {
            if (at + 1 >= args.size()) return usage();
            request.type = args[at + 1];
            at += 2;
            if (!valid_type(request.type)) {
                std::fprintf(stderr,
                             "zelk4th: device type '%s': lower-case letters, digits and '_', starting with a letter\n",
                             request.type.c_str());
                return 1;
            }
        }
    }
    if (args.size() - at != 2 || args[at].empty() || args[at + 1].empty()) return usage();
    const std::string in_name = args[at];
    const std::string out_name = args[at + 1];

    // The files written: OUT and its header, or the module's source and the module.
    const size_t n = out_name.size();
    const std::string second_name =
        osdi ? out_name + ".c"
             : (n > 2 && out_name.compare(n - 2, 2, ".c") == 0 ? out_name.substr(0, n - 2) : out_name) + ".h";
    zelk4th::Output result;
    try {
        result = zelk4th::translate_file(in_name, osdi ? &request : nullptr);
    } catch (const zelk4th::Error &e) {
        std::fprintf(stderr, "zelk4th: %s\n", e.what());
        std::remove(out_name.c_str());
        std::remove(second_name.c_str());
        return 2;
    }
    for (const std::string &w : result.warnings) std::fprintf(stderr, "zelk4th: %s\n", w.c_str());
    if (!osdi) {
        if (!write_file(second_name, result.header) || !write_file(out_name, result.text)) {
            std::remove(out_name.c_str());
            std::remove(second_name.c_str());
            return 2;
        }
        return 0;
    }
    std::remove(out_name.c_str());
    if (!write_file(second_name, result.osdi)) {
        std::remove(second_name.c_str());
        return 2;
    }
    const int status = compile_module(second_name, out_name);
    if (status != 0) {
        // The source stays for a look at what the compiler said.
        std::fprintf(stderr, "zelk4th: the C compiler failed on '%s' (status %d); set CC to another compiler\n",
                     second_name.c_str(), status);
        std::remove(out_name.c_str());
        return 3;
    }
    return 0;
}
