"""quorvane.distance against the NumPy haversine a pandas user writes, on the same
random pairs of the 2016 table given as NumPy arrays of str.

    PYTHONPATH=build/python python3 bench/python_bench.py [--pairs N] [--rounds R]

Both sides start from the zip code columns and end with a float64 array of miles. The
pandas side joins the coordinates on (Series.map from a dict, or a merge with the zip
code table), then computes the haversine with vectorised trigonometry. Rounds
alternate ours, map, merge; the figures are medians. Ours runs on one core (one thread).
"""

import argparse
import os
import sqlite3
import statistics
import time

import numpy as np
import pandas as pd

import quorvane

EARTH_MILES = 3958.7613


def table(db):
    with sqlite3.connect(f"file:{db}?mode=ro", uri=True) as c:
        rows = c.execute("SELECT zip_code, lattitude, longitude FROM zip_code2016").fetchall()
    return pd.DataFrame(rows, columns=["zip", "lat", "lon"]).drop_duplicates("zip")


def haversine(lat1, lon1, lat2, lon2):
    lat1, lon1, lat2, lon2 = (np.radians(np.asarray(x, dtype=float))
                              for x in (lat1, lon1, lat2, lon2))
    h = (np.sin((lat2 - lat1) / 2) ** 2
         + np.cos(lat1) * np.cos(lat2) * np.sin((lon2 - lon1) / 2) ** 2)
    return 2 * EARTH_MILES * np.arcsin(np.sqrt(h))


def pandas_map(a, b, zips):
    lat, lon = dict(zip(zips.zip, zips.lat)), dict(zip(zips.zip, zips.lon))
    sa, sb = pd.Series(a), pd.Series(b)
    return haversine(sa.map(lat), sa.map(lon), sb.map(lat), sb.map(lon))


def pandas_merge(a, b, zips):
    df = pd.DataFrame({"a": a, "b": b})
    df = df.merge(zips.rename(columns={"zip": "a", "lat": "lat1", "lon": "lon1"}), on="a",
                  how="left")
    df = df.merge(zips.rename(columns={"zip": "b", "lat": "lat2", "lon": "lon2"}), on="b",
                  how="left")
    return haversine(df.lat1, df.lon1, df.lat2, df.lon2)


def timed(f):
    start = time.perf_counter()
    out = f()
    return time.perf_counter() - start, out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pairs", type=int, default=10_000_000)
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args()
    db = os.path.join(quorvane.program_folder(), "dbZips.mdb")
    zips = table(db)
    rng = np.random.default_rng(1)
    keys = zips.zip.to_numpy().astype("U5")
    a, b = rng.choice(keys, args.pairs), rng.choice(keys, args.pairs)
    print(f"{args.pairs:,} pairs of the 2016 table as NumPy arrays of {a.dtype}")
    sides = {"quorvane.distance": lambda: quorvane.distance(a, b),
             "pandas map + haversine": lambda: pandas_map(a, b, zips),
             "pandas merge + haversine": lambda: pandas_merge(a, b, zips)}
    times = {name: [] for name in sides}
    for r in range(args.rounds):
        for name, f in sides.items():
            seconds, out = timed(f)
            times[name].append(seconds)
            print(f"round {r + 1}: {name:26s} {seconds:7.3f} s "
                  f"{args.pairs / seconds / 1e6:7.2f} M pairs/s")
    ours = quorvane.distance(a[:100000], b[:100000])
    theirs = pandas_map(a[:100000], b[:100000], zips)
    print(f"largest difference from the haversine on 100,000 pairs: "
          f"{np.nanmax(np.abs(ours - theirs)):.3f} miles")
    ours_s = statistics.median(times["quorvane.distance"])
    print(f"median: quorvane.distance {args.pairs / ours_s / 1e6:.2f} M pairs/s")
    for name in list(sides)[1:]:
        ratios = [t / o for t, o in zip(times[name], times["quorvane.distance"])]
        print(f"median ratio {name} / quorvane.distance: {statistics.median(ratios):.1f}x")


if __name__ == "__main__":
    main()
