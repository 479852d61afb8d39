"""Wafer statistics: the spread of a quantity over the sites, as fabs quote it."""

import collections

import numpy as np

from .table import Table

# The unit of each quantity mapped.
UNITS = {"thickness": "nm", "film_index": ""}

WaferStatistics = collections.namedtuple(
    "WaferStatistics",
    ("quantity", "sites", "missing", "excluded", "mean", "std", "minimum", "maximum",
     "range", "sigma_percent", "range_percent"))
WaferStatistics.__doc__ = """The statistics of one quantity over a wafer's sites.

``sites``: the sites counted, those with a finite value; ``missing``: the sites
left without one (not measured, or no value found); ``excluded``: the sites left
out by the edge exclusion; ``std``: one standard deviation, n - 1 in the
denominator (NaN below two sites); ``sigma_percent``: std / mean in %;
``range_percent``: the range / (2 mean) in %."""

# The column names of the table of statistics, in the order of the fields.
COLUMNS = ("quantity", "sites", "missing", "excluded", "mean", "std", "min", "max", "range",
           "sigma_mean_percent", "range_2mean_percent")


def wafer_statistics(quantity, values, excluded=None):
    """The statistics of `values` (one per site), the sites of `excluded` left out.

    Computed in double precision, whatever the type of the values.

    Examples
    --------
    >>> s = wafer_statistics("thickness", np.array([100.0, 104.0, np.nan, 98.0, 300.0]),
    ...                      excluded=np.array([False, False, False, False, True]))
    >>> s.sites, s.missing, s.excluded, s.mean, s.std, s.range
    (3, 1, 1, 100.66666666666667, 3.055050463303893, 6.0)
    >>> round(s.sigma_percent, 4), round(s.range_percent, 4)
    (3.0348, 2.9801)
    >>> wafer_statistics("index", np.array([1.46])).std
    nan
    """
    values = np.asarray(values, dtype=np.float64)
    if excluded is None:
        excluded = np.zeros(values.shape, bool)
    counted = values[~excluded]
    found = counted[np.isfinite(counted)]
    n = len(found)
    nan = float("nan")
    mean = float(np.mean(found)) if n else nan
    std = float(np.std(found, ddof=1)) if n > 1 else nan
    low, high = (float(found.min()), float(found.max())) if n else (nan, nan)
    with np.errstate(divide="ignore", invalid="ignore"):
        sigma_percent = float(np.float64(100.0) * std / mean)
        range_percent = float(np.float64(100.0) * (high - low) / (2 * mean))
    return WaferStatistics(quantity, n, len(counted) - n, int(np.count_nonzero(excluded)),
                           mean, std, low, high, high - low, sigma_percent, range_percent)


def statistics_table(statistics):
    """The `WaferStatistics` of several quantities as a `Table`, one line each.

    Examples
    --------
    >>> s = wafer_statistics("thickness", np.array([100.0, 102.0]))
    >>> print(statistics_table([s]).csv_text(), end="")
    quantity,sites,missing,excluded,mean,std,min,max,range,sigma_mean_percent,range_2mean_percent
    thickness,2,0,0,101.0,1.4142135623730951,100.0,102.0,2.0,1.4002114478941536,0.9900990099009901
    """
    return Table([(name, [s[k] for s in statistics]) for k, name in enumerate(COLUMNS)])


def statistics_text(statistics, units):
    """The statistics as the command line prints them: a line of headings, a line per
    quantity; `units` gives the unit of each quantity ("" for none).

    Examples
    --------
    >>> s = wafer_statistics("thickness", np.array([100.0, 102.0, np.nan]))
    >>> print(statistics_text([s], {"thickness": "nm"}))
    quantity       sites missing    mean 1 sigma     min     max range sigma/mean range/2mean
    thickness (nm)     2       1 101.000   1.414 100.000 102.000 2.000     1.40 %      0.99 %
    """
    rows = [("quantity", "sites", "missing", "mean", "1 sigma", "min", "max", "range",
             "sigma/mean", "range/2mean")]
    for s in statistics:
        unit = units.get(s.quantity, "")
        decimals = 3 if unit else 5
        rows.append(("%s (%s)" % (s.quantity, unit) if unit else s.quantity,
                     str(s.sites), str(s.missing),
                     *("%.*f" % (decimals, v) for v in (s.mean, s.std, s.minimum, s.maximum,
                                                        s.range)),
                     "%.2f %%" % s.sigma_percent, "%.2f %%" % s.range_percent))
    widths = [max(len(row[k]) for row in rows) for k in range(len(rows[0]))]
    return "\n".join(" ".join(cell.ljust(w) if k == 0 else cell.rjust(w)
                              for k, (cell, w) in enumerate(zip(row, widths)))
                     for row in rows)


def statistics_summary(s, unit):
    """One line of the statistics under a map's title.

    Examples
    --------
    >>> s = wafer_statistics("thickness", np.array([100.0, 102.0, 104.0]))
    >>> statistics_summary(s, "nm")
    'thickness: mean 102.000 nm, 1 sigma 2.000 nm (1.96 %), range 4.000 nm (1.96 %), 3 sites'
    """
    decimals = 3 if unit else 5
    unit = " " + unit if unit else ""
    text = "%s: mean %.*f%s, 1 sigma %.*f%s (%.2f %%), range %.*f%s (%.2f %%), %d sites" % (
        s.quantity, decimals, s.mean, unit, decimals, s.std, unit, s.sigma_percent,
        decimals, s.range, unit, s.range_percent, s.sites)
    if s.missing:
        text += ", %d missing" % s.missing
    return text
