#!/usr/bin/env python3
"""Growth of the translator's work on each input shape, and its speed
against the C preprocessor.

    shapes.py ZELKPP [--shape NAME ...] [--depth D] [--statements S]
              [--scale K] [--no-instructions] [--cpp-units N] [--no-cpp]
              [--no-shapes] [--reps R] [--new-files] [--keep DIR]

For every shape of gen_model.py the translator runs on size N and size 2N:
the nested shapes hold S statements (default 64) nested N and 2N deep
(per-shape depths below, or D for all), the linear ones repeat their
construct N and 2N times (per-shape sizes below, times K).  The sizes are
those where what every run costs anyway no longer dominates: the records
of a nested expression show at most 512 bytes of each operand, so the
depth starts where most levels reach that (a negation adds one byte a
level: 3000 levels; the others add two to seven).  Printed per shape: the input size, the
trace size, the executed instructions (callgrind, which the machine's load
does not change; --no-instructions skips it) and the peak memory (the
child's maximum resident set, from wait4), each at both sizes with the
2N/N ratio, and the peak memory as a multiple of the input size.  The goals
are a ratio of at most 2.2 for all three and a peak of at most 30 times the
input; a line that misses one is marked "!".

Then the 64,000-unit "statements" model (--cpp-units) is translated, and
`cpp` runs on the generated file as the driver runs it: the CPU time (user +
system) of each, the fastest and the median of R runs (default 7) taken in
turns, and the ratio of the fastest runs zelkpp / cpp, whose goal is at
most 1.  Each run replaces the files of the run before, as a user's run
does; with --new-files each writes new ones, as a first run does.

The stages that zelkpp starts itself are stubs that exit 0 at once, so that
each measure covers the translation alone.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True
import gen_model  # noqa: E402

STUB = "#!/bin/sh\nexit 0\n"

# Depth N of each nested shape.
NESTED_DEPTHS = {"negation": 3000}
DEFAULT_DEPTH = 1000

# Size N of each linear shape (times --scale): about 1 MB of input at 2N.
LINEAR_SIZES = {
    "declarations": 8000,
    "statements": 5000,
    "flat-sum": 250000,
    "functions": 2000,
    "macros": 8000,
    "lookups": 5000,
}

RATIO_GOAL = 2.2
MEMORY_GOAL = 30


def setup(workdir):
    bindir = os.path.join(workdir, "bin")
    os.makedirs(bindir, exist_ok=True)
    for stage in ("cpp", "zelk4th"):
        path = os.path.join(bindir, stage)
        with open(path, "w") as f:
            f.write(STUB)
        os.chmod(path, 0o755)
    return dict(os.environ, PATH=bindir + os.pathsep + os.environ.get("PATH", ""))


def prepare(workdir, name, text):
    d = os.path.join(workdir, name)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "m.va"), "w") as f:
        f.write(text)
    with open(os.path.join(d, "disciplines.vams"), "w") as f:
        f.write("/* discipline header of the benchmark */\n")
    return d


def run(argv, d, env, stdout=subprocess.DEVNULL):
    """Runs argv in d: (exit status, (user, system) cpu seconds)."""
    with open(os.path.join(d, "_stderr"), "w") as err:
        p = subprocess.Popen(argv, cwd=d, env=env, stdout=stdout, stderr=err)
        _, status, usage = os.wait4(p.pid, 0)
    return os.waitstatus_to_exitcode(status), (usage.ru_utime, usage.ru_stime)


def translate(program, d, env):
    """Runs the translator in d: ((user, system) seconds, peak resident KB or None)."""
    # The peak comes from GNU time, whose own small process starts the
    # translator: a child forked from this interpreter would inherit its
    # resident high-water mark.
    timed = os.access("/usr/bin/time", os.X_OK)
    report = os.path.join(d, "_time")
    argv = ["/usr/bin/time", "-f", "%M", "-o", report] if timed else []
    code, cpu = run(argv + [program, "m.va"], d, env)
    peak = None
    if timed:
        with open(report) as f:
            peak = int(f.read().split()[-1])
    with open(os.path.join(d, "_stderr")) as f:
        errors = "Error" in f.read()
    if code != 0 or errors:
        sys.exit("%s on %s/m.va: status %d%s (see %s/_stderr)"
                 % (program, d, code, ", errors reported" if errors else "", d))
    return cpu, peak


def instructions(program, d, env, args=("m.va",)):
    """Instructions executed by the program and the processes it starts."""
    log = os.path.join(d, "_callgrind.%p")
    for old in os.listdir(d):
        if old.startswith("_callgrind."):
            os.remove(os.path.join(d, old))
    # The translator's own stages are stubs: only cpp's compiler is followed.
    follow = ["--trace-children=yes"] if program == "cpp" else []
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                    "--log-file=" + log] + follow + [program] + list(args), cwd=d, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    total = 0
    for name in os.listdir(d):
        if name.startswith("_callgrind."):
            with open(os.path.join(d, name)) as f:
                total += sum(int(m.group(1)) for m in re.finditer(r"Collected : (\d+)", f.read()))
    if not total:
        sys.exit("no instruction count in %s" % d)
    return total


def measure(program, d, env, count):
    _, peak = translate(program, d, env)
    return {
        "input": os.path.getsize(os.path.join(d, "m.va")),
        "trace": os.path.getsize(os.path.join(d, "debug_zelk")),
        "peak": peak * 1024 if peak else None,
        "instr": instructions(program, d, env) if count else None,
    }


def cell(a, b):
    if a is None:
        return "%31s" % "-"
    return "%12d %12d %5.2f%s" % (a, b, b / a, "!" if b / a > RATIO_GOAL else " ")


def shapes(program, a, env, workdir):
    names = a.shape or list(gen_model.SHAPES)
    print("%-15s %8s %10s | %-31s | %-31s | %-31s | %s"
          % ("shape", "N", "input 2N", "trace bytes N, 2N, ratio", "instructions N, 2N, ratio",
             "peak memory N, 2N, ratio", "peak/input"))
    gen_model.NESTED_STATEMENTS = a.statements
    failed = False
    for name in names:
        if name in gen_model.NESTED:
            n = a.depth or NESTED_DEPTHS.get(name, DEFAULT_DEPTH)
        else:
            n = int(LINEAR_SIZES[name] * a.scale)
        m = [measure(program, prepare(workdir, "%s-%d" % (name, k), gen_model.SHAPES[name](k)),
                     env, not a.no_instructions) for k in (n, 2 * n)]
        per_input = m[1]["peak"] / m[1]["input"] if m[1]["peak"] else 0
        line = "%-15s %8d %10d | %s | %s | %s | %5.1f%s" % (
            name, n, m[1]["input"], cell(m[0]["trace"], m[1]["trace"]),
            cell(m[0]["instr"], m[1]["instr"]), cell(m[0]["peak"], m[1]["peak"]), per_input,
            "!" if per_input > MEMORY_GOAL else "")
        failed = failed or "!" in line
        print(line, flush=True)
        if not a.keep:
            for k in (n, 2 * n):
                shutil.rmtree(os.path.join(workdir, "%s-%d" % (name, k)))
    return failed


def against_cpp(program, a, env, workdir):
    d = prepare(workdir, "cpp-%d" % a.cpp_units, gen_model.statements(a.cpp_units))
    translate(program, d, env)  # the generated file cpp reads, and the trace of a run before
    zelk, cpp = [], []
    for _ in range(a.reps):
        # Taking turns, each in the state the other left: the translator
        # replaces the trace of the run before, as a user's run does.
        # With --new-files, each writes into files of its own instead, as a
        # first run in a directory does.
        if a.new_files:
            for old in ("debug_zelk", "m.va.vacpp", "_cpp_out"):
                if os.path.exists(os.path.join(d, old)):
                    os.remove(os.path.join(d, old))
        zelk.append(translate(program, d, env)[0])
        # cpp as the driver runs it (its output to a file), without the shell.
        with open(os.path.join(d, "_cpp_out"), "w") as out:
            code, cpu = run(["cpp", "m.va.vacpp"], d, os.environ, stdout=out)
        if code != 0:
            sys.exit("cpp failed on %s/m.va.vacpp (see %s/_stderr)" % (d, d))
        cpp.append(cpu)
    size = os.path.getsize(os.path.join(d, "m.va"))
    print("\n%d-unit statements model: %d bytes of input, %d of .vacpp, %d of trace"
          % (a.cpp_units, size, os.path.getsize(os.path.join(d, "m.va.vacpp")),
             os.path.getsize(os.path.join(d, "debug_zelk"))))
    best = {}
    for name, runs in (("zelkpp", zelk), ("cpp", cpp)):
        total = sorted(u + s for u, s in runs)
        fastest = min(runs, key=sum)
        best[name] = total[0]
        print("%-7s cpu s (user+sys), %d runs: fastest %.3f (user %.3f, sys %.3f), median %.3f"
              % (name, len(runs), total[0], fastest[0], fastest[1], total[len(total) // 2]))
    ratio = best["zelkpp"] / best["cpp"]
    print("ratio zelkpp/cpp (fastest runs): %.2f%s" % (ratio, " !" if ratio > 1 else ""))
    if not a.no_instructions:
        # What the machine's load does not change, system time aside.
        z = instructions(program, d, env)
        c = instructions("cpp", d, os.environ, ("m.va.vacpp", "-o", "_cpp_out"))
        print("instructions (callgrind): zelkpp %d, cpp %d, ratio %.2f" % (z, c, z / c))
    return ratio > 1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("zelkpp")
    ap.add_argument("--shape", action="append", choices=list(gen_model.SHAPES))
    ap.add_argument("--depth", type=int)
    ap.add_argument("--statements", type=int, default=64)
    ap.add_argument("--scale", type=float, default=1.0)
    ap.add_argument("--no-instructions", action="store_true")
    ap.add_argument("--cpp-units", type=int, default=64000)
    ap.add_argument("--no-cpp", action="store_true")
    ap.add_argument("--no-shapes", action="store_true", help="only the comparison with cpp")
    ap.add_argument("--reps", type=int, default=7)
    ap.add_argument("--new-files", action="store_true",
                    help="against cpp, each run writes new files instead of replacing the last run's")
    ap.add_argument("--keep", help="work in this directory and keep it")
    a = ap.parse_args()
    program = os.path.abspath(a.zelkpp)
    workdir = a.keep or tempfile.mkdtemp(prefix="zelkshapes.")
    os.makedirs(workdir, exist_ok=True)
    env = setup(workdir)
    print("program: %s" % program)
    failed = False if a.no_shapes else shapes(program, a, env, workdir)
    if not a.no_cpp:
        failed = against_cpp(program, a, env, workdir) or failed
    if not a.keep:
        shutil.rmtree(workdir)
    print("all goals met" if not failed else "goals missed where marked !")


if __name__ == "__main__":
    main()
