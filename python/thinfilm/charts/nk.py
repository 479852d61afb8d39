"""Spectra of n and k (and of the dielectric function) of the optconst materials."""

import numpy as np

from .table import Table

# English names shown for the menu labels that are not chemical formulas.
ENGLISH = {"vide": "vacuum", "Si-a": "amorphous Si", "Si polycristallin": "polycrystalline Si",
           "Si poreux": "porous Si"}
SILICA = "SiO2"


def material_argument(name):
    """Return the menu label of a menu number ("3") or of a material name.

    A name is read by :func:`thinfilm.optconst.material_label` (a menu label or an alias,
    in any case), whose ValueError any other name raises.

    Examples
    --------
    >>> material_argument("poly-Si"), material_argument("3"), material_argument("al")
    ('Si polycristallin', 'SiO2', 'Al')
    """
    from thinfilm.optconst import MATERIALS, material_label

    if name.isdigit() and int(name) in MATERIALS:
        return MATERIALS[int(name)]
    return material_label(name)


class Spectrum:
    """n, k and epsilon of one material (one polarisation of silica) over the axis.

    Attributes
    ----------
    material : str
        The menu label.
    polarisation : int
        1 or 2 for stressed silica (polarised normal to the layer, in the
        layer's plane), 0 for everything else.
    index, epsilon : numpy.ndarray of complex
        N = n - ik and epsilon = eps1 - i eps2, as optconst prints them (k
        and eps2 negative for an absorbing material).
    """

    def __init__(self, material, polarisation, index, epsilon):
        self.material, self.polarisation = material, polarisation
        self.index, self.epsilon = index, epsilon

    @property
    def label(self):
        """The name shown in the legend."""
        name = ENGLISH.get(self.material, self.material)
        if self.polarisation == 1:
            name += ", polarised normal to the layer"
        elif self.polarisation == 2:
            name += ", polarised in the layer plane"
        return name


class NkChart:
    """Everything the n, k chart draws; see `nk_data`."""

    def __init__(self, axis, values, spectra, settings):
        self.axis, self.values, self.spectra, self.settings = axis, values, spectra, settings

    def table(self):
        """One row per material (and polarisation) and point of the axis."""
        tables = []
        for s in self.spectra:
            count = len(self.values)
            tables.append(Table([
                ("material", [s.material] * count),
                ("polarisation", [s.polarisation] * count),
                (self.axis, self.values),
                ("n", s.index.real), ("k", s.index.imag),
                ("eps1", s.epsilon.real), ("eps2", s.epsilon.imag)]))
        return Table.concatenate(tables)


def nk_data(materials, start, stop, points=351, energy=False, voids=0.0, x=0.0,
            si_c_rate=0.0, stress=0.0):
    """Compute n, k and epsilon of materials over a range of wavelength or energy.

    Parameters
    ----------
    materials : sequence of str
        Menu labels (see `material_argument`).
    start, stop : float
        The range: wavelength in nm, or photon energy in eV with `energy`.
    points : int
        Number of points, evenly spaced, ends included.
    energy : bool
        The range is in eV.
    voids, x, si_c_rate, stress : float
        The void fraction, the oxygen content of SiOx, the Si-c rate of the
        mixtures and the in-plane stress of silica (MPa), as in optconst.

    Returns
    -------
    NkChart
        One spectrum per material; silica under a stress other than 0 gives
        two, one per polarisation.

    Examples
    --------
    >>> chart = nk_data(["Si"], 632.8, 700.0, points=2)
    >>> n = chart.spectra[0].index[0]
    >>> print("%.5f %.5f" % (n.real, n.imag))
    3.88092 -0.01946
    """
    from thinfilm import optconst

    axis = "energy" if energy else "wavelength"
    values = np.linspace(start, stop, points)
    spectra = []
    for material in materials:
        r = optconst.constants(material, voids=voids, x=x, si_c_rate=si_c_rate, stress=stress,
                               **{axis: values})
        if material == SILICA and stress != 0:
            spectra.append(Spectrum(material, 1, np.asarray(r.index), np.asarray(r.epsilon)))
            spectra.append(Spectrum(material, 2, np.asarray(r.index_2),
                                    np.asarray(r.epsilon_2)))
        else:
            spectra.append(Spectrum(material, 0, np.asarray(r.index), np.asarray(r.epsilon)))
    settings = dict(voids=voids, x=x, si_c_rate=si_c_rate, stress=stress)
    return NkChart(axis, values, spectra, settings)


def _subtitle(chart):
    from thinfilm.optconst import ASKS_SI_C_RATE, ASKS_VOIDS

    names = {s.material for s in chart.spectra}
    parts = []
    porous = list(dict.fromkeys(ENGLISH.get(s.material, s.material) for s in chart.spectra
                                if s.material in ASKS_VOIDS.values()))
    if chart.settings["voids"] and porous:
        parts.append("void fraction %g in %s" % (chart.settings["voids"], ", ".join(porous)))
    if "SiOx" in names:
        parts.append("SiOx x = %g" % chart.settings["x"])
    if names & set(ASKS_SI_C_RATE.values()):
        parts.append("Si-c rate %g" % chart.settings["si_c_rate"])
    if SILICA in names and chart.settings["stress"]:
        parts.append("SiO2 stress %g MPa" % chart.settings["stress"])
    return ", ".join(parts)


def draw_nk(chart, epsilon=False):
    """Draw an `NkChart` (with `epsilon`, also eps1 and eps2) and return the figure."""
    from matplotlib.figure import Figure

    rows = 2 if epsilon else 1
    figure = Figure(figsize=(10.0, 3.6 * rows + 0.6), layout="constrained")
    axes = figure.subplots(rows, 2, sharex=True, squeeze=False).ravel()
    panels = [("n", lambda s: s.index.real), ("k  (N = n \N{MINUS SIGN} ik)",
                                              lambda s: s.index.imag)]
    if epsilon:
        panels += [("\N{GREEK SMALL LETTER EPSILON}1", lambda s: s.epsilon.real),
                   ("\N{GREEK SMALL LETTER EPSILON}2  (\N{GREEK SMALL LETTER EPSILON} = "
                    "\N{GREEK SMALL LETTER EPSILON}1 \N{MINUS SIGN} i"
                    "\N{GREEK SMALL LETTER EPSILON}2)", lambda s: s.epsilon.imag)]
    colours = {}
    for ax, (label, part) in zip(axes, panels):
        for s in chart.spectra:
            colour = colours.setdefault(s.material, "C%d" % len(colours))
            ax.plot(chart.values, part(s), color=colour, linewidth=1.3,
                    linestyle="--" if s.polarisation == 2 else "-", label=s.label)
        ax.set_ylabel(label)
        ax.grid(True, linewidth=0.3)
    for ax in axes[-2:]:
        ax.set_xlabel("Photon energy (eV)" if chart.axis == "energy" else "Wavelength (nm)")
    axes[0].legend(fontsize=8)
    title = "Optical constants"
    subtitle = _subtitle(chart)
    if subtitle:
        title += " (%s)" % subtitle
    figure.suptitle(title, fontsize=11)
    return figure
