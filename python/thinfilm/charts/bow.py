"""Predicted wafer bow against the silica thickness left after etching or growth."""

import numpy as np

from thinfilm import waferbow

from . import ChartError
from .table import Table

# The stress report of a continue pass, in the order of the program's report.
REPORT = waferbow.REPORT


class BowChart:
    """Everything the bow chart draws; see `bow_data`.

    Attributes
    ----------
    bow, silicon, silica : float
        The first state: measured bow (µm), silicon and silica thickness (µm).
    initial_bow : float
        Bow of the bare wafer (µm).
    new_silicon, moment : float
        Silicon thickness (µm) and external moment (N) of the predictions.
    new_silica : numpy.ndarray
        The silica thicknesses predicted for (µm).
    prediction : result of ``waferbow.continue_pass``
        Bow (µm), step count, whether it settled and stress report at each new silica
        thickness.
    thin_film_bow : numpy.ndarray
        The bow of the bare wafer plus the film's, scaled as for a thin film of
        unchanged stress.
    """

    def __init__(self, bow, silicon, silica, new_silicon, moment, new_silica, prediction,
                 thin_film_bow, initial_bow=0.0):
        self.bow, self.silicon, self.silica = bow, silicon, silica
        self.new_silicon, self.moment, self.new_silica = new_silicon, moment, new_silica
        self.prediction, self.thin_film_bow = prediction, thin_film_bow
        self.initial_bow = initial_bow

    def unsettled(self):
        """Whether each prediction did not settle (a boolean array)."""
        return ~np.asarray(self.prediction.settled, dtype=bool)

    def table(self):
        """One row per new silica thickness: the prediction and its stress report."""
        count = len(self.new_silica)
        columns = [("silicon", np.full(count, self.new_silicon)), ("silica", self.new_silica),
                   ("moment", np.full(count, self.moment)),
                   ("bow", self.prediction.bow), ("thin_film_bow", self.thin_film_bow),
                   ("regressions", self.prediction.regressions),
                   ("settled", self.prediction.settled)]
        columns += [(name, getattr(self.prediction, name)) for name in REPORT]
        columns.append(("stress_stoney", self.prediction.stress_stoney))
        return Table(columns)


def bow_data(to_silica, bow=None, silicon=None, silica=None, to_silicon=None, moment=0.0,
             points=60, **first_state):
    """Predict the bow over a range of new silica thickness.

    Parameters
    ----------
    to_silica : (float, float)
        The range of the new silica thickness (µm), ends included.
    bow, silicon, silica : float, optional
        The measured first state: bow, silicon and silica thickness (µm);
        by default waferbow's initial values.
    to_silicon : float, optional
        The new silicon thickness (µm); the first one by default.
    moment : float
        External bending moment of the predictions (N).
    points : int
        Number of new silica thicknesses, evenly spaced.
    **first_state
        Further arguments of ``waferbow.first_state`` (diameter in m, moduli,
        ``initial_bow``, the bow of the bare wafer in µm).

    Returns
    -------
    BowChart

    Raises
    ------
    ChartError
        When the first state has no finite radius of curvature (a bow of 0,
        a diameter too large), or the thin-film scaling of the bow overflows.

    Examples
    --------
    >>> chart = bow_data((0.5, 2.0), points=4)
    >>> print(" ".join("%.1f" % b for b in chart.prediction.bow))
    5.0 10.0 15.0 20.0
    >>> chart = bow_data((0.0, 1.0), points=3, initial_bow=-4.0)
    >>> print(" ".join("%.1f" % b for b in chart.prediction.bow))
    -4.0 3.0 10.0
    """
    bow = waferbow.BOW if bow is None else bow
    silicon = waferbow.SILICON if silicon is None else silicon
    silica = waferbow.SILICA if silica is None else silica
    initial_bow = first_state.get("initial_bow", 0.0)
    first = waferbow.first_state(bow=bow, silicon=silicon, silica=silica, **first_state)
    if not np.isfinite(first.radius):
        usual = waferbow.first_state(bow=bow, silicon=silicon, silica=silica,
                                     **dict(first_state, diameter=waferbow.DIAMETER))
        if bow != initial_bow and np.isfinite(usual.radius):
            raise ChartError("the first state has no finite radius of curvature (diameter "
                             "%g m)" % first_state["diameter"], argument="diameter")
        bare = ", bare wafer %g um" % initial_bow if initial_bow else ""
        raise ChartError("the first state has no finite radius of curvature (bow %g um%s)"
                         % (bow, bare), argument="bow")
    new_silicon = silicon if to_silicon is None else to_silicon
    new_silica = np.linspace(to_silica[0], to_silica[1], points)
    prediction = waferbow.continue_pass(first, silicon=new_silicon, silica=new_silica,
                                        moment=moment)
    # The comparison line only, not a model of the package: for a thin film of
    # unchanged stress the film's bow goes as the film thickness over the square
    # of the substrate thickness.
    try:
        squared = (silicon / new_silicon) ** 2
    except OverflowError:
        squared = np.inf
    with np.errstate(over="ignore", invalid="ignore"):
        ratio = new_silica / silica
        thin_film_bow = initial_bow + (bow - initial_bow) * ratio * squared
    if not np.isfinite(thin_film_bow).all():
        if not np.isfinite(squared):
            culprit = "to_silicon" if new_silicon < silicon else "silicon"
        elif not np.isfinite(ratio).all():
            culprit = "silica" if silica < 1 else "to_silica"
        else:
            culprit = "bow"
        raise ChartError("the thin-film scaling of the bow overflows (bow %g um, silicon %g "
                         "to %g um, silica %g to %g..%g um)"
                         % (bow, silicon, new_silicon, silica, to_silica[0], to_silica[1]),
                         argument=culprit)
    return BowChart(bow, silicon, silica, new_silicon, moment, new_silica, prediction,
                    thin_film_bow, initial_bow)


def draw_bow(chart):
    """Draw a `BowChart` and return the matplotlib figure."""
    from matplotlib.figure import Figure

    figure = Figure(figsize=(7.0, 5.0), layout="constrained")
    ax = figure.subplots()
    ax.plot(chart.new_silica, chart.prediction.bow, linewidth=1.6,
            label="predicted (continue pass)")
    ax.plot(chart.new_silica, chart.thin_film_bow, "--", linewidth=1.0, color="grey",
            label="thin-film scaling (bow \N{PROPORTIONAL TO} silica / "
                  "silicon\N{SUPERSCRIPT TWO})")
    stalled = chart.unsettled()
    if stalled.any():
        ax.plot(chart.new_silica[stalled], np.asarray(chart.prediction.bow)[stalled], "x",
                color="red", label="continue pass did not settle")
    ax.plot(chart.silica, chart.bow, "o", color="black", markersize=7,
            label="first state: %g \N{MICRO SIGN}m bow, %g \N{MICRO SIGN}m silica on %g "
                  "\N{MICRO SIGN}m silicon" % (chart.bow, chart.silica, chart.silicon))
    ax.set_xlabel("New silica thickness (\N{MICRO SIGN}m)")
    ax.set_ylabel("Bow (\N{MICRO SIGN}m)")
    title = "Predicted bow on %g \N{MICRO SIGN}m of silicon" % chart.new_silicon
    if chart.initial_bow:
        title += ", bare wafer %g \N{MICRO SIGN}m" % chart.initial_bow
    if chart.moment:
        title += ", external moment %g N" % chart.moment
    ax.set_title(title, fontsize=10)
    ax.grid(True, linewidth=0.3)
    ax.legend(fontsize=8)
    return figure
