"""Arguments as the compiled half takes them: columns as one-dimensional NumPy arrays,
choices as flags, the database as a path."""

import math
import numbers
import os

import numpy as np

from . import _core, _paths

_DATABASES = ("2016", "2012")
_METHODS = ("sphere", "geodesic")
_UNITS = ("mi", "km")


def program_folder():
    """The folder of the program and of its database dbZips.mdb."""
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, _paths.PROGRAM_FOLDER))


def database_path(db):
    """db= when given, then QUORVANE_DB, then dbZips.mdb in the program folder."""
    if db is not None:
        return os.fspath(db)
    return os.environ.get("QUORVANE_DB") or os.path.join(program_folder(), "dbZips.mdb")


def _choice(name, value, allowed):
    if not isinstance(value, str) or value not in allowed:
        raise ValueError(f"{name}: {value} not in {{{','.join(allowed)}}}")
    return value


def choices(database, method, units, db):
    """(db path, use2016, geodesic, km), or ValueError naming the choice."""
    _choice("database", str(database) if isinstance(database, int) else database, _DATABASES)
    _choice("method", method, _METHODS)
    _choice("units", units, _UNITS)
    return database_path(db), str(database) == "2016", method == "geodesic", units == "km"


def is_single(value):
    """A single zip code rather than a column of them."""
    if isinstance(value, (str, bytes)):
        return True
    return not (hasattr(value, "__len__") or hasattr(value, "__iter__"))


def column(value, name):
    """A one-dimensional NumPy array holding the column's values as they are."""
    if is_single(value):
        out = np.empty(1, dtype=object)
        out[0] = value
        return out
    if hasattr(value, "to_numpy"):  # pandas Series, Index, extension arrays
        value = value.to_numpy()
    if isinstance(value, np.ndarray):
        if value.ndim != 1:
            raise ValueError(f"{name} must be one column of zip codes, not an array of "
                             f"{value.ndim} dimensions")
        return value
    try:
        items = list(value)
    except TypeError:
        raise TypeError(f"{name} must be a zip code or a sequence of them, not "
                        f"{type(value).__name__}") from None
    # Element by element, so that a tuple in the list stays one (wrong) element.
    return np.fromiter(items, dtype=object, count=len(items))


def number(name, value, low, high, what):
    """A finite number within [low, high], as the command line checks its arguments."""
    try:
        v = float(value)
    except (TypeError, ValueError):
        v = math.nan
    if isinstance(value, bool) or not (math.isfinite(v) and low <= v <= high):
        raise ValueError(f"{name}: Must be a finite number {what}.")
    return v


def count(value):
    """A whole number of at least 1."""
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or value < 1:
        raise ValueError("count: Must be a whole number of at least 1.")
    return min(int(value), 1 << 62)  # more than any table holds


STATUS_WORDS = np.array(_core.status_words(), dtype=object)
