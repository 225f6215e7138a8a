#!/usr/bin/env python3
"""Times the translator on a model and on one twice as large.

    bench.py ZELKPP [--units N] [--reps R] [--instructions]
             [--unbuffered PROGRAM [--count-before]] [--keep DIR]

The stages `cpp` and `zelk4th` are stubs on PATH that exit 0 at once, so
what is timed is the translation (trace, parse, output, side files) plus
the driver's fixed pauses and stage launches.  Those are measured on a
one-unit model and subtracted for the "net" ratio; the CPU ratio uses the
processor time of the run (pauses cost none).  Each size is run R times
(default 5), the sizes taking turns, and the fastest run counts.  With
--instructions the two sizes are also run under callgrind, whose count of
executed instructions does not depend on the machine's load.

With --unbuffered (a build whose trace writes every record at once) the
largest model is also timed with it: the trace's cost before and after its
buffering.  When strace is installed, the write calls of the largest run
are counted, those to the trace file apart.
"""
import argparse
import os
import platform
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True
import gen_model  # noqa: E402

STUB = "#!/bin/sh\nexit 0\n"

# The trace's buffer (kZelkTraceBufferSize in src/base/trace.h): the trace
# may take one write call per buffer, and a hundred more.
TRACE_BUFFER = 256 * 1024


def machine():
    cpu = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return "%s, %d cores, %s %s" % (cpu, os.cpu_count() or 0, platform.system(),
                                   platform.release())


def prepare(workdir, units):
    d = os.path.join(workdir, "u%d" % units)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "m.va"), "w") as f:
        f.write(gen_model.model(units))
    with open(os.path.join(d, "disciplines.vams"), "w") as f:
        f.write("/* discipline header of the benchmark */\n")
    return d


def run_once(program, d, env):
    t0 = time.perf_counter()
    with open(os.path.join(d, "_stderr"), "w") as err:
        p = subprocess.Popen([program, "m.va"], cwd=d, env=env, stdout=subprocess.DEVNULL,
                             stderr=err)
        _, status, usage = os.wait4(p.pid, 0)
    wall = time.perf_counter() - t0
    code = os.waitstatus_to_exitcode(status)
    if code != 0:
        sys.exit("%s on %s/m.va: exit status %d (see %s/_stderr)" % (program, d, code, d))
    with open(os.path.join(d, "_stderr")) as f:
        if "Error" in f.read():
            sys.exit("%s on %s/m.va reported errors (see %s/_stderr)" % (program, d, d))
    return wall, usage.ru_utime + usage.ru_stime


def best(program, d, env, reps):
    runs = [run_once(program, d, env) for _ in range(reps)]
    return min(w for w, _ in runs), min(c for _, c in runs)


def instructions(program, d, env):
    """Instructions executed by one run, counted by callgrind (no noise)."""
    log = os.path.join(d, "_callgrind")
    subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null",
                    "--log-file=" + log, program, "m.va"], cwd=d, env=env,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    with open(log) as f:
        for line in f:
            m = re.search(r"Collected : (\d+)", line)
            if m:
                return int(m.group(1))
    sys.exit("no instruction count in %s" % log)


def count_writes(program, d, env):
    """write(2) calls of one run: (all, to the trace, trace size in bytes)."""
    log = os.path.join(d, "_strace")
    subprocess.run(["strace", "-o", log, "-e", "trace=openat,write,close", program, "m.va"],
                   cwd=d, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    trace_fd = None
    total = to_trace = 0
    with open(log) as f:
        for line in f:
            m = re.match(r'openat\(.*"debug_zelk".*\) = (\d+)', line)
            if m:
                trace_fd = m.group(1)
                continue
            m = re.match(r"close\((\d+)\)", line)
            if m and m.group(1) == trace_fd:
                trace_fd = None
                continue
            m = re.match(r"write\((\d+),", line)
            if m:
                total += 1
                if m.group(1) == trace_fd:
                    to_trace += 1
    size = os.path.getsize(os.path.join(d, "debug_zelk"))
    counts = os.path.join(d, "_strace_c")
    subprocess.run(["strace", "-c", "-o", counts, "-e", "trace=write", program, "m.va"], cwd=d,
                   env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(counts) as f:
        summary = f.read()
    return total, to_trace, size, summary


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("zelkpp")
    ap.add_argument("--units", type=int, default=4000)
    ap.add_argument("--reps", type=int, default=5)
    ap.add_argument("--instructions", action="store_true",
                    help="also count the instructions of both sizes with callgrind (slow)")
    ap.add_argument("--unbuffered")
    ap.add_argument("--keep", help="work in this directory and keep it")
    ap.add_argument("--count-before", action="store_true",
                    help="also count the write calls of --unbuffered (slow under strace)")
    a = ap.parse_args()
    program = os.path.abspath(a.zelkpp)

    workdir = a.keep or tempfile.mkdtemp(prefix="zelkbench.")
    os.makedirs(workdir, exist_ok=True)
    bindir = os.path.join(workdir, "bin")
    os.makedirs(bindir, exist_ok=True)
    for stage in ("cpp", "zelk4th"):
        path = os.path.join(bindir, stage)
        with open(path, "w") as f:
            f.write(STUB)
        os.chmod(path, 0o755)
    env = dict(os.environ, PATH=bindir + os.pathsep + os.environ.get("PATH", ""))

    print("machine: %s" % machine())
    print("program: %s" % program)
    sizes = [1, a.units, 2 * a.units]
    dirs = {n: prepare(workdir, n) for n in sizes}
    # The sizes take turns, so that a change of the machine's load during
    # the runs falls on all of them alike; the fastest run of each counts.
    runs = {n: [] for n in sizes}
    for _ in range(a.reps):
        for n in sizes:
            runs[n].append(run_once(program, dirs[n], env))
    results = {n: (min(w for w, _ in runs[n]), min(c for _, c in runs[n])) for n in sizes}
    print("%8s %10s %10s %10s %12s" % ("units", "lines", "wall s", "cpu s", "trace MB"))
    for n in sizes:
        wall, cpu = results[n]
        with open(os.path.join(dirs[n], "m.va")) as f:
            lines = sum(1 for _ in f)
        trace = os.path.getsize(os.path.join(dirs[n], "debug_zelk")) / 1e6
        print("%8d %10d %10.3f %10.3f %12.1f" % (n, lines, wall, cpu, trace))
    base_wall = results[1][0]
    small, large = results[a.units], results[2 * a.units]
    print("ratio (cpu time, %d -> %d units): %.2f" % (a.units, 2 * a.units, large[1] / small[1]))
    print("ratio (wall time less the one-unit run's %.3f s): %.2f"
          % (base_wall, (large[0] - base_wall) / (small[0] - base_wall)))

    if a.instructions:
        counts = {n: instructions(program, dirs[n], env) for n in (a.units, 2 * a.units)}
        print("instructions (callgrind): %d units %d, %d units %d, ratio %.3f"
              % (a.units, counts[a.units], 2 * a.units, counts[2 * a.units],
                 counts[2 * a.units] / counts[a.units]))

    biggest = dirs[2 * a.units]
    if a.unbuffered:
        wall, cpu = best(os.path.abspath(a.unbuffered), biggest, env, a.reps)
        print("trace written record by record (before): wall %.3f s, cpu %.3f s" % (wall, cpu))
        print("trace buffered (after):                  wall %.3f s, cpu %.3f s" % large)
    if shutil.which("strace"):
        total, to_trace, size, summary = count_writes(program, biggest, env)
        bound = -(-size // TRACE_BUFFER) + 100
        print("write calls on the %d-unit model: %d in all, %d to the trace "
              "(%d bytes of trace; at most %d allowed)" % (2 * a.units, total, to_trace, size, bound))
        print("strace -c -e trace=write:")
        print(summary.rstrip())
        if a.unbuffered and a.count_before:
            total, to_trace, size, _ = count_writes(os.path.abspath(a.unbuffered), biggest, env)
            print("write calls before the buffering: %d in all, %d to the trace" % (total, to_trace))
    else:
        print("strace not installed: write calls not counted")
    if not a.keep:
        shutil.rmtree(workdir)


if __name__ == "__main__":
    main()
