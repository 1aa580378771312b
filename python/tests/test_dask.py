"""The Dask recipe (examples/dask_distances.py) on a real local cluster of two worker
processes: 2,000,000 pairs of a partitioned CSV file, equal to one process's answer and
to `quorvane-cli augment` on the same file."""

import io
import os
import runpy
import types
import subprocess

import numpy as np
import pandas as pd

import quorvane
from conftest import CLI, random_zips

EXAMPLE = os.path.join(os.path.dirname(__file__), "..", "examples", "dask_distances.py")


def load_example():
    # The recipe's functions, as a user importing the file gets them.
    return types.SimpleNamespace(**runpy.run_path(EXAMPLE, run_name="dask_distances"))


def test_two_workers_equal_one_process(tmp_path):
    count = 2_000_000
    zips = random_zips("2016", 2 * count, seed=21)
    zips[::1000] = ""  # blank cells: no distance
    pairs = pd.DataFrame({"id": np.arange(count), "zip1": zips[:count], "zip2": zips[count:]})
    path = tmp_path / "pairs.csv"
    pairs.to_csv(path, index=False)

    got = load_example().distances(str(path), workers=2, blocksize="6MB")
    assert len(got) == count
    got = got.sort_values("id")
    want = quorvane.distance(pairs["zip1"], pairs["zip2"])
    np.testing.assert_array_equal(got["miles"].to_numpy(), want)
    assert np.isnan(want).sum() > count // 20

    # The command line on the same file: every row in order, the same miles.
    done = subprocess.run([CLI, "augment", str(path), "--from", "zip1", "--to", "zip2"],
                          capture_output=True, env={**os.environ, "LC_ALL": "C"})
    assert done.returncode == 1, done.stderr  # blank cells and unknown zip codes
    augmented = pd.read_csv(io.BytesIO(done.stdout), usecols=["id", "miles"],
                            float_precision="round_trip")
    np.testing.assert_array_equal(augmented["id"].to_numpy(), pairs["id"].to_numpy())
    np.testing.assert_array_equal(augmented["miles"].to_numpy(), want)
