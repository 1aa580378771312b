"""Distances of the zip code pairs of a large CSV file with Dask.

    python3 dask_distances.py pairs.csv distances.csv --workers 4

pairs.csv has the columns zip1 and zip2 (and any others, which are kept); the output
adds the column miles, NaN where a pair has no distance. Each partition is compared by
quorvane.distance in a worker process; use as many workers as the machine has cores.
"""

import argparse

import dask.dataframe as dd
import pandas as pd
from distributed import Client, LocalCluster

import quorvane


def add_distances(frame, a="zip1", b="zip2", **options):
    """The Dask DataFrame with a column `miles`: the distance of each (a, b) pair."""
    def partition(part):
        return pd.Series(quorvane.distance(part[a], part[b], **options), index=part.index)

    return frame.assign(miles=frame.map_partitions(partition, meta=("miles", "f8")))


def read_pairs(path, blocksize="16MB"):
    # Read zip codes as text, so that 02134 keeps its leading zero (quorvane would put
    # it back anyway: 2134 reads as 02134).
    return dd.read_csv(path, dtype={"zip1": str, "zip2": str}, keep_default_na=False,
                       blocksize=blocksize)


def distances(path, workers=2, blocksize="16MB", **options):
    """The pairs of the CSV file with their distances, as one pandas DataFrame, computed
    by a local cluster of worker processes."""
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster):
        return add_distances(read_pairs(path, blocksize), **options).compute()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("pairs")
    parser.add_argument("output")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--database", default="2016", choices=["2016", "2012"])
    args = parser.parse_args()
    with LocalCluster(n_workers=args.workers, threads_per_worker=1,
                      dashboard_address=None) as cluster, Client(cluster):
        frame = add_distances(read_pairs(args.pairs), database=args.database)
        frame.to_csv(args.output, single_file=True, index=False)


if __name__ == "__main__":
    main()
