"""Wafer maps: the film thickness (and index) of every measured site."""

import math

import numpy as np

from .table import Table

SITE_COLUMNS = ("x", "y", "psi", "delta")
# Per-site values of the arguments of the inversion, read when the table has them.
SETTING_COLUMNS = ("wavelength", "angle", "near")
# The largest residual (degrees) of a site whose film reproduces its Psi and Delta.
MAX_RESIDUAL = 0.05
# Wafer diameters (mm) tried, smallest first, for the outline drawn around the sites.
WAFER_DIAMETERS = (50.8, 76.2, 100.0, 125.0, 150.0, 200.0, 300.0, 450.0)


class MapChart:
    """Everything the wafer map draws; see `map_data`.

    Attributes
    ----------
    sites : Sites
        The table read.
    film_index : float
        The film index (mode 3), or the start of the index search (mode 4).
    fit_index : bool
        Whether the index was fitted (mode 4).
    result : result of ``ellcalc.thickness`` or ``ellcalc.thickness_and_index``
        One value per site.
    near : float or None
        The thickness (nm) near which each site's order is taken, when the
        table has no ``near`` column (None: the folded thickness).
    max_residual : float
        The largest residual (degrees) of a site that reproduces its Psi and Delta.
    """

    def __init__(self, sites, film_index, fit_index, result, near=None,
                 max_residual=MAX_RESIDUAL):
        self.sites, self.film_index, self.fit_index = sites, film_index, fit_index
        self.result, self.near, self.max_residual = result, near, max_residual

    @property
    def x(self):
        return self.sites.numbers["x"]

    @property
    def y(self):
        return self.sites.numbers["y"]

    def unreproduced(self):
        """Whether each site's residual exceeds `max_residual` (or is NaN): a boolean array.

        Examples
        --------
        >>> from types import SimpleNamespace
        >>> r = SimpleNamespace(residual=np.array([0.01, 0.2, np.nan]))
        >>> MapChart(None, 1.5, False, r, max_residual=0.05).unreproduced()
        array([False,  True,  True])
        """
        return ~(np.asarray(self.result.residual) <= self.max_residual)

    def computed(self):
        """The computed columns: (name, values) pairs."""
        r = self.result
        columns = [("thickness", r.thickness), ("period", r.period), ("psi_model", r.psi),
                   ("delta_model", r.delta), ("residual", r.residual), ("order", r.order)]
        if self.fit_index:
            columns += [("film_index", r.film_index), ("converged", r.converged)]
        return columns

    def table(self):
        """The sites as read, every value as written, with the computed columns added.

        A computed column whose name the input already has replaces it in place.
        """
        computed = dict(self.computed())
        position = {name: k for k, name in enumerate(self.sites.names)}
        names = list(self.sites.names) + [name for name in computed if name not in position]
        columns = []
        for name in names:
            if name in computed:
                columns.append((name, np.atleast_1d(computed[name])))
            else:
                columns.append((name, _TextColumn(self.sites.rows, position[name])))
        return Table(columns)


class _TextColumn:
    """One column of the rows read, as a sequence, without a copy of its values."""

    def __init__(self, rows, position):
        self.rows, self.position = rows, position

    def __len__(self):
        return len(self.rows)

    def __getitem__(self, k):
        return self.rows[k][self.position]

    def __iter__(self):
        return (row[self.position] for row in self.rows)


def map_data(sites, film_index=None, fit_index=False, near=None, max_residual=MAX_RESIDUAL,
             **setting):
    """Compute the film at every site of a wafer map.

    Parameters
    ----------
    sites : Sites
        Sites with columns x, y (mm), psi, delta (degrees) and optionally
        wavelength (nm), angle (degrees) and near (nm) for each site.
    film_index : float, optional
        The film index (mode 3), or the start of the search (mode 4);
        ellcalc's initial value by default.
    fit_index : bool
        Fit index and thickness together (mode 4).
    near : float, optional
        The thickness (nm) of the order nearest `near` is taken at every site,
        unless the table has a near column (None: the folded thickness,
        order 0).
    max_residual : float
        The residual (degrees) above which a site does not reproduce its Psi
        and Delta.
    **setting
        wavelength, angle and substrate for the sites whose table does not
        give them (the package's defaults otherwise).

    Returns
    -------
    MapChart
    """
    from thinfilm import ellcalc

    if film_index is None:
        film_index = ellcalc.FILM_INDEX
    arguments = {k: v for k, v in dict(setting, near=near).items() if v is not None}
    for name in SETTING_COLUMNS:
        if name in sites.numbers:
            arguments[name] = sites.numbers[name]
    solve = ellcalc.thickness_and_index if fit_index else ellcalc.thickness
    result = solve(film_index=film_index, psi=sites.numbers["psi"],
                   delta=sites.numbers["delta"], **arguments)
    return MapChart(sites, film_index, fit_index, result, near, max_residual)


def wafer_diameter(x, y):
    """Return the smallest usual wafer diameter (mm) around all sites.

    Examples
    --------
    >>> wafer_diameter(np.array([0.0, 70.0]), np.array([0.0, 20.0]))
    150.0
    >>> wafer_diameter(np.array([300.0]), np.array([0.0]))
    600.0
    """
    finite = np.isfinite(x) & np.isfinite(y)
    reach = float(np.max(np.hypot(x[finite], y[finite]), initial=0.0))
    for diameter in WAFER_DIAMETERS:
        if reach <= diameter / 2:
            return diameter
    return 2 * reach


def outside(x, y, diameter):
    """Return how many sites lie outside a wafer of `diameter` mm.

    Examples
    --------
    >>> outside(np.array([0.0, 70.0, 80.0]), np.array([0.0, 20.0, 0.0]), 150.0)
    1
    """
    finite = np.isfinite(x) & np.isfinite(y)
    return int(np.count_nonzero(np.hypot(x[finite], y[finite]) > diameter / 2))


def site_spacing(x, y, sample=400, chunk=None):
    """Return the median distance from a site to its nearest neighbour (mm).

    Measured on at most `sample` sites spread over the table, against all
    sites, `chunk` sites at a time (by default as many as keep each step
    within a few million distances); 0 for fewer than two sites.

    Examples
    --------
    >>> x, y = np.meshgrid(np.arange(0.0, 50.0, 5.0), np.arange(0.0, 30.0, 5.0))
    >>> float(site_spacing(x.ravel(), y.ravel()))
    5.0
    """
    finite = np.isfinite(x) & np.isfinite(y)
    x, y = x[finite], y[finite]
    if len(x) < 2:
        return 0.0
    chosen = np.unique(np.linspace(0, len(x) - 1, min(sample, len(x))).astype(int))
    if chunk is None:
        chunk = max(1, min(50, (1 << 22) // len(x)))
    nearest = []
    for start in range(0, len(chosen), chunk):
        k = chosen[start:start + chunk]
        distance = np.hypot(x[k, None] - x[None, :], y[k, None] - y[None, :])
        distance[np.arange(len(k)), k] = np.inf
        nearest.append(distance.min(axis=1))
    return np.median(np.concatenate(nearest))


def draw_map(chart, diameter=None):
    """Draw a `MapChart` on a wafer of `diameter` mm and return the figure.

    Sites outside the wafer are drawn too: the view then reaches them.
    """
    from matplotlib.figure import Figure
    from matplotlib.patches import Circle

    x, y = chart.x, chart.y
    if diameter is None:
        diameter = wafer_diameter(x, y)
    panels = [("thickness", "Thickness (nm)", np.asarray(chart.result.thickness, dtype=float))]
    if chart.fit_index:
        panels.append(("film_index", "Film index",
                       np.asarray(chart.result.film_index, dtype=float)))
    # A fixed layout (inches): square maps of 3.9 in, each with its colour scale
    # at its right; the automatic layout engines cost more time than the map.
    width, height, side_in = 5.6 * len(panels), 5.0, 3.9
    figure = Figure(figsize=(width, height))
    axes, scales = [], []
    for k in range(len(panels)):
        left = 5.6 * k + 0.75
        axes.append(figure.add_axes([left / width, 0.55 / height, side_in / width,
                                     side_in / height]))
        scales.append(figure.add_axes([(left + side_in + 0.2) / width, 0.75 / height,
                                       0.17 / width, (side_in - 0.4) / height]))
    # Square markers as wide as the usual distance between neighbouring sites.
    side = site_spacing(x, y)
    if not side > 0:
        side = diameter * math.sqrt(math.pi / 4 / len(x))
    side = min(side, diameter / 8)
    finite = np.isfinite(x) & np.isfinite(y)
    reach = float(np.max(np.hypot(x[finite], y[finite]), initial=0.0))
    limit = max(diameter / 2, reach) * 1.04
    points_per_mm = side_in * 72 / (2 * limit)
    size = (side * points_per_mm) ** 2
    stalled = ~np.asarray(chart.result.converged, dtype=bool) if chart.fit_index else None
    unreproduced = chart.unreproduced()
    for ax, scale_axes, (_, label, values) in zip(axes, scales, panels):
        ax.add_patch(Circle((0, 0), diameter / 2, fill=False, color="black", linewidth=1))
        good = np.isfinite(values)
        shown = ax.scatter(x[good], y[good], c=values[good], s=size, marker="s",
                           cmap="viridis", edgecolors="face", linewidths=0.4)
        if not good.all():
            ax.plot(x[~good], y[~good], "x", color="red", label="no finite value")
        if stalled is not None and stalled.any():
            ax.plot(x[stalled], y[stalled], "o", markerfacecolor="none", color="red",
                    label="slow convergence")
        if unreproduced.any():
            ax.plot(x[unreproduced], y[unreproduced], "^", markerfacecolor="none",
                    color="red", label="residual above %g deg" % chart.max_residual)
        if good.any():
            figure.colorbar(shown, cax=scale_axes, label=label)
        else:
            scale_axes.set_visible(False)
        if ax.get_legend_handles_labels()[0]:
            ax.legend(fontsize=7, loc="upper right")
        ax.set_aspect("equal")
        ax.set_xlim(-limit, limit)
        ax.set_ylim(-limit, limit)
        ax.set_xlabel("x (mm)")
        ax.set_ylabel("y (mm)")
    if chart.fit_index:
        title = "Film thickness and index (fitted from n = %g)" % chart.film_index
    else:
        title = "Film thickness at index %g" % chart.film_index
    if "near" in chart.sites.numbers:
        title += ", in the order nearest each site's near"
    elif chart.near is not None:
        title += ", in the order nearest %g nm" % chart.near
    figure.suptitle("%s, %d sites" % (title, len(x)), fontsize=11, y=0.97)
    return figure
