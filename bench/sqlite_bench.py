"""SELECT sum(zip_distance(a, b)) FROM pairs over random pairs of the 2016 table, through
the sqlite3 shell with the extension loaded (the shell's own timer) and through Python.

    PYTHONPATH=build/python python3 bench/sqlite_bench.py [--rows N] [--rounds R]
"""

import argparse
import os
import sqlite3
import statistics
import subprocess
import tempfile
import time

import numpy as np

import quorvane


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=1_000_000)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    folder = quorvane.program_folder()
    extension = os.path.join(folder, "quorvane_sqlite.so")
    with sqlite3.connect(f"file:{folder}/dbZips.mdb?mode=ro", uri=True) as c:
        keys = np.array([r[0] for r in c.execute("SELECT zip_code FROM zip_code2016")])
    rng = np.random.default_rng(4)
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "pairs.db")
        with sqlite3.connect(path) as db:
            db.execute("CREATE TABLE pairs (a TEXT, b TEXT)")
            db.executemany("INSERT INTO pairs VALUES (?, ?)",
                           zip(rng.choice(keys, args.rows), rng.choice(keys, args.rows)))
        query = "SELECT sum(zip_distance(a, b)) FROM pairs;"
        db = sqlite3.connect(path)
        db.enable_load_extension(True)
        db.load_extension(extension)
        python, shell = [], []
        for r in range(args.rounds):
            start = time.perf_counter()
            total = db.execute(query).fetchone()[0]
            python.append(time.perf_counter() - start)
            out = subprocess.run(["sqlite3", path], input=f".load {extension}\n.timer on\n"
                                 f"{query}\n", capture_output=True, text=True, check=True).stdout
            shell.append(float(out.split("real ")[1].split()[0]))
            print(f"round {r + 1}: python {python[-1]:.3f} s, shell {shell[-1]:.3f} s, "
                  f"sum {total:.2f}")
    print(f"median over {args.rows:,} rows: python {statistics.median(python):.3f} s, "
          f"shell {statistics.median(shell):.3f} s")


if __name__ == "__main__":
    main()
