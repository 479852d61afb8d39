"""Psi-Delta trajectories of growing films, with measured points and their fits, alone on
the substrate or over known layers."""

import math

import numpy as np

from . import ChartError
from .table import Table

# Thickness step of the drawn curves (nm): fine enough for the sharp turns of
# high-index films; the thickness marks fall every 40 steps, the labels every 200.
_STEP = 0.25
_MAX_STEPS = 4000


class Trajectory:
    """Psi and Delta of one film index over one thickness period.

    Attributes
    ----------
    film_index, period : float
        The film index and its thickness period (nm).
    thickness, psi, delta : numpy.ndarray
        Thickness from 0 to the period (nm), Psi and Delta (degrees).
    mark_every, label_every : int
        Every how many points of the curve a thickness mark, and a label,
        is drawn (10 nm and 50 nm on curves of 0.25 nm steps).
    step : float
        The thickness step of the curve (nm).
    """

    def __init__(self, film_index, period, thickness, psi, delta, mark_every, label_every,
                 step):
        self.film_index, self.period, self.step = film_index, period, step
        self.thickness, self.psi, self.delta = thickness, psi, delta
        self.mark_every, self.label_every = mark_every, label_every


class Fit:
    """The film found for one measured point: mode 3 (at a given index) or mode 4.

    Psi and Delta are the model's for that film; `residual` (degrees) is how far
    they are from the measured point.
    """

    def __init__(self, point, mode, film_index, thickness, period, psi, delta, converged,
                 residual):
        self.point, self.mode = point, mode
        self.film_index, self.thickness, self.period = film_index, thickness, period
        self.psi, self.delta, self.converged = psi, delta, converged
        self.residual = residual


class PsiDeltaChart:
    """Everything the Psi-Delta chart draws; see `psi_delta_data`."""

    def __init__(self, wavelength, angle, substrate, trajectories, bare, measured, fits,
                 under=()):
        self.wavelength, self.angle, self.substrate = wavelength, angle, substrate
        self.trajectories, self.bare, self.measured, self.fits = trajectories, bare, measured, fits
        self.under = tuple(under)

    def table(self):
        """The drawn values as one table, a row per point, `kind` telling what it is.

        Kinds: ``trajectory`` (the curves), ``substrate`` (the bare
        substrate), ``measured`` (the points given), ``mode 3`` and
        ``mode 4`` (the film found for a measured point, Psi and Delta being
        the model's for that film, with its residual).
        """
        rows = []
        for t in self.trajectories:
            for d, p, e in zip(t.thickness, t.psi, t.delta):
                rows.append(("trajectory", "", t.film_index, d, t.period, p, e, "", ""))
        rows.append(("substrate", "", "", 0.0, "", self.bare[0], self.bare[1], "", ""))
        for k, (p, e) in enumerate(self.measured, 1):
            rows.append(("measured", k, "", "", "", p, e, "", ""))
        for f in self.fits:
            rows.append(("mode %d" % f.mode, f.point, f.film_index, f.thickness, f.period,
                         f.psi, f.delta, f.converged if f.mode == 4 else "", f.residual))
        names = ("kind", "point", "film_index", "thickness", "period", "psi", "delta",
                 "converged", "residual")
        return Table(list(zip(names, zip(*rows))))


def layer_argument(text):
    """Return the known layer written ``INDEX_OR_MATERIAL:THICKNESS_NM`` as a pair.

    The index is a number, real or complex n - ik (``1.46``, ``3.8-0.02j``, with ``i`` for
    ``j`` if wished), or an ``optconst`` material name or alias, returned as its menu label;
    the thickness is a finite number of nm, not negative.

    Raises
    ------
    ValueError
        For anything else, saying what is wrong.

    Examples
    --------
    >>> layer_argument("SiO2:2"), layer_argument("1.46-0.01i:25"), layer_argument("a-si:5e1")
    (('SiO2', 2.0), ((1.46-0.01j), 25.0), ('Si-a', 50.0))
    """
    from thinfilm.optconst import material_label

    name, colon, thickness_text = text.rpartition(":")
    if not colon or not name.strip():
        raise ValueError("%r is not INDEX_OR_MATERIAL:THICKNESS_NM" % text)
    try:
        thickness = float(thickness_text)
    except ValueError:
        raise ValueError("%r: the thickness %r is not a number" % (text, thickness_text)) from None
    if not (math.isfinite(thickness) and thickness >= 0):
        raise ValueError("%r: the thickness must be finite and not negative" % text)
    try:
        return material_label(name), thickness
    except ValueError:
        pass
    try:
        index = complex(name.replace(" ", "").replace("i", "j"))
    except ValueError:
        raise ValueError("%r: %r is neither an index (such as 1.46 or 3.8-0.02j) nor a "
                         "material" % (text, name)) from None
    if not (math.isfinite(index.real) and math.isfinite(index.imag)):
        raise ValueError("%r: the index is not finite" % text)
    return (index.real if index.imag == 0 else index), thickness


def _layers_text(under):
    """The known layers in a few words, from the film down."""
    return ", ".join("%s %g nm" % (n if isinstance(n, str) else complex_text(n)
                                   if complex(n).imag else "%g" % complex(n).real, t)
                     for n, t in under)


def psi_delta_data(wavelength, angle, substrate, indices, measured=(), fit_index=False,
                   under=()):
    """Compute the Psi-Delta trajectories of films and the fits of measured points.

    Parameters
    ----------
    wavelength, angle : float
        Wavelength (nm) and angle of incidence (degrees).
    substrate : complex
        Substrate index n - ik.
    indices : sequence of float
        The film indices, one trajectory each.
    measured : sequence of (float, float)
        Measured (Psi, Delta) points, degrees.
    fit_index : bool
        Also fit index and thickness together (mode 4) for each measured
        point, starting from the first film index.
    under : sequence of (index, thickness)
        Known layers under the film, from the film down to the substrate, as
        ``ellcalc.stack`` takes them (`layer_argument` reads them from text).
        The trajectories are then those of the film on these layers, and the
        films of the measured points are found over them by ``ellcalc.fit``,
        within one period (mode 3: at each film index; mode 4: the index too).

    Returns
    -------
    PsiDeltaChart
        Each trajectory runs over one thickness period in steps of 0.25 nm
        (of 2.5 nm or more for periods beyond 1 µm); every measured point has the
        thickness that mode 3 finds at each film index and, with
        `fit_index`, the index and thickness of mode 4, each with its residual.

    Raises
    ------
    ChartError
        For a film index with no finite thickness period (not above the sine
        of the angle of incidence).

    Examples
    --------
    >>> chart = psi_delta_data(632.8, 70, 3.866 - 0.028j, [1.5], [(39.44, 78.24)])
    >>> t = chart.trajectories[0]
    >>> print("%.2f %.3f %.3f" % (t.period, t.psi[400], t.delta[400]))
    270.62 43.613 75.973
    >>> f = chart.fits[0]
    >>> print("%.3f nm, residual %.3f degrees" % (f.thickness, f.residual))
    92.872 nm, residual 1.955 degrees

    Over a 2 nm native oxide, the trajectory starts from the oxidised substrate:

    >>> chart = psi_delta_data(632.8, 70, 3.866 - 0.028j, [1.5], under=[("SiO2", 2.0)])
    >>> print("%.3f %.3f" % chart.bare)
    10.507 173.094
    """
    from thinfilm import ellcalc

    setting = dict(wavelength=wavelength, angle=angle, substrate=substrate)
    under = [(n, float(t)) for n, t in under]
    if under:
        return _over_layers(setting, indices, measured, fit_index, under)

    def model(film_index, thickness):
        return ellcalc.psi_delta(film_index=film_index, thickness=thickness, **setting)

    trajectories = _trajectories(indices, setting, model)
    first = indices[0] if indices else ellcalc.FILM_INDEX
    r = ellcalc.psi_delta(film_index=first, thickness=[0.0], **setting)
    bare = (r.psi[0], r.delta[0])

    measured = [(float(p), float(d)) for p, d in measured]
    fits = []
    if measured:
        psi = np.array([p for p, _ in measured])
        delta = np.array([d for _, d in measured])
        found = [(3, ellcalc.thickness(film_index=n, psi=psi, delta=delta, **setting))
                 for n in indices]
        if fit_index:
            found.append((4, ellcalc.thickness_and_index(film_index=first, psi=psi,
                                                         delta=delta, **setting)))
        for k in range(len(measured)):
            for (mode, r), n in zip(found, list(indices) + [None]):
                index = r.film_index[k] if mode == 4 else n
                converged = bool(r.converged[k]) if mode == 4 else True
                fits.append(Fit(k + 1, mode, index, r.thickness[k], r.period[k], r.psi[k],
                                r.delta[k], converged, r.residual[k]))
    return PsiDeltaChart(wavelength, angle, substrate, trajectories, bare, measured, fits)


def _trajectories(indices, setting, model):
    """The trajectory of each film index over one period, from ``model(film_index,
    thickness)`` (a result with ``psi`` and ``delta``)."""
    trajectories = []
    for film_index in indices:
        period = _period(film_index, setting)
        if not (math.isfinite(period) and period > 0):
            raise _no_period(film_index, setting)
        step = _STEP
        while period / step > _MAX_STEPS:
            step *= 10
        thickness = np.append(np.arange(0.0, period, step), period)
        r = model(film_index, thickness)
        trajectories.append(Trajectory(film_index, period, thickness, np.asarray(r.psi),
                                       np.asarray(r.delta), 40, 200, step))
    return trajectories


def _over_layers(setting, indices, measured, fit_index, under):
    """`psi_delta_data` of films over the known layers `under`."""
    from thinfilm import ellcalc

    def model(film_index, thickness):
        return ellcalc.stack([(film_index, thickness)] + under, **setting)

    # The film's period does not depend on what lies under it.
    trajectories = _trajectories(indices, setting, model)
    periods = {t.film_index: t.period for t in trajectories}
    r = model(1.0, 0.0)
    bare = (r.psi, r.delta)

    measured = [(float(p), float(d)) for p, d in measured]
    fits = []
    if measured:
        psi = np.array([[p] for p, _ in measured])
        delta = np.array([[d] for _, d in measured])
        first = indices[0] if indices else ellcalc.FILM_INDEX
        tasks = [(3, n, False) for n in indices] + ([(4, first, True)] if fit_index else [])
        found = []
        for mode, n, free in tasks:
            r = ellcalc.fit(psi, delta, film_index=n, fit_index=free, under=under,
                            max_thickness=periods[n], **setting)
            m = model(r.film_index, r.thickness)
            period = ellcalc.psi_delta(film_index=r.film_index, thickness=0.0, **setting).period
            found.append((mode, r, m, period))
        for k in range(len(measured)):
            for mode, r, m, period in found:
                fits.append(Fit(k + 1, mode, float(r.film_index[k]), float(r.thickness[k]),
                                float(period[k]), float(m.psi[k]), float(m.delta[k]),
                                bool(r.converged[k]), float(r.residual[k])))
    return PsiDeltaChart(setting["wavelength"], setting["angle"], setting["substrate"],
                         trajectories, bare, measured, fits, under)


def _period(film_index, setting):
    from thinfilm import ellcalc

    return ellcalc.psi_delta(film_index=film_index, thickness=[0.0], **setting).period[0]


def _no_period(film_index, setting):
    """The ChartError for a film index without a finite thickness period, naming its cause.

    Either the index is not above the sine of the angle of incidence, or one
    value is beyond what the calculation holds: the one whose replacement by
    its usual value gives the period back.
    """
    from thinfilm import ellcalc

    angle = setting["angle"]
    if not film_index > abs(math.sin(math.radians(angle))):
        return ChartError("film index %g has no thickness period at %g degrees: it must be "
                          "above the sine of the angle of incidence" % (film_index, angle))
    for name, usual, unit in (("wavelength", ellcalc.WAVELENGTH, " nm"),
                              ("angle", ellcalc.ANGLE, " degrees")):
        period = _period(film_index, dict(setting, **{name: usual}))
        if math.isfinite(period) and period > 0:
            return ChartError("%s %g%s is out of range: film index %g has no finite thickness "
                              "period with it" % (name, setting[name], unit, film_index),
                              argument=name)
    return ChartError("film index %g is out of range: it has no finite thickness period"
                      % film_index, argument="index")


def _broken_at_wraps(psi, delta):
    # Delta jumps by 360 degrees where it passes +-180: no line across the chart there.
    jumps = np.flatnonzero(np.abs(np.diff(delta)) > 180) + 1
    return np.insert(psi, jumps, np.nan), np.insert(delta, jumps, np.nan)


def complex_text(value):
    """Return an index n - ik as text, e.g. ``3.866 - 0.028i``."""
    value = complex(value)
    sign = "-" if value.imag < 0 or math.copysign(1, value.imag) < 0 else "+"
    return "%g %s %gi" % (value.real, sign, abs(value.imag))


def _fit_lines(chart):
    """The notes under the chart: each measured point, then each film found for it a line.

    Examples
    --------
    >>> chart = psi_delta_data(632.8, 70, 3.866 - 0.028j, [1.5], [(39.44, 78.24)], True)
    >>> print("\\n".join(_fit_lines(chart)))
    1: Psi 39.44, Delta 78.24
        → 92.872 nm at n = 1.5, residual 1.95°
        → fit n = 1.47352, 95.274 nm, residual 0.00244°
    """
    lines = []
    for k, (psi, delta) in enumerate(chart.measured, 1):
        lines.append("%d: Psi %g, Delta %g" % (k, psi, delta))
        for f in (f for f in chart.fits if f.point == k):
            if f.mode == 3:
                text = "%.3f nm at n = %g" % (f.thickness, f.film_index)
            else:
                text = "fit n = %.5f, %.3f nm%s" % (
                    f.film_index, f.thickness, "" if f.converged else " (slow convergence)")
            lines.append("    \N{RIGHTWARDS ARROW} %s, residual %.3g\N{DEGREE SIGN}"
                         % (text, f.residual))
    return lines


def draw_psi_delta(chart):
    """Draw a `PsiDeltaChart` and return the matplotlib figure."""
    from matplotlib.figure import Figure

    lines = _fit_lines(chart)
    height = 5.6 + 0.2 * len(lines)
    figure = Figure(figsize=(7.0, height), layout="constrained")
    if lines:
        ax, notes = figure.subplots(2, 1, height_ratios=[5.6, 0.2 * len(lines) + 0.1])
        notes.axis("off")
        notes.text(0, 1, "\n".join(lines), fontsize=8, va="top", ha="left",
                   transform=notes.transAxes)
    else:
        ax = figure.subplots()
    marked_every = "marks every 10 nm of thickness, labels every 50 nm"
    for t in chart.trajectories:
        label = "n = %g (period %.2f nm)" % (t.film_index, t.period)
        if t.step != _STEP:
            label += ", marks every %g nm" % (t.step * t.mark_every)
        line, = ax.plot(*_broken_at_wraps(t.psi, t.delta), linewidth=1.2, label=label)
        marks = slice(0, len(t.thickness) - 1, t.mark_every)
        ax.plot(t.psi[marks], t.delta[marks], "o", markersize=2.5, color=line.get_color())
        for k in range(0, len(t.thickness) - 1, t.label_every):
            ax.annotate("%g" % t.thickness[k], (t.psi[k], t.delta[k]), xytext=(4, 3),
                        textcoords="offset points", fontsize=7, color=line.get_color())
    ax.plot(*chart.bare, "s", color="black", markersize=6,
            label="substrate and known layers" if chart.under else "bare substrate")
    for k, (psi, delta) in enumerate(chart.measured, 1):
        for f in (f for f in chart.fits if f.point == k):
            ax.plot([psi, f.psi], [delta, f.delta], ":", color="grey", linewidth=1)
        ax.plot(psi, delta, "*", color="red", markersize=11,
                label="measured" if k == 1 else None)
        ax.annotate("%d" % k, (psi, delta), xytext=(6, 4), textcoords="offset points",
                    fontsize=8, color="darkred", weight="bold")
    ax.set_xlabel("Psi (degrees)")
    ax.set_ylabel("Delta (degrees)")
    over = "\nover %s" % _layers_text(chart.under) if chart.under else ""
    ax.set_title("Film trajectories: %g nm, %g\N{DEGREE SIGN} incidence, substrate %s%s\n%s"
                 % (chart.wavelength, chart.angle, complex_text(chart.substrate), over,
                    marked_every), fontsize=10)
    ax.grid(True, linewidth=0.3)
    ax.legend(fontsize=8, loc="best")
    return figure
