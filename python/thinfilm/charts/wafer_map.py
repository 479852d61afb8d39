"""Wafer maps: the film thickness (and index) of every measured site.

A site is a place on the wafer, x and y; a table may give it several lines, one
per measurement (at several angles or wavelengths), which are then fitted
together. A line with an empty Psi or Delta is a measurement not made.
"""

import numpy as np

from . import ChartError
from .statistics import wafer_statistics
from .table import Table
from .wafer import (WAFER_DIAMETERS, edge_excluded, group_sites, located,  # noqa: F401
                    outside, site_spacing, wafer_diameter)

SITE_COLUMNS = ("x", "y", "psi", "delta")
# Per-site values of the arguments of the inversion, read when the table has them.
SETTING_COLUMNS = ("wavelength", "angle", "near")
# Per-site indices, numbers or material names, read when the table has them.
INDEX_COLUMNS = ("substrate", "film_index")
# The largest residual (degrees) of a site whose film reproduces its Psi and Delta.
MAX_RESIDUAL = 0.05
# The columns a map adds to the table: of one measurement per site, and of a fit.
SINGLE_COLUMNS = ("thickness", "period", "psi_model", "delta_model", "residual", "order",
                  "film_index", "converged")
FIT_COLUMNS = ("thickness", "sigma_thickness", "film_index", "sigma_index", "chi2",
               "residual", "ambiguous", "converged")


def read_index(text, dialect):
    """A cell of a substrate or film_index column: an index n - ik written as a real or
    as 3.866-0.028j (with a decimal point or comma), or a material's label.

    Examples
    --------
    >>> from thinfilm.charts.dialect import Dialect
    >>> read_index("3,866-0,028j", Dialect(";", ",")), read_index("poly-si", Dialect(","))
    ((3.866-0.028j), 'Si polycristallin')
    """
    from thinfilm import optconst

    written = text.strip().replace(" ", "")
    if "." not in written:  # a decimal comma: no comma has another use here
        written = written.replace(",", ".")
    try:
        value = complex(written.replace("i", "j"))
    except ValueError:
        return optconst.material_label(text)
    if not (np.isfinite(value.real) and np.isfinite(value.imag)):
        raise ValueError("not a finite index")
    return value


def _per_line(sites, name, option, default):
    """The setting `name` of every line: the table's column, the option (or `default`)
    where a cell is empty or the table has no column; None for the default everywhere."""
    fallback = default if option is None else option
    if name in sites.values:
        column = np.array(sites.values[name], dtype=object)
        column[np.equal(column, None)] = fallback
        return column
    if name in sites.numbers:
        column = sites.numbers[name].copy()
        column[sites.blank[name]] = np.nan if fallback is None else fallback
        return column
    return option


def _indices(values, wavelength, precision):
    """The complex index of every line of an object column of numbers and material
    labels, each material at the line's wavelength, as ``ellcalc`` takes it."""
    from thinfilm import optconst

    values = np.asarray(values, dtype=object)
    named = np.array([isinstance(v, str) for v in values], dtype=bool)
    out = np.zeros(len(values), np.complex128)
    out[~named] = values[~named].astype(np.complex128)
    wavelength = np.broadcast_to(wavelength, values.shape)
    for label in set(values[named]):
        at = values == label
        out[at] = optconst.constants(label, wavelength=wavelength[at],
                                     precision=precision).index
    return out


class MapChart:
    """Everything the wafer map draws and tabulates; see `map_data`.

    Attributes
    ----------
    sites : Sites
        The table read, a line per measurement.
    site : numpy.ndarray of int
        The site of each line; sites are numbered in the order of their first line.
    film_index : float or str
        The film index (a material's label), or the start of the index search.
    fit_index : bool
        Whether the index was fitted.
    fitted : bool
        Whether the measurements of each site were fitted together (``ellcalc.fit``),
        rather than each line inverted alone (``ellcalc.thickness`` or
        ``thickness_and_index``, as the program's modes 3 and 4).
    result : named tuple
        The result of the inversion, a value per line, or of the fit, a value per site.
    near : float or None
        The thickness (nm) near which each line's order is taken, when the
        table has no ``near`` column (None: the folded thickness).
    max_residual : float
        The largest residual (degrees) of a site that reproduces its Psi and Delta.
    under : list of (index, float)
        The known layers under the film, from the film down.
    """

    def __init__(self, sites, site, film_index, fit_index, fitted, result, near=None,
                 max_residual=MAX_RESIDUAL, under=()):
        self.sites, self.site, self.film_index = sites, site, film_index
        self.fit_index, self.fitted, self.result = fit_index, fitted, result
        self.near, self.max_residual, self.under = near, max_residual, list(under)
        self.count = int(site.max(initial=-1)) + 1
        first = np.full(self.count, len(site))
        np.minimum.at(first, site, np.arange(len(site)))
        measured = ~(sites.blank["psi"] | sites.blank["delta"])
        # The line of each site whose values the site takes, the first measured (or first).
        line = np.full(self.count, len(site))
        np.minimum.at(line, site[measured], np.flatnonzero(measured))
        self._line = np.where(line < len(site), line, first)
        self.measured = np.bincount(site[measured], minlength=self.count)

    @property
    def x(self):
        """The x of each site (mm)."""
        return self.sites.numbers["x"][self._line]

    @property
    def y(self):
        """The y of each site (mm)."""
        return self.sites.numbers["y"][self._line]

    def value(self, name):
        """The result `name` of each site (NaN, or False, at a site not measured).

        Examples
        --------
        A site measured at two angles:

        >>> from thinfilm import ellcalc
        >>> from thinfilm.charts.sites import Sites
        >>> m = ellcalc.psi_delta(angle=[60.0, 70.0], thickness=500.0, precision="double")
        >>> sites = Sites(["x", "y", "psi", "delta", "angle"], [()] * 2,
        ...               {"x": np.zeros(2), "y": np.zeros(2), "psi": m.psi,
        ...                "delta": m.delta, "angle": np.array([60.0, 70.0])})
        >>> chart = map_data(sites)
        >>> chart.count, chart.fitted, chart.value("thickness").round(6)
        (1, True, array([500.]))
        """
        values = np.asarray(getattr(self.result, name))
        if self.fitted:
            return values
        picked = values[self._line]
        if picked.dtype.kind == "f":
            return np.where(self.measured > 0, picked, np.nan)
        return picked & (self.measured > 0)

    def quantities(self):
        """The quantities mapped: (name, values per site) pairs."""
        names = ["thickness"] + (["film_index"] if self.fit_index else [])
        return [(name, self.value(name)) for name in names]

    def unreproduced(self):
        """Whether each measured site's residual exceeds `max_residual` (or is NaN).

        Examples
        --------
        >>> from types import SimpleNamespace
        >>> chart = SimpleNamespace(measured=np.array([1, 1, 1, 0]), max_residual=0.05,
        ...                         value=lambda _: np.array([0.01, 0.2, np.nan, np.nan]))
        >>> MapChart.unreproduced(chart)
        array([False,  True,  True, False])
        """
        return (self.measured > 0) & ~(self.value("residual") <= self.max_residual)

    def stalled(self):
        """Whether the index search (or the fit) of each measured site did not settle."""
        if not (self.fit_index or self.fitted):
            return np.zeros(self.count, bool)
        return (self.measured > 0) & ~self.value("converged").astype(bool)

    def statistics(self, diameter=None, exclusion=0.0):
        """The `WaferStatistics` of each quantity, the sites within `exclusion` mm of the
        edge of the wafer of `diameter` mm (by default the one around the sites) left out;
        sites without a position count as missing."""
        x, y = self.x, self.y
        if diameter is None:
            diameter = wafer_diameter(x, y)
        excluded = edge_excluded(x, y, diameter, exclusion) if exclusion else None
        return [wafer_statistics(name, np.where(located(x, y), values, np.nan), excluded)
                for name, values in self.quantities()]

    def computed(self):
        """The computed columns: (name, values per line) pairs."""
        r = self.result
        if self.fitted:
            names = [n for n in FIT_COLUMNS
                     if self.fit_index or n not in ("film_index", "sigma_index")]
            return [(name, np.asarray(getattr(r, name))[self.site]) for name in names]
        columns = [("thickness", r.thickness), ("period", r.period), ("psi_model", r.psi),
                   ("delta_model", r.delta), ("residual", r.residual), ("order", r.order)]
        if self.fit_index:
            columns += [("film_index", r.film_index), ("converged", r.converged)]
        return columns

    def table(self):
        """The lines as read, every value as written, with the computed columns added.

        A computed column whose name is the key of an input column replaces it in place.
        """
        computed = dict(self.computed())
        position = {key: k for k, key in enumerate(self.sites.keys)}
        names = [key if key in computed else name
                 for name, key in zip(self.sites.names, self.sites.keys)]
        names += [name for name in computed if name not in position]
        columns = []
        for name in names:
            if name in computed:
                columns.append((name, np.atleast_1d(computed[name])))
            else:
                columns.append((name, _TextColumn(self.sites.rows, names.index(name))))
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
             under=(), **setting):
    """Compute the film at every site of a wafer map.

    Lines at the same x and y are the measurements of one site. When every site
    has one, and no layer lies under the film, each line is inverted alone as
    the program does (``ellcalc.thickness``, or ``thickness_and_index`` with
    `fit_index`); otherwise the measurements of each site are fitted together
    (``ellcalc.fit``, which needs no `near`).

    Parameters
    ----------
    sites : Sites
        Lines with columns x, y (mm), psi, delta (degrees) and optionally
        wavelength (nm), angle (degrees), near (nm), substrate and film_index
        (indices or material labels) for each line; an empty cell of these
        takes the argument's value.
    film_index : float or str, optional
        The film index or a material's label (mode 3), or the start of the
        search (mode 4); ellcalc's initial value by default.
    fit_index : bool
        Fit index and thickness together.
    near : float, optional
        The thickness (nm) of the order nearest `near` is taken at every line,
        unless the table has a near column (None: the folded thickness,
        order 0).
    max_residual : float
        The residual (degrees) above which a site does not reproduce its Psi
        and Delta.
    under : sequence of (index or str, float)
        Known layers under the film, from the film down to the substrate.
    **setting
        wavelength, angle and substrate (an index or a material's label) for
        the lines whose table does not give them (the package's defaults
        otherwise).

    Returns
    -------
    MapChart

    Raises
    ------
    ChartError
        For a film that cannot be computed so (an absorbing film index, a
        material without an index at a wavelength).
    """
    from thinfilm import ellcalc

    if film_index is None:
        film_index = ellcalc.FILM_INDEX
    site, count = group_sites(sites.numbers["x"], sites.numbers["y"])
    measured = ~(sites.blank["psi"] | sites.blank["delta"])
    fitted = bool(under) or np.bincount(site[measured], minlength=count).max(initial=0) > 1
    options = dict(setting, near=near, film_index=film_index)
    defaults = dict(wavelength=ellcalc.WAVELENGTH, angle=ellcalc.ANGLE,
                    substrate=ellcalc.SUBSTRATE, film_index=ellcalc.FILM_INDEX, near=None)
    arguments = {}
    for name, default in defaults.items():
        value = _per_line(sites, name, options.get(name), default)
        if value is not None:
            arguments[name] = value
    precision = "double" if fitted else "single"
    for name in INDEX_COLUMNS:
        if name in sites.values or (fitted and isinstance(arguments.get(name), str)):
            arguments[name] = _indices(
                np.broadcast_to(np.array(arguments[name], dtype=object), (len(sites),)),
                arguments.get("wavelength", ellcalc.WAVELENGTH), precision)
    try:
        if fitted:
            arguments.pop("near", None)
            result = _fit(sites, site, count, measured, arguments, fit_index, under)
        else:
            solve = ellcalc.thickness_and_index if fit_index else ellcalc.thickness
            result = solve(psi=sites.numbers["psi"], delta=sites.numbers["delta"],
                           **arguments)
    except (TypeError, ValueError) as error:
        raise ChartError(str(error)) from None
    return MapChart(sites, site, film_index, fit_index, fitted, result, near, max_residual,
                    under)


def draw_map(chart, diameter=None, exclusion=0.0):
    """Draw a `MapChart` and return the figure: see ``map_drawing.draw_map``."""
    from .map_drawing import draw_map as draw

    return draw(chart, diameter, exclusion)


def _fit(sites, site, count, measured, arguments, fit_index, under):
    """``ellcalc.fit`` over the sites, those with the same number of measurements at once."""
    from thinfilm import ellcalc

    lines = np.flatnonzero(measured)
    lines = lines[np.argsort(site[lines], kind="stable")]  # by site, in the table's order
    per_site = np.bincount(site[lines], minlength=count)
    start = np.concatenate([[0], np.cumsum(per_site)[:-1]])
    columns = dict(arguments, psi=sites.numbers["psi"], delta=sites.numbers["delta"])
    columns = {name: np.broadcast_to(value, (len(sites),)) for name, value in columns.items()}
    out = {name: np.full(count, np.nan) for name in ellcalc.FilmFit._fields}
    out["ambiguous"] = np.zeros(count, bool)
    out["converged"] = np.zeros(count, bool)
    for measurements in np.unique(per_site[per_site > 0]):
        chosen = np.flatnonzero(per_site == measurements)
        at = lines[start[chosen, None] + np.arange(measurements)]
        given = {name: value[at] for name, value in columns.items()}
        r = ellcalc.fit(given.pop("psi"), given.pop("delta"), fit_index=fit_index,
                        under=list(under) or None, **given)
        for name, values in zip(ellcalc.FilmFit._fields, r):
            out[name][chosen] = values
    return ellcalc.FilmFit(**out)
