#!/usr/bin/python3
"""Start-up and cores: whole processes of quorvane-cli, timed from outside.

    /usr/bin/python3 bench/startup_bench.py [BIN_DIR]      # ROUNDS=9, RUNS=20 by default

Each round runs every workload in turn (RUNS processes each for the short ones, one
for the run), so the machine's drift touches all alike; the figures are medians of the
rounds, and each ratio is the median of the rounds' own ratios.

- `--version` is the yardstick: a process that starts and prints one line.
- `distance 03053 92018` and `within 03053 25` (2016 table): their processor time
  (user + system, from the kernel's accounting of the finished child) against it.
- `run` of a 1,000,000-entry list (seeded, zip codes of the 2012 table) to a file, with
  `--threads 1` and `--threads 2`: wall time, and the one's over the other's.
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

BIN = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "build", "bin")
CLI = os.path.join(BIN, "quorvane-cli")
ROUNDS = int(os.environ.get("ROUNDS", "9"))
RUNS = int(os.environ.get("RUNS", "20"))


def timed(args, out=subprocess.DEVNULL):
    """Wall and processor seconds of one whole process."""
    start = time.perf_counter()
    child = subprocess.Popen(args, stdout=out, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode not in (0, 1):
        sys.exit(f"{' '.join(args)} failed with status {child.returncode}")
    return wall, usage.ru_utime + usage.ru_stime


def make_list(folder):
    # Every zip code of the 2012 table with a position: all lie within 10,000 miles.
    zips = subprocess.run([CLI, "within", "03053", "10000", "--database", "2012", "-f", "csv"],
                          capture_output=True, text=True).stdout
    codes = [line.split(",")[1] for line in zips.splitlines()[1:] if line]
    rng = random.Random(23)
    path = os.path.join(folder, "list.txt")
    with open(path, "w") as f:
        f.write("\n".join(rng.choice(codes) for _ in range(1_000_000)) + "\n")
    return path


def main():
    if not os.access(CLI, os.X_OK):
        sys.exit(f"no {CLI}: build first")
    with tempfile.TemporaryDirectory() as folder:
        entries = make_list(folder)
        short = {
            "--version": [CLI, "--version"],
            "distance": [CLI, "distance", "03053", "92018"],
            "within": [CLI, "within", "03053", "25"],
        }
        cpu = {name: [] for name in short}
        run_wall = {1: [], 2: []}
        out = os.path.join(folder, "out.txt")
        for _ in range(2):  # warm the page cache
            for args in short.values():
                timed(args)
        for r in range(ROUNDS):
            for name, args in short.items():
                cpu[name].append(sum(timed(args)[1] for _ in range(RUNS)) / RUNS)
            for threads in (1, 2):
                with open(out, "w") as f:
                    run_wall[threads].append(
                        timed([CLI, "run", "--database", "2012", "--threads", str(threads), entries], f)[0])
        ms = lambda v: f"{statistics.median(v) * 1000:.2f} ms"
        for name in short:
            ratio = statistics.median(c / v for c, v in zip(cpu[name], cpu["--version"]))
            print(f"{name:10} processor {ms(cpu[name])}   {ratio:.2f} x --version")
        speedup = statistics.median(a / b for a, b in zip(run_wall[1], run_wall[2]))
        print(f"run, 1,000,000 entries to a file: --threads 1 {ms(run_wall[1])}, "
              f"--threads 2 {ms(run_wall[2])}: {speedup:.2f} times faster on two")


main()
