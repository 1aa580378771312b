"""quorvane.distance and quorvane.status: the command line's numbers and words, zip
codes cleaned as it cleans them, and bad input as one clear exception or NaN."""

import sqlite3

import numpy as np
import pandas as pd
import pytest

import quorvane
from conftest import cli_error, cli_run_csv, random_zips


@pytest.mark.parametrize("database", ["2016", "2012"])
@pytest.mark.parametrize("method", ["sphere", "geodesic"])
@pytest.mark.parametrize("units", ["mi", "km"])
def test_random_pairs_equal_the_command_line(database, method, units):
    zips = random_zips(database, 3001, seed=len(database + method + units))
    want, want_status = cli_run_csv(zips, "--database", database, "--method", method,
                                    "--units", units)
    got, got_status = quorvane.distance(zips[:-1], zips[1:], database=database, method=method,
                                        units=units, return_status=True)
    assert got.dtype == np.float64
    np.testing.assert_array_equal(got, want)
    np.testing.assert_array_equal(got_status, want_status)
    assert "not-in-table" in set(got_status)


def test_zero_coordinates_as_the_command_line_words_them():
    zips = ["00501", "09002", "03053", "09002"]  # 09002 has zero coordinates in 2012
    want, want_status = cli_run_csv(zips, "--database", "2012")
    got, got_status = quorvane.distance(zips[:-1], zips[1:], database="2012",
                                        return_status=True)
    np.testing.assert_array_equal(got, want)
    assert list(got_status) == list(want_status) == ["zero-coordinates"] * 3


@pytest.mark.parametrize("cell", ["03053", " 03053 ", "'03053", '="03053"', "03053-1234",
                                  "03053 1234", "030531234", "3053", "3053.0", 3053, 3053.0,
                                  np.int64(3053), b"03053"])
def test_cells_read_as_the_zip_code(cell):
    assert quorvane.distance(cell, "92018") == quorvane.distance("03053", "92018") == 2556.52


@pytest.mark.parametrize("cell", ["", "abc", "030531", "03053-12", "3053.5", "٠٣٠٥٣",
                                  "03053\n", -3053, 3053.5, None, np.nan, pd.NA, pd.NaT])
def test_not_a_zip_code_is_nan_with_its_word(cell):
    got, word = quorvane.distance(cell, "92018", return_status=True)
    assert np.isnan(got) and word == "not-a-zip"
    assert list(quorvane.status([cell, "03053"], "92018")) == ["not-a-zip", ""]


@pytest.mark.parametrize("column", [
    lambda z: list(z),
    lambda z: np.array(z),                       # fixed-width str
    lambda z: np.array(z, dtype=object),
    lambda z: np.array(z, dtype="S"),
    lambda z: pd.Series(z),
    lambda z: pd.Series(z, dtype="string"),
    lambda z: pd.Series(z, dtype="category"),
    lambda z: pd.Series(z, index=range(10, 10 + len(z))),
    lambda z: np.array([x for x in z for _ in "ab"])[::2],  # strided
])
def test_every_kind_of_column(column):
    zips = ["03053", "10001", "99999", "abc", "60614"]
    want = np.array([2556.52, 2424.84, np.nan, np.nan, 1725.67])
    np.testing.assert_array_equal(quorvane.distance(column(zips), "92018"), want)
    np.testing.assert_array_equal(quorvane.distance("92018", column(zips)), want)


def test_missing_values_in_a_series_give_nan():
    a = pd.Series(["03053", None, np.nan, pd.NA, "10001"], dtype=object)
    b = pd.Series([92018.0, 92018.0, np.nan, 2134.0, np.nan])
    got, words = quorvane.distance(a, b, return_status=True)
    np.testing.assert_array_equal(got, [2556.52, np.nan, np.nan, np.nan, np.nan])
    assert list(words) == ["", "not-a-zip", "not-a-zip", "not-a-zip", "not-a-zip"]


def test_empty_and_same_text():
    assert quorvane.distance([], []).shape == (0,)
    # The same text is 0 without a lookup, as the command line gives it.
    assert quorvane.distance("99999", "99999") == 0


@pytest.mark.parametrize("call, error, text", [
    (lambda: quorvane.distance(["03053", "10001"], ["92018"]), ValueError,
     "a and b differ in length: 2 and 1 zip codes"),
    (lambda: quorvane.distance(["03053", {"zip": 1}], "92018"), TypeError, "a[1] is {'zip': 1}"),
    (lambda: quorvane.distance("03053", [True]), TypeError, "b[0] is True"),
    (lambda: quorvane.distance(np.array([True]), "1"), TypeError, "a holds bool values"),
    (lambda: quorvane.distance(np.zeros((2, 2)), "1"), ValueError, "not an array of 2"),
    (lambda: quorvane.distance(object(), "1"), TypeError, "a[0] is <object object"),
    (lambda: quorvane.distance(5.5j, "1"), TypeError, "of type complex"),
    (lambda: quorvane.distance("03053", "1", database="2015"), ValueError,
     "database: 2015 not in {2016,2012}"),
    (lambda: quorvane.distance("03053", "1", method="flat"), ValueError, "method: flat"),
    (lambda: quorvane.distance("03053", "1", units="ft"), ValueError, "units: ft"),
])
def test_bad_arguments(call, error, text, capfd):
    with pytest.raises(error) as raised:
        call()
    assert text in str(raised.value)
    assert capfd.readouterr() == ("", "")


def test_unreadable_databases_raise_the_command_lines_message(tmp_path, damaged_db, capfd):
    garbage = tmp_path / "garbage.mdb"
    garbage.write_bytes(b"not a database\n" * 100)
    for path in [str(tmp_path / "missing.mdb"), str(tmp_path), str(garbage), damaged_db]:
        with pytest.raises(quorvane.DatabaseError) as raised:
            quorvane.distance(["03053"], ["92018"], db=path)
        assert str(raised.value) == cli_error("distance", "03053", "92018", "--db", path)
        assert isinstance(raised.value, OSError)
    assert capfd.readouterr() == ("", "")


def test_bad_coordinates(tmp_path):
    path = str(tmp_path / "odd.mdb")
    with sqlite3.connect(path) as db:
        db.execute("CREATE TABLE zip_code2016 (zip_code TEXT, lattitude REAL, longitude REAL)")
        db.executemany("INSERT INTO zip_code2016 VALUES (?, ?, ?)",
                       [("00001", 40.0, -70.0), ("00002", 9e999, -70.0), ("00003", 0, -70.0),
                        ("00004", "north", -70.0)])
    zips = ["00001", "00002", "00003", "00004", "00005"]
    words = quorvane.status("00001", zips, db=path)
    assert list(words) == ["", "bad-coordinates", "zero-coordinates", "zero-coordinates",
                           "not-in-table"]
    want, want_words = cli_run_csv(zips, "--db", path, "--reference", "00001")
    np.testing.assert_array_equal(want_words, words)


def test_the_environment_names_the_database(monkeypatch, tmp_path):
    monkeypatch.setenv("QUORVANE_DB", str(tmp_path / "missing.mdb"))
    with pytest.raises(quorvane.DatabaseError, match="missing.mdb: File not found"):
        quorvane.distance("03053", "92018")
