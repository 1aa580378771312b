"""The Dask recipe (python/examples/dask_distances.py) on 1 and on 2 worker processes:
the same partitioned CSV file of random pairs of the 2016 table, read and compared.

    PYTHONPATH=build/python python3 bench/dask_bench.py [--pairs N] [--rounds R]

Both clusters are started before the timing; rounds alternate 1 and 2 workers; the
figure is the median of the rounds' ratios.
"""

import argparse
import os
import sys
import sqlite3
import statistics
import tempfile
import time

import numpy as np
import pandas as pd
from distributed import Client, LocalCluster

import quorvane

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python", "examples"))
import dask_distances as recipe  # noqa: E402  the README's recipe, as a user runs it


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pairs", type=int, default=4_000_000)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    db = os.path.join(quorvane.program_folder(), "dbZips.mdb")
    with sqlite3.connect(f"file:{db}?mode=ro", uri=True) as c:
        keys = np.array([r[0] for r in c.execute("SELECT zip_code FROM zip_code2016")])
    rng = np.random.default_rng(3)
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "pairs.csv")
        pd.DataFrame({"zip1": rng.choice(keys, args.pairs),
                      "zip2": rng.choice(keys, args.pairs)}).to_csv(path, index=False)
        print(f"{args.pairs:,} pairs, {os.path.getsize(path) / 1e6:.0f} MB of CSV")
        clusters = {n: LocalCluster(n_workers=n, threads_per_worker=1, dashboard_address=None)
                    for n in (1, 2)}
        times = {1: [], 2: []}
        for r in range(args.rounds):
            for n, cluster in clusters.items():
                with Client(cluster):
                    start = time.perf_counter()
                    frame = recipe.add_distances(recipe.read_pairs(path, "8MB")).compute()
                    times[n].append(time.perf_counter() - start)
                assert len(frame) == args.pairs
                print(f"round {r + 1}: {n} worker(s) {times[n][-1]:6.2f} s")
        for cluster in clusters.values():
            cluster.close()
    ratios = [one / two for one, two in zip(times[1], times[2])]
    print(f"median speed-up of 2 workers over 1: {statistics.median(ratios):.2f}x")


if __name__ == "__main__":
    main()
