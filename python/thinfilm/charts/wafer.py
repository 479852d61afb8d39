"""The geometry of a wafer map: the wafer around the sites, their spacing, their edge.

Positions are in mm from the wafer centre; a site without a finite position is on
no wafer: it is counted nowhere here.
"""

import numpy as np

# Wafer diameters (mm) tried, smallest first, for the outline drawn around the sites.
WAFER_DIAMETERS = (50.8, 76.2, 100.0, 125.0, 150.0, 200.0, 300.0, 450.0)


def located(x, y):
    """Whether each site has a finite position."""
    return np.isfinite(x) & np.isfinite(y)


def reach(x, y):
    """The largest distance of a site from the centre (mm), 0 without a site."""
    placed = located(x, y)
    return float(np.max(np.hypot(x[placed], y[placed]), initial=0.0))


def wafer_diameter(x, y):
    """Return the smallest usual wafer diameter (mm) around all sites.

    Examples
    --------
    >>> wafer_diameter(np.array([0.0, 70.0]), np.array([0.0, 20.0]))
    150.0
    >>> wafer_diameter(np.array([300.0]), np.array([0.0]))
    600.0
    """
    farthest = reach(x, y)
    for diameter in WAFER_DIAMETERS:
        if farthest <= diameter / 2:
            return diameter
    return 2 * farthest


def outside(x, y, diameter):
    """Return how many sites lie outside a wafer of `diameter` mm.

    Examples
    --------
    >>> outside(np.array([0.0, 70.0, 80.0]), np.array([0.0, 20.0, 0.0]), 150.0)
    1
    """
    placed = located(x, y)
    return int(np.count_nonzero(np.hypot(x[placed], y[placed]) > diameter / 2))


def edge_excluded(x, y, diameter, exclusion):
    """Whether each site lies within `exclusion` mm of the edge of a wafer of `diameter`
    mm, or beyond it.

    Examples
    --------
    >>> edge_excluded(np.array([0.0, 72.0, 73.0, np.nan]), np.zeros(4), 150.0, 3.0)
    array([False, False,  True, False])
    """
    with np.errstate(invalid="ignore"):
        return np.hypot(x, y) > diameter / 2 - exclusion


def nearest_distances(x, y, chosen=None, chunk=None):
    """The distance (mm) from each site of `chosen` (all by default) to its nearest
    neighbour among all the sites with a position, `chunk` sites at a time (by default as
    many as keep each step within a few million distances); inf for a site alone, NaN
    for one without a position.

    Examples
    --------
    >>> nearest_distances(np.array([0.0, 3.0, 10.0, 0.0]), np.array([0.0, 4.0, 0.0, np.nan]))
    array([5.        , 5.        , 8.06225775,        nan])
    """
    placed = located(x, y)
    chosen = np.arange(len(x)) if chosen is None else np.asarray(chosen)
    others = np.flatnonzero(placed)
    px, py = x[others], y[others]
    if chunk is None:
        chunk = max(1, min(50, (1 << 22) // max(1, len(others))))
    nearest = np.full(len(chosen), np.nan)
    for start in range(0, len(chosen), chunk):
        k = chosen[start:start + chunk]
        distance = np.hypot(x[k, None] - px[None, :], y[k, None] - py[None, :])
        distance[distance == 0] = np.inf  # the site itself, or one at its very place
        nearest[start:start + chunk] = distance.min(axis=1, initial=np.inf)
    nearest[~placed[chosen]] = np.nan
    return nearest


def site_spacing(x, y, sample=400, chunk=None):
    """Return the median distance from a site to its nearest neighbour (mm).

    Measured on at most `sample` sites spread over the table, against all
    sites, `chunk` sites at a time; 0 for fewer than two sites.

    Examples
    --------
    >>> x, y = np.meshgrid(np.arange(0.0, 50.0, 5.0), np.arange(0.0, 30.0, 5.0))
    >>> float(site_spacing(x.ravel(), y.ravel()))
    5.0
    """
    placed = np.flatnonzero(located(x, y))
    if len(placed) < 2:
        return 0.0
    chosen = placed[np.unique(np.linspace(0, len(placed) - 1,
                                          min(sample, len(placed))).astype(int))]
    return np.median(nearest_distances(x, y, chosen, chunk))


def group_sites(x, y):
    """The site of each line of a table: lines at the same place are one site.

    Sites are numbered from 0 in the order of their first line; a line without
    a position is a site of its own.

    Returns
    -------
    site : numpy.ndarray of int
        The site of each line.
    count : int
        The number of sites.

    Examples
    --------
    >>> group_sites(np.array([5.0, 0.0, 5.0, np.nan, 0.0]), np.array([1.0, 0.0, 1.0, 0, 0]))
    (array([0, 1, 0, 2, 1]), 3)
    """
    n = len(x)
    placed = located(x, y)
    lines = np.flatnonzero(placed)
    order = lines[np.lexsort((y[lines], x[lines]))]
    new = np.ones(len(order), bool)
    new[1:] = (np.diff(x[order]) != 0) | (np.diff(y[order]) != 0)
    label = np.empty(n, np.int64)
    label[order] = np.cumsum(new) - 1
    label[~placed] = np.count_nonzero(new) + np.arange(n - len(lines))
    # Renumbered by first line.
    _, first, inverse = np.unique(label, return_index=True, return_inverse=True)
    rank = np.empty(len(first), np.int64)
    rank[np.argsort(first, kind="stable")] = np.arange(len(first))
    return rank[inverse], len(first)
