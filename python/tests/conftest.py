"""What the tests of the module and the extension share: the command line to agree
with, the shipped database, and zip codes drawn from its tables."""

import os
import sqlite3
import subprocess

import numpy as np
import pytest

CLI = os.environ["QUORVANE_CLI"]
SHIPPED_DB = os.environ["QUORVANE_SHIPPED_DB"]
SQLITE_EXTENSION = os.environ["QUORVANE_SQLITE"]
TABLES = {"2016": "zip_code2016", "2012": "zip_code"}


def table_zips(database):
    """Every key of a table of the shipped database, as five-digit text."""
    with sqlite3.connect(f"file:{SHIPPED_DB}?mode=ro", uri=True) as db:
        keys = [row[0] for row in db.execute(f"SELECT zip_code FROM {TABLES[database]}")]
    return np.array([f"{int(k):05d}" for k in keys])


def random_zips(database, count, seed):
    """Zip codes of the table, with some five-digit numbers that are not in it."""
    rng = np.random.default_rng(seed)
    known = rng.choice(table_zips(database), count)
    unknown = np.char.zfill(rng.integers(0, 100000, count).astype(str), 5)
    return np.where(rng.random(count) < 0.9, known, unknown)


def cli_run_csv(zips, *options):
    """`quorvane-cli run --format csv` over the list: each entry with the next."""
    done = subprocess.run([CLI, "run", "--format", "csv", *options],
                          input=("\n".join(zips) + "\n").encode(), capture_output=True,
                          env={**os.environ, "LC_ALL": "C"})
    assert done.returncode in (0, 1), done.stderr
    lines = done.stdout.decode().split("\r\n")
    assert lines[0] == "zip1,zip2,miles,status" and lines[-1] == ""
    fields = [line.split(",") for line in lines[1:-1]]
    miles = np.array([float(f[2]) if f[2] else np.nan for f in fields])
    return miles, np.array([f[3] for f in fields], dtype=object)


def cli_error(*args):
    """The message of a command that fails, without the program's name."""
    done = subprocess.run([CLI, *args], capture_output=True, text=True)
    assert done.returncode == 2
    return done.stderr.strip().removeprefix("quorvane-cli: ")


@pytest.fixture
def damaged_db(tmp_path):
    """An SQLite file cut in half."""
    path = tmp_path / "damaged.mdb"
    data = open(SHIPPED_DB, "rb").read()
    path.write_bytes(data[: len(data) // 2])
    return str(path)
