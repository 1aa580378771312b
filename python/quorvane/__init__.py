"""Distances between US zip codes, for NumPy, pandas and Dask.

The engine of quorvane-cli, in this process: every number is the one the command line
prints (rounded to hundredths), zip codes are cleaned as it cleans them (ZIP+4,
apostrophes, leading zeros lost by a spreadsheet), and the work is done without the
interpreter lock, so threads compare at the same time.

    >>> import quorvane
    >>> quorvane.distance(["03053", "10001"], "92018")
    array([2556.52, 2424.84])

The database is dbZips.mdb in the program folder, QUORVANE_DB when that is set, or the
file given as db=. A file that cannot be read raises DatabaseError with the command
line's message.
"""

import numpy as np

from . import _convert, _core
from ._core import DatabaseError

__all__ = ["distance", "status", "within", "nearest", "DatabaseError", "program_folder"]

program_folder = _convert.program_folder
_core.set_program_folder(program_folder())


def distance(a, b, *, database="2016", method="sphere", units="mi", db=None,
             return_status=False):
    """The distance of each pair (a[i], b[i]) as a float64 array, NaN where there is none.

    a and b are columns of zip codes of one length (lists, NumPy arrays of str or
    object, pandas Series) or one of them a single zip code. Missing values (None, NaN,
    pandas NA) give NaN. database is "2016" or "2012", method "sphere" or "geodesic",
    units "mi" or "km". With return_status=True, returns (distances, statuses) where
    statuses holds status() words. Two single zip codes give a float (and a word).
    """
    path, use2016, geodesic, km = _convert.choices(database, method, units, db)
    single_a, single_b = _convert.is_single(a), _convert.is_single(b)
    miles, codes = _core.distances(_convert.column(a, "a"), single_a,
                                   _convert.column(b, "b"), single_b, path, use2016,
                                   geodesic, km, return_status)
    if single_a and single_b:
        miles = float(miles[0])
        if return_status:
            return miles, _convert.STATUS_WORDS[codes[0]]
        return miles
    if return_status:
        return miles, _convert.STATUS_WORDS[codes]
    return miles


def status(a, b, **options):
    """Why each pair has no distance, in the command line's words: "" for a distance,
    "not-a-zip", "not-in-table", "zero-coordinates", "bad-coordinates", ... (an object
    array of str). Takes the arguments of distance()."""
    return distance(a, b, return_status=True, **options)[1]


def within(zip, miles, *, database="2016", method="sphere", units="mi", db=None):
    """The zip codes at most `miles` (km with units="km") from `zip`, nearest first, as a
    pandas DataFrame with the columns of `quorvane-cli within --format csv`: zip1, zip2,
    miles, status."""
    import pandas as pd

    path, use2016, geodesic, km = _convert.choices(database, method, units, db)
    if isinstance(zip, (int, np.integer)) and not isinstance(zip, bool):
        zip = str(int(zip))
    if not isinstance(zip, str):
        raise TypeError(f"zip must be a zip code (text), not {type(zip).__name__}")
    radius = _convert.number("miles", miles, 0, float(np.finfo(float).max), "of at least 0")
    return pd.DataFrame(_core.within(zip, radius, path, use2016, geodesic, km))


def nearest(lat, lon, count=10, *, database="2016", method="sphere", units="mi", db=None):
    """The `count` zip codes nearest to a point (degrees, north and east positive),
    nearest first, as a pandas DataFrame with the columns of
    `quorvane-cli nearest --format csv`: zip, lat, lon, miles (km with units="km")."""
    import pandas as pd

    path, use2016, geodesic, km = _convert.choices(database, method, units, db)
    lat = _convert.number("lat", lat, -90, 90, "from -90 to 90")
    lon = _convert.number("lon", lon, -180, 180, "from -180 to 180")
    return pd.DataFrame(_core.nearest(lat, lon, _convert.count(count), path, use2016,
                                      geodesic, km))
