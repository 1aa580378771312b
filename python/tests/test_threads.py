"""The comparisons run without the interpreter lock: another thread runs meanwhile."""

import sys
import threading

import numpy as np

import quorvane
from conftest import random_zips


def test_another_thread_runs_while_one_compares():
    zips = random_zips("2016", 2_000_000, seed=7)
    a, b = zips[::2], zips[1::2]
    want = quorvane.distance(a, b)
    ready, results = threading.Event(), {}

    def compare():
        ready.set()
        results["a"] = quorvane.distance(a, b)

    # With no forced switches the lock changes hands only when its holder lets go: the
    # waiting thread runs before the comparison ends only if the comparison let go.
    interval = sys.getswitchinterval()
    sys.setswitchinterval(1000)
    try:
        worker = threading.Thread(target=compare)
        worker.start()
        ready.wait()
        overlapped = "a" not in results
        results["b"] = quorvane.distance(b, a)  # both at once, each with its own engine
        worker.join()
    finally:
        sys.setswitchinterval(interval)
    assert overlapped
    np.testing.assert_array_equal(results["a"], want)
    np.testing.assert_array_equal(results["b"], want)


def test_many_threads_many_databases():
    zips = random_zips("2012", 20_000, seed=8)
    want = {d: quorvane.distance(zips[:-1], zips[1:], database=d) for d in ("2016", "2012")}
    failures = []

    def compare(database):
        for _ in range(5):
            got = quorvane.distance(zips[:-1], zips[1:], database=database)
            if not np.array_equal(got, want[database], equal_nan=True):
                failures.append(database)

    threads = [threading.Thread(target=compare, args=(d,)) for d in ("2016", "2012") * 4]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
