"""The SQLite extension quorvane_sqlite.so, through the sqlite3 shell's .load and through
Python's sqlite3 module: the command line's numbers, NULL for NULL, errors as SQL errors."""

import math
import sqlite3
import subprocess

import numpy as np
import pytest

from conftest import SHIPPED_DB, SQLITE_EXTENSION, TABLES, cli_error, cli_run_csv, random_zips


def connect():
    db = sqlite3.connect(":memory:")
    db.enable_load_extension(True)
    db.load_extension(SQLITE_EXTENSION)
    db.enable_load_extension(False)
    return db


def shell(*statements, env=None):
    return subprocess.run(["sqlite3", ":memory:", f".load {SQLITE_EXTENSION}", *statements],
                          capture_output=True, text=True, env=env)


@pytest.mark.parametrize("database, method, units", [
    ("2016", "sphere", "mi"), ("2012", "sphere", "mi"), ("2016", "geodesic", "km"),
    ("2012", "geodesic", "mi")])
def test_random_pairs_equal_the_command_line(database, method, units):
    zips = random_zips(database, 2001, seed=11)
    want, _ = cli_run_csv(zips, "--database", database, "--method", method, "--units", units)
    db = connect()
    db.execute("CREATE TABLE pairs (a TEXT, b TEXT)")
    db.executemany("INSERT INTO pairs VALUES (?, ?)", zip(zips[:-1], zips[1:]))
    got = [row[0] for row in db.execute("SELECT zip_distance(a, b, ?, ?, ?) FROM pairs",
                                        (database, method, units))]
    np.testing.assert_array_equal(np.array(got, dtype=float), want)
    if (method, units) == ("sphere", "mi"):
        short = [row[0] for row in db.execute(
            "SELECT zip_distance(a, b" + (", '2012'" if database == "2012" else "") +
            ") FROM pairs")]
        assert short == got


@pytest.mark.parametrize("database", ["2016", "2012"])
def test_coordinates_are_the_tables(database):
    with sqlite3.connect(SHIPPED_DB) as shipped:
        rows = shipped.execute(f"SELECT zip_code, lattitude, longitude FROM {TABLES[database]} "
                               "WHERE lattitude <> 0 AND longitude <> 0 "
                               "ORDER BY random() LIMIT 500").fetchall()
    db = connect()
    for zip, lat, lon in rows:
        got = db.execute("SELECT zip_latitude(?, ?), zip_longitude(?, ?)",
                         (f"{int(zip):05d}", database, int(zip), database)).fetchone()
        assert got == (lat, lon)


@pytest.mark.parametrize("sql, want", [
    ("zip_distance(NULL, '92018')", None),
    ("zip_distance('03053', NULL)", None),
    ("zip_distance('03053', '92018', NULL)", None),
    ("zip_distance('03053', '92018', '2016', NULL)", None),
    ("zip_distance('03053', '92018', '2016', 'sphere', NULL)", None),
    ("zip_latitude(NULL)", None),
    ("zip_longitude('03053', NULL)", None),
    ("zip_distance('03053', '92018')", 2556.52),
    ("zip_distance(3053, 92018.0)", 2556.52),
    ("zip_distance('''03053', '92018-1234')", 2556.52),
    ("zip_distance('abc', '92018')", None),
    ("zip_distance('99999', '92018')", None),
    ("zip_distance(x'3033303533', '92018')", 2556.52),
    ("zip_latitude('99999')", None),
    ("zip_latitude('09002', '2012')", None),  # zero coordinates
    ("zip_latitude('')", None),
])
def test_values(sql, want):
    assert connect().execute("SELECT " + sql).fetchone()[0] == want


@pytest.mark.parametrize("sql, option, value", [
    ("zip_distance('03053', '92018', '2015')", "--database", "2015"),
    ("zip_distance('03053', '92018', '2016', 'flat')", "--method", "flat"),
    ("zip_distance('03053', '92018', '2016', 'sphere', 'ft')", "--units", "ft"),
    ("zip_latitude('03053', 'x')", "--database", "x"),
])
def test_bad_choices_are_sql_errors_with_the_command_lines_message(sql, option, value):
    with pytest.raises(sqlite3.OperationalError) as raised:
        connect().execute("SELECT " + sql).fetchone()
    want = cli_error("distance", "03053", "92018", option, value)
    assert want == str(raised.value) + " (quorvane-cli --help tells more)"


def test_deterministic():
    db = connect()
    # Only deterministic functions may compute a generated column or an index.
    db.execute("CREATE TABLE t (a TEXT, b TEXT, d REAL AS (zip_distance(a, b)), "
               "lat REAL AS (zip_latitude(a)), lon REAL AS (zip_longitude(a, '2012')))")
    db.execute("CREATE INDEX t_d ON t (zip_distance(b, a))")
    db.execute("INSERT INTO t (a, b) VALUES ('03053', '92018')")
    assert db.execute("SELECT d, lat, lon FROM t").fetchone()[0] == 2556.52


def test_the_shell_loads_it():
    done = shell("SELECT zip_distance('03053', '92018'), zip_latitude('03053') IS NOT NULL, "
                 "zip_distance(NULL, 1) IS NULL;")
    assert (done.returncode, done.stdout, done.stderr) == (0, "2556.52|1|1\n", "")
    done = shell("SELECT zip_distance('03053', '92018', '2015');")
    assert done.returncode != 0 and "--database: 2015 not in {2016,2012}" in done.stderr


def test_unreadable_database_is_an_sql_error(monkeypatch, damaged_db, tmp_path):
    for path in (damaged_db, str(tmp_path / "missing.mdb")):
        monkeypatch.setenv("QUORVANE_DB", path)
        db = connect()
        with pytest.raises(sqlite3.OperationalError) as raised:
            db.execute("SELECT zip_distance('03053', '92018')").fetchone()
        assert str(raised.value) == cli_error("distance", "03053", "92018", "--db", path)
        # NULL needs no database.
        assert db.execute("SELECT zip_distance(NULL, '92018')").fetchone() == (None,)
        done = shell("SELECT zip_latitude('03053');", env={"QUORVANE_DB": path})
        assert done.returncode != 0 and str(raised.value) in done.stderr


def test_sum_over_many_rows():
    zips = random_zips("2016", 100_001, seed=12)
    db = connect()
    db.execute("CREATE TABLE pairs (a TEXT, b TEXT)")
    db.executemany("INSERT INTO pairs VALUES (?, ?)", zip(zips[:-1], zips[1:]))
    want, _ = cli_run_csv(zips)
    total = db.execute("SELECT sum(zip_distance(a, b)) FROM pairs").fetchone()[0]
    assert math.isclose(total, np.nansum(want), rel_tol=1e-12)
