"""quorvane.within and quorvane.nearest: the command line's CSV as DataFrames."""

import io
import subprocess

import pandas as pd
import pytest

import quorvane
from conftest import CLI, cli_error


def cli_frame(*args):
    done = subprocess.run([CLI, *args, "--format", "csv"], capture_output=True, check=True)
    return pd.read_csv(io.BytesIO(done.stdout), dtype={"zip": str, "zip1": str, "zip2": str},
                       keep_default_na=False)


@pytest.mark.parametrize("zip, miles, options", [
    ("03053", 10, []),
    ("03053", 0, []),
    ("60614", 15, ["--database", "2012"]),
    ("96799", 3000, ["--method", "geodesic"]),
    ("10001", 20, ["--units", "km", "--method", "geodesic"]),
])
def test_within_equals_the_command_line(zip, miles, options):
    want = cli_frame("within", zip, str(miles), *options)
    got = quorvane.within(zip, miles, **{k.lstrip("-"): v for k, v in zip_options(options)})
    assert list(got.columns) == list(want.columns)
    want["status"] = want["status"].astype(str)
    pd.testing.assert_frame_equal(got, want, check_dtype=False)
    assert len(got) >= 1 and got["zip2"][0] == zip


def zip_options(options):
    return [(options[i], options[i + 1]) for i in range(0, len(options), 2)]


@pytest.mark.parametrize("lat, lon, count, options", [
    (42.36, -71.06, 10, []),
    (0, 0, 3, []),
    (64.8, -147.7, 25, ["--units", "km"]),
    (40.75, -73.99, 1, ["--database", "2012", "--method", "geodesic"]),
])
def test_nearest_equals_the_command_line(lat, lon, count, options):
    want = cli_frame("nearest", str(lat), str(lon), "--count", str(count), *options)
    got = quorvane.nearest(lat, lon, count=count,
                           **{k.lstrip("-"): v for k, v in zip_options(options)})
    assert list(got.columns) == list(want.columns)
    pd.testing.assert_frame_equal(got, want, check_dtype=False)


@pytest.mark.parametrize("call, error, text", [
    (lambda: quorvane.within("99999", 5), ValueError, "zip code 99999 is not in the 2016 table"),
    (lambda: quorvane.within("09002", 5, database="2012"), ValueError, "zero coordinates"),
    (lambda: quorvane.within("abc", 5), ValueError, "abc is not a zip code"),
    (lambda: quorvane.within(["03053"], 5), TypeError, "not list"),
    (lambda: quorvane.within("03053", -1), ValueError, "miles: Must be a finite number"),
    (lambda: quorvane.within("03053", float("nan")), ValueError, "miles: Must be"),
    (lambda: quorvane.nearest(91, 0), ValueError, "lat: Must be a finite number from -90 to 90"),
    (lambda: quorvane.nearest(0, "x"), ValueError, "lon: Must be a finite number"),
    (lambda: quorvane.nearest(0, 0, count=0), ValueError, "count: Must be a whole number"),
    (lambda: quorvane.nearest(0, 0, count=2.5), ValueError, "count: Must be a whole number"),
    (lambda: quorvane.nearest(0, 0, database="2017"), ValueError, "database: 2017 not in"),
])
def test_bad_arguments(call, error, text, capfd):
    with pytest.raises(error) as raised:
        call()
    assert text in str(raised.value)
    assert capfd.readouterr() == ("", "")


def test_a_huge_count_gives_every_zip_code():
    assert len(quorvane.nearest(0, 0, count=10**30)) == len(quorvane.within("03053", 1e6))


def test_unreadable_database(damaged_db):
    for call in (lambda: quorvane.within("03053", 5, db=damaged_db),
                 lambda: quorvane.nearest(40, -70, db=damaged_db)):
        with pytest.raises(quorvane.DatabaseError) as raised:
            call()
        assert str(raised.value) == cli_error("nearest", "40", "-70", "--db", damaged_db)
