"""Ellipsometry of one transparent film on a substrate, seen from air.

The calculations of the console program ``ellcalc``, one function per menu mode, on numpy
arrays. Every value is computed by the program's own routines, in its single precision:
a result rendered with the field the program prints it in gives the program's digits.
Every function also takes ``precision="double"``: the same routines with every quantity
in double precision (arguments read as doubles, results float64 and complex128), for fits
and comparisons that need more than the program's seven digits.

Conventions, as in the program:

- wavelengths and thicknesses in nm, angles in degrees;
- complex refractive indices written n - ik (an absorbing substrate has a negative
  imaginary part), given and returned as Python complex numbers; a substrate index with a
  positive imaginary part (n + ik, the convention of other thin-film packages; beyond
  rounding, 1e-12 of its modulus) is computed as given, a medium with gain, with an
  :class:`thinfilm.IndexConventionWarning`;
- a substrate or a film may be named as a material of :mod:`thinfilm.optconst` ("Si",
  "SiO2", an alias such as "poly-Si", in any case): its index is computed by
  ``optconst.constants`` (no voids, no stress) at the wavelength of each point, in the
  call's precision; a film must be transparent there (a real index, as "SiO2");
- Delta is the argument of rp/rs, between -180 and 180 degrees;
- a negative thickness is replaced by itself plus one period;
- the defaults of the arguments are the program's initial values.

Every numeric argument broadcasts like a numpy ufunc; results are named tuples of numpy
arrays (single precision, or double with ``precision="double"``), or of plain Python
numbers when every argument is a scalar.
NaN and infinities go through as the program lets them through.

"""

import collections
import warnings

import numpy as np

from thinfilm import _args
from thinfilm import _calc
from thinfilm import _core
from thinfilm import _docs
from thinfilm import _labeled
from thinfilm import optconst
from thinfilm._errors import DiscriminantWarning, IndexConventionWarning
from thinfilm.material import Material

__doc__ = _docs.with_argument_rules(__doc__)

__all__ = [
    "psi_delta", "substrate_index", "thickness", "thickness_and_index", "reflection",
    "harmonics", "from_harmonics", "fit",
    "PsiDelta", "Thickness", "ThicknessAndIndex", "Reflection", "Harmonics", "FromHarmonics",
    "FilmFit",
    "stack", "Stack", "Material",
]

# The program's initial values.
WAVELENGTH = 632.8
ANGLE = 70.0
SUBSTRATE = 3.866 - 0.028j
FILM_INDEX = 1.5
THICKNESS = 100.0
PSI = 39.44
DELTA = 78.24
POLARISER = 90.0
RETARDANCE = 90.0
ROTATION = 0.0
ZERO = 0.0
ANALYSER = -45.0
H2 = 2.266
H2_PHASE = 92.776
H4 = 0.417
H4_PHASE = 45.034
# The fit's defaults: the thickest film sought (nm), the noise of Psi and Delta (degrees).
MAX_THICKNESS = 2000.0
SIGMA_PSI = 0.02
SIGMA_DELTA = 0.05
#: The range of the fitted film index.
INDEX_RANGE = (1.0, 3.0)


PsiDelta = _calc.result_type("PsiDelta", _core.ellcalc_psi_delta, __name__, """
    Psi and Delta of a film (degrees) and its thickness period (nm).""")


Thickness = _calc.result_type("Thickness", _core.ellcalc_thickness, __name__, """
    The film thickness found (nm, from 0 to one period, or in the order asked for), the
    period (nm), Psi and Delta of the model for the film found (degrees), its residual
    (degrees) and its order.""")


ThicknessAndIndex = _calc.result_type(
    "ThicknessAndIndex", _core.ellcalc_thickness_and_index, __name__, """
    The film index and thickness found (nm), the period (nm), Psi and Delta of the model
    for the film found (degrees), whether the index search converged, the film's residual
    (degrees) and its order.""")


Reflection = _calc.result_type("Reflection", _core.ellcalc_reflection, __name__, """
    Complex reflection coefficients rp, rs of the film stack, reflectances Rp = |rp|^2
    and Rs = |rs|^2, the thickness period (nm), Psi and Delta (degrees).""")


Harmonics = _calc.result_type("Harmonics", _core.ellcalc_harmonics, __name__, """
    Harmonics of the rotating-compensator ellipsometer: H0, the amplitudes h2, h4 and
    phases h2_phase, h4_phase (degrees) of the second and fourth harmonics, and Psi and
    Delta (degrees) computed back from them.""")


FromHarmonics = _calc.result_type(
    "FromHarmonics", _core.ellcalc_from_harmonics, __name__, """
    Everything mode 7 prints, named; see :func:`from_harmonics`.""")


# The parameters of the functions below, as their docstrings describe them.
_PARAMETERS = _docs.parameters("""
    wavelength : float or array_like
        Wavelength of the light, nm. Default 632.8.
    angle : float or array_like
        Angle of incidence, degrees. Default 70.
    substrate : complex, str or array_like
        Substrate index n - ik (an absorbing substrate has a negative imaginary part), or
        the name of an ``optconst`` material ("Si", ...), taken at the wavelength.
        Default 3.866 - 0.028j.
    film_index : float, str or array_like
        Film index (real; a complex one with zero imaginary parts counts as real), or the
        name of a transparent ``optconst`` material ("SiO2", ...). Default 1.5.
    thickness : float or array_like
        Film thickness, nm; a negative one counts as itself plus one period. Default 100.
    psi, delta : float or array_like
        Measured Psi and Delta, degrees. Defaults 39.44 and 78.24.
    near : float, array_like or None
        Thickness the film is expected near, nm: the thickness returned is then the one of
        the order (whole periods added to the folded thickness) closest to it, the nearest
        integer to (near - folded) / period, never below 0. None (default), or NaN at a
        point, gives the folded thickness there, order 0; so does a near below the folded
        thickness. An infinite near gives the largest order, 2**31 - 1.
    polariser : float or array_like
        Polariser azimuth, degrees. Default 90.
    retardance : float or array_like
        Retardance of the compensator Q ("Birefringence de Q"), degrees. Default 90.
    rotation : float or array_like
        Optical rotation of Q ("Pouvoir rotatoire de Q"), degrees. Default 0.
    zero : float or array_like
        Azimuth of Q at its zero mark ("Angle du top zero"), degrees. Default 0.
    analyser : float or array_like
        Analyser azimuth, degrees. Default -45.
    h2, h2_phase : float or array_like
        Measured amplitude and phase (degrees) of the second harmonic. Defaults 2.266 and
        92.776.
    h4, h4_phase : float or array_like
        Measured amplitude and phase (degrees) of the fourth harmonic. Defaults 0.417 and
        45.034.
    precision : {"single", "double"}
        ``"single"`` (default): the program's arithmetic, bit for bit. ``"double"``: the
        same routines with every quantity in double precision (results float64 and
        complex128).
""")


def _real_part(value, label=None):
    """A complex film index whose imaginary parts are all zero, as its real part; anything
    else as given, for the checks of the call (``label``: the material it was named as)."""
    if isinstance(value, (str, bytes, np.ma.MaskedArray)):
        return value
    try:
        complex_given = np.iscomplexobj(value)
    except (TypeError, ValueError):
        return value
    if not complex_given:
        return value
    a = _args.complex_("film_index", value)
    absorbing = a.imag != 0
    if not np.any(absorbing):
        return a.real
    if label is not None:
        raise TypeError(
            f"film_index {label!r} absorbs at this wavelength (index"
            f" {_args.shown(a[absorbing].flat[0])}): the film must be transparent"
        )
    return value


def _substrate(value, stacklevel, name="substrate"):
    """The index ``value`` of the medium ``name`` as a complex array, an index written
    n + ik warned of."""
    a = _args.complex_(name, value)
    # Beyond rounding: optconst's double-precision index of a transparent material may
    # carry an imaginary part of the order of 1e-19.
    gain = a.imag > 1e-12 * np.abs(a)
    if np.any(gain):
        at = np.flatnonzero(gain)[0]
        where = f" (flat index {at}; {np.count_nonzero(gain)} point(s))" if a.ndim else ""
        warnings.warn(
            IndexConventionWarning(
                f"{name} index {_args.shown(a.flat[at])}{where} has a positive imaginary"
                f" part: indices are written n - ik here (an absorbing {name} has a negative"
                " imaginary part); computed as given, as a medium with gain"
            ),
            stacklevel=stacklevel,
        )
    return a


def _index_of(value, wavelength, precision, computed=None):
    """An index given as a number or array, a material name or a :class:`Material`: the
    material's index at ``wavelength`` in ``precision`` (computed once per material in the
    dict ``computed``, when given), anything else as given."""
    if not isinstance(value, (str, Material)):
        return value
    material = Material(value) if isinstance(value, str) else value
    computed = {} if computed is None else computed
    if material not in computed:
        computed[material] = material.index(wavelength, precision)
    return computed[material]


def _indices(values, precision, stacklevel):
    """``values`` with the materials named in ``substrate`` and ``film_index`` replaced by
    their indices at ``values["wavelength"]`` (once per material and call, broadcast with
    the other arguments), a film index with no imaginary part made real, and a substrate
    written n + ik warned of, the warning pointing ``stacklevel`` frames up."""
    labels, indices = {}, {}
    for name in ("substrate", "film_index"):
        value = values.get(name)
        if isinstance(value, (str, Material)):
            material = value if isinstance(value, Material) else Material(value)
            labels[name] = material.label
            values[name] = _index_of(material, values["wavelength"], precision, indices)
    if "film_index" in values:
        values["film_index"] = _real_part(values["film_index"], labels.get("film_index"))
    if "substrate" in values:
        values["substrate"] = _substrate(values["substrate"], stacklevel + 1)
    return values


def _run(calc, cls, values, on_event=None):
    """``calc`` over the arguments of a function of this module (``values``: its locals),
    with the materials named in ``substrate`` and ``film_index`` replaced by their indices."""
    if _labeled.given(values):
        return _labeled.apply(_run, values, calc, cls, on_event=on_event)
    # The warnings point at the caller of the public function.
    _indices(values, _calc.checked_precision(values["precision"]), stacklevel=4)
    if values.get("near", np.nan) is None:
        values["near"] = np.nan
    return _calc.run(calc, cls, on_event=on_event, **values)


def _negative_discriminant(events, _named, _shape):
    return DiscriminantWarning(
        f"negative discriminant ({events['discriminant']:.7E} at flat index {events['first']};"
        f" {events['count']} point(s)): Psi and Delta kept at the given psi and delta there"
    )


# The fields the inversions add to what the program prints.
_INVERSION = _docs.filled(
    residual="""``residual``: how far the film found is from the measurement, the larger of
the model's |psi - measured Psi| and |delta - measured Delta| (the latter
taken into -180 to 180), degrees, in the call's precision; NaN where either is NaN.
Only a film of a small residual reproduces the measurement.""",
    order="""``order``: the whole periods added to the folded thickness (0 without
``near``).""",
)


@_docs.documented(_PARAMETERS)
def psi_delta(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE, film_index=FILM_INDEX,
              thickness=THICKNESS, precision="single"):
    """Psi and Delta of a film on a substrate (``ellcalc`` mode 1, "Psi et Delta").

    One non-absorbing film of index ``film_index`` and thickness ``thickness`` on a
    substrate of complex index ``substrate``, seen from air at the angle of incidence
    ``angle``. A negative thickness counts as itself plus one period.

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    PsiDelta
        ``psi`` and ``delta`` (degrees; Delta between -180 and 180) and ``period``, the
        thickness step (nm) that leaves them unchanged: what mode 1 prints after
        " Psi, Delta : " and " Periode : ".

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.psi_delta(thickness=100.0)
    >>> round(r.psi, 3), round(r.delta, 3), round(r.period, 2)
    (43.613, 75.973, 270.62)
    >>> import numpy as np
    >>> ellcalc.psi_delta(thickness=np.array([0.0, 100.0])).psi.round(3)
    array([10.457, 43.613], dtype=float32)
    >>> r = ellcalc.psi_delta(thickness=100.0, precision="double")
    >>> round(r.psi, 9), round(r.delta, 9)
    (43.61308141, 75.972744686)
    """
    return _run(_core.ellcalc_psi_delta, PsiDelta, locals())


@_docs.documented(_PARAMETERS)
def substrate_index(angle=ANGLE, psi=PSI, delta=DELTA, precision="single"):
    """Index of a bare substrate from Psi and Delta (``ellcalc`` mode 2).

    The exact inverse of the film-free reflection model: the substrate index n - ik that
    gives ``psi`` and ``delta`` at the angle of incidence ``angle``. (Mode 2 also asks
    for the wavelength, which takes no part.)

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    complex or numpy.ndarray of complex64
        The substrate index n - ik (real part not negative), what mode 2 prints after
        " Indice du substrat : ".

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> n = ellcalc.substrate_index()
    >>> round(n.real, 5), round(n.imag, 5)
    (0.46301, -1.85226)
    """
    return _run(_core.ellcalc_substrate_index, None, locals())


@_INVERSION
@_docs.documented(_PARAMETERS)
def thickness(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE, film_index=FILM_INDEX,
              psi=PSI, delta=DELTA, near=None, precision="single"):
    """Film thickness at a known film index, from Psi and Delta (``ellcalc`` mode 3).

    The thickness of a film of index ``film_index`` that matches the measured Psi and
    Delta, folded into one period, and Psi and Delta that the model gives for it (they
    differ from the measured ones as far as the index does not fit the measurement).
    ``residual`` tells how far: a film whose residual is not small does not reproduce the
    measurement, whatever its thickness.

    The thickness comes from one of two roots of a quadratic. In single precision it is
    the root the program takes (the one of smaller modulus), which on substrates with
    |N| below about 1.2 can be the root whose film does not give back Psi and Delta. In
    double precision the root whose film reproduces Psi and Delta is taken.

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    Thickness
        ``thickness`` (nm, from 0 to one period, or in the order nearest ``near``),
        ``period`` (nm), and the model's ``psi`` and ``delta`` (degrees): what mode 3
        prints after " Epaisseur : ", " Periode : " and " Psi, Delta apres : ";
        %(residual)s
        %(order)s

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.thickness(psi=39.44, delta=78.24)
    >>> round(r.thickness, 3), round(r.psi, 3), round(r.delta, 3)
    (92.872, 39.384, 76.285)

    A native oxide on silicon, the indices of both from ``optconst``, in double precision:

    >>> m = ellcalc.psi_delta(substrate="Si", film_index="SiO2", thickness=2.0,
    ...                       precision="double")
    >>> r = ellcalc.thickness(substrate="Si", film_index="SiO2", psi=m.psi, delta=m.delta,
    ...                       precision="double")
    >>> round(r.thickness, 9)
    2.0

    A thick film, seen at one angle: its thickness in the order nearest an expected
    1000 nm, and the measurements the film's index does not explain left out:

    >>> m = ellcalc.psi_delta(thickness=1012.5, precision="double")
    >>> r = ellcalc.thickness(psi=[m.psi, 80.0], delta=[m.delta, 10.0], near=1000.0,
    ...                       precision="double")
    >>> r.residual.round(6), r.order
    (array([ 0.      , 17.661021]), array([3, 3], dtype=int32))
    >>> r.thickness[r.residual < 0.05].round(6)
    array([1012.5])
    """
    return _run(_core.ellcalc_thickness, Thickness, locals())


@_INVERSION
@_docs.documented(_PARAMETERS, """
    film_index : float, str or array_like
        Start of the index search (or the name of a transparent ``optconst`` material).
        Default 1.5.
""")
def thickness_and_index(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE,
                        film_index=FILM_INDEX, psi=PSI, delta=DELTA, near=None,
                        precision="single"):
    """Film thickness and index together, from Psi and Delta (``ellcalc`` mode 4).

    A Newton search of the film index (at most 15 passes, from ``film_index``; 60 in
    double precision, to a relative step of 1e-12) and the thickness that reproduce the
    measured Psi and Delta. When the search does not settle
    (the program then writes " Conv. lente ! "), ``converged`` is False and the film is
    the one of the last pass, as the program prints it. A search can also settle on a
    film that does not reproduce Psi and Delta: ``residual`` tells.

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    ThicknessAndIndex
        ``film_index``, ``thickness`` (nm; in the order nearest ``near``), ``period``
        (nm), the model's ``psi`` and ``delta`` (degrees) for the film found
        and ``converged`` (bool);
        %(residual)s
        %(order)s

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.thickness_and_index(film_index=1.5, psi=39.44, delta=78.24)
    >>> round(r.film_index, 5), round(r.thickness, 3), round(r.period, 2), r.converged
    (1.47352, 95.274, 278.77, True)
    >>> r.residual < 0.05
    True

    A search that settles far from the measurement:

    >>> r = ellcalc.thickness_and_index(psi=10.189066, delta=2.990989)
    >>> r.converged, round(r.residual, 2)
    (True, 34.81)
    """
    return _run(_core.ellcalc_thickness_and_index, ThicknessAndIndex, locals())


@_docs.documented(_PARAMETERS)
def reflection(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE, film_index=FILM_INDEX,
               thickness=THICKNESS, precision="single"):
    """Reflection coefficients and reflectances of a film stack (``ellcalc`` mode 5).

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    Reflection
        ``rp``, ``rs`` (complex), ``Rp`` = |rp|^2, ``Rs`` = |rs|^2, ``period`` (nm),
        ``psi`` and ``delta`` (degrees): what mode 5 prints.

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.reflection()
    >>> round(r.Rp, 5), round(r.Rs, 5), round(r.rp.real, 5), round(r.rs.imag, 5)
    (0.23832, 0.26256, -0.43614, 0.38833)
    """
    return _run(_core.ellcalc_reflection, Reflection, locals())


@_docs.documented(_PARAMETERS)
def harmonics(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE, film_index=FILM_INDEX,
              thickness=THICKNESS, polariser=POLARISER, retardance=RETARDANCE,
              rotation=ROTATION, zero=ZERO, analyser=ANALYSER, precision="single"):
    """Harmonics of a rotating-compensator ellipsometer for a film (``ellcalc`` mode 6).

    The instrument: a fixed polariser, a compensator Q turning about the beam, the sample
    and a fixed analyser. The detected intensity is H0 + H2C cos 2t + H2S sin 2t +
    H4C cos 4t + H4S sin 4t over the rotation t of Q counted from its zero mark; the
    harmonics are proportional to the sample's s-reflectance. Psi and Delta are then
    computed back from the harmonics (the program's " Psi, Delta apres : ").

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    Harmonics
        ``h0``, ``h2`` and ``h2_phase``, ``h4`` and ``h4_phase`` (phases in degrees,
        -180 to 180), and ``psi``, ``delta`` (degrees) computed back from them.

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.harmonics()
    >>> round(r.h0, 4), round(r.h2, 4), round(r.h4, 5), round(r.h4_phase, 2)
    (0.2565, 0.2427, 0.03092, 78.7)
    >>> round(r.psi, 3), round(r.delta, 3)
    (43.613, 75.973)
    """
    return _run(_core.ellcalc_harmonics, Harmonics, locals())


@_INVERSION
@_docs.documented(_PARAMETERS, """
    film_index : float, str or array_like
        Index of the film whose thickness is sought (or the name of a transparent
        ``optconst`` material). Default 1.5.
    psi, delta : float or array_like
        Psi and Delta kept where the discriminant is negative, degrees. Defaults 39.44 and
        78.24 (the program's initial values).
""")
def from_harmonics(wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE,
                   polariser=POLARISER, retardance=RETARDANCE, rotation=ROTATION, zero=ZERO,
                   analyser=ANALYSER, h2=H2, h2_phase=H2_PHASE, h4=H4, h4_phase=H4_PHASE,
                   film_index=FILM_INDEX, psi=PSI, delta=DELTA, precision="single"):
    """Psi and Delta from measured harmonics, and the film they give (``ellcalc`` mode 7).

    Psi and Delta are found from the amplitudes and phases of the second and fourth
    harmonics alone (no absolute scale is needed; H0 takes no part), then the thickness
    of a film of index ``film_index`` that matches them (as :func:`thickness`), and the
    reflection and harmonics of that film.

    When the quadratic of the inversion has a negative discriminant (the program writes
    " Discriminant negatif: "), Psi and Delta are not found: the program keeps its
    previous values, here ``psi`` and ``delta``, and a :class:`thinfilm.DiscriminantWarning`
    is issued; ``discriminant`` holds the value.

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    FromHarmonics
        ``psi``, ``delta``: from the harmonics (" Psi, Delta avant : ");
        ``model_psi``, ``model_delta``: of the film found (" Psi, Delta apres : ");
        ``film_index``, ``thickness`` (nm), ``period`` (nm) of the film found;
        ``rp``, ``rs``, ``Rp``, ``Rs``: its reflection;
        ``h0``, ``h2_cos``, ``h2_sin``, ``h2``, ``h2_phase``, ``h4_cos``, ``h4_sin``,
        ``h4``, ``h4_phase``: its harmonics (" H0 : ", " H2 C, S, A, P :",
        " H4 C, S, A, P :"), in the scale of its own s-reflectance;
        ``discriminant``: of the inversion's quadratic;
        %(residual)s
        Here the measurement is ``psi`` and ``delta``, from the harmonics.

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.from_harmonics()
    >>> round(r.psi, 2), round(r.delta, 2), round(r.discriminant, 2)
    (37.94, 75.4, 16.78)
    """
    return _run(_core.ellcalc_from_harmonics, FromHarmonics, locals(), _negative_discriminant)


Stack = collections.namedtuple("Stack", ("rp", "rs", "Rp", "Rs", "psi", "delta"),
                               module=__name__)
Stack.__doc__ = """The reflection of a stack of layers; see :func:`stack`."""


def _layers(layers, wavelength, stacklevel):
    """The layers of :func:`stack` as two arrays, index and thickness, each with a last
    dimension of layers (from the ambient side down)."""
    if isinstance(layers, (str, bytes, Material)):
        raise TypeError("layers must be a sequence of (index, thickness) pairs")
    try:
        pairs = [tuple(layer) for layer in layers]
    except TypeError:
        raise TypeError("layers must be a sequence of (index, thickness) pairs") from None
    if any(len(pair) != 2 for pair in pairs):
        raise TypeError("layers must be a sequence of (index, thickness) pairs")
    computed, indices, thicknesses = {}, [], []
    for number, (index, thickness) in enumerate(pairs, 1):
        name = f"layer {number}"
        index = _index_of(index, wavelength, "double", computed)
        indices.append(_substrate(index, stacklevel + 1, name))
        thickness = _args.real(f"{name} thickness", thickness)
        if np.any(thickness < 0):
            raise ValueError(f"{name} thickness must not be negative, not"
                             f" {_args.shown(thickness[thickness < 0].flat[0])}")
        thicknesses.append(thickness)

    def stacked(arrays, dtype):
        if not arrays:
            return np.zeros((0,), dtype)
        shape = np.broadcast_shapes(*(a.shape for a in arrays))
        return np.stack([np.broadcast_to(a, shape) for a in arrays], axis=-1)

    return stacked(indices, np.complex128), stacked(thicknesses, np.float64)


@_docs.documented(_PARAMETERS, """
    layers : sequence of (index, thickness)
        The layers from the ambient side down to the substrate. Each index a complex
        n - ik (an absorbing layer has a negative imaginary part), a real number, the name
        of an ``optconst`` material or a :class:`Material`, taken at the wavelength; each
        thickness in nm, not negative. An empty sequence is the bare substrate.
    substrate : complex, str, Material or array_like
        Substrate index n - ik, or an ``optconst`` material (a name or a
        :class:`Material`), taken at the wavelength. Default 3.866 - 0.028j.
""")
def stack(layers, substrate=SUBSTRATE, wavelength=WAVELENGTH, angle=ANGLE):
    """Reflection of a stack of layers on a substrate, seen from air, in double precision.

    The single-film model generalised: any number of layers, absorbing or not, on a
    semi-infinite substrate. A layer of zero thickness changes nothing; a layer whose index
    is below the sine of the angle carries an evanescent wave and counts as much as any
    other. With one transparent layer it is :func:`psi_delta` in double precision. Each
    index and thickness of the layers broadcasts with the other arguments like a numpy
    ufunc; a substrate or a layer index written n + ik is computed as given, with an
    :class:`thinfilm.IndexConventionWarning`.

    Parameters
    ----------
    %(parameters)s

    Returns
    -------
    Stack
        ``rp``, ``rs`` (complex, the sign conventions of :func:`reflection`),
        ``Rp`` = |rp|^2, ``Rs`` = |rs|^2, ``psi`` and ``delta`` (degrees; Delta between
        -180 and 180). float64 and complex128 arrays, or plain numbers when every argument
        is a scalar.

    Examples
    --------
    >>> from thinfilm import ellcalc
    >>> r = ellcalc.stack([(1.5, 100.0)])
    >>> round(r.psi, 9), round(r.delta, 9)
    (43.61308141, 75.972744686)

    A nitride on a 2 nm native oxide on silicon, over a few wavelengths:

    >>> r = ellcalc.stack([("Si3N4", 150.0), ("SiO2", 2.0)], substrate="Si",
    ...                   wavelength=[450.0, 550.0, 650.0])
    >>> r.psi.round(3), r.delta.round(3)
    (array([25.132, 12.012, 16.158]), array([  85.629,  178.808, -102.409]))

    Broadcasting: the oxide's thickness along one axis, the wavelengths along another:

    >>> r = ellcalc.stack([("SiO2", [[0.0], [2.0]])], substrate="Si",
    ...                   wavelength=[450.0, 550.0, 650.0])
    >>> r.psi.shape
    (2, 3)
    """
    if _labeled.given(locals()):
        return _labeled.apply(_labeled.keywords, locals(), stack)
    light = _args.real("wavelength", wavelength)
    named = {
        "wavelength": light,
        "angle": _args.real("angle", angle),
        "substrate": _indices({"wavelength": wavelength, "substrate": substrate}, "double",
                              stacklevel=3)["substrate"],
    }
    index, thickness = _layers(layers, wavelength, stacklevel=3)
    shape = np.broadcast_shapes(_args.shape(named), index.shape[:-1], thickness.shape[:-1])
    out = _core.ellcalc_stack_double(shape, _args.threads(), layer_index=index,
                                     layer_thickness=thickness, **named)
    if _args.all_scalar(named) and index.ndim == thickness.ndim == 1:
        out = {name: _args.plain(a) for name, a in out.items()}
    return Stack(**out)


FilmFit = collections.namedtuple(
    "FilmFit",
    ("thickness", "film_index", "sigma_thickness", "sigma_index", "chi2", "residual",
     "ambiguous", "converged"),
    module=__name__,
)
FilmFit.__doc__ = """The film fitted to the measurements of each site; see :func:`fit`."""


def _positive(name, value):
    a = _args.real(name, value)
    if not np.all(np.asarray(a, dtype=np.float64) > 0) or not np.all(np.isfinite(a)):
        raise ValueError(f"{name} must be positive and finite")
    return a


def _fit_index_of(value, wavelength, name="index"):
    """The index of a film or known layer of :func:`fit`, complex n - ik: a number, or a
    material taken at each wavelength in double precision."""
    return _args.complex_(name, _index_of(value, wavelength, "double"))


def _under(layers, wavelength):
    """The known layers of :func:`fit` as two arrays, index and thickness, with a last
    dimension of layers (the film's side first)."""
    if layers is None:
        layers = ()
    if isinstance(layers, (str, bytes)) or not all(
            isinstance(layer, (tuple, list)) and len(layer) == 2 for layer in layers):
        raise TypeError("under must be a sequence of (index, thickness) pairs")
    if not layers:
        return np.zeros((0,), np.complex128), np.zeros((0,), np.float64)
    indices = [_fit_index_of(index, wavelength) for index, _ in layers]
    thicknesses = [_args.real("thickness", t) for _, t in layers]
    if not all(np.all(np.asarray(t) >= 0) for t in thicknesses):
        raise ValueError("the thicknesses of the known layers must not be negative")
    shape = np.broadcast_shapes(*(np.shape(a) for a in indices + thicknesses))
    return (np.stack([np.broadcast_to(a, shape) for a in indices], axis=-1),
            np.stack([np.broadcast_to(np.asarray(a, np.float64), shape) for a in thicknesses], axis=-1))


def fit(psi, delta, *, wavelength=WAVELENGTH, angle=ANGLE, substrate=SUBSTRATE,
        film_index=FILM_INDEX, fit_index=False, max_thickness=MAX_THICKNESS,
        sigma_psi=SIGMA_PSI, sigma_delta=SIGMA_DELTA, axis=-1, under=None):
    """The film of each site fitted to several measurements at once, with its uncertainty.

    The measurements of a site (any number of angles and/or wavelengths) lie along ``axis``
    of the arguments broadcast together; the other axes are sites. The fit is a weighted
    least squares in double precision: it minimises chi2, the sum over the site's
    measurements of ((Psi_model - psi) / sigma_psi)^2 + (Delta difference / sigma_delta)^2,
    the Delta difference taken into -180 to 180. It is global: every thickness from 0 to
    ``max_thickness`` is considered (the thickness each measurement gives alone, in every
    order, are the candidates; the best few are refined by Levenberg-Marquardt), so the
    film found does not depend on a guess.

    The film may lie on known layers (``under``) and may absorb (a material such as
    amorphous silicon): its model is then the stack of :func:`stack`, and the candidates
    are a scan of the thicknesses in steps of a 64th of the film's shortest period.

    Parameters
    ----------
    psi, delta : array_like
        Measured Psi and Delta, degrees; the measurements of a site along ``axis``.
    wavelength : float or array_like
        Wavelength, nm. Default 632.8.
    angle : float or array_like
        Angle of incidence, degrees. Default 70.
    substrate : complex, str or array_like
        Substrate index n - ik, or the name of an ``optconst`` material, taken at each
        wavelength. Default 3.866 - 0.028j.
    film_index : float, complex, str, Material or array_like
        Film index n - ik; with ``fit_index`` the start of the search, the site's first
        measurement's. The name of an ``optconst`` material gives the film its dispersion
        (its index at each wavelength), which is not fitted: ``fit_index`` applies to a
        numeric index only (ValueError otherwise). Default 1.5.
    fit_index : bool
        Fit one film index for all the site's measurements too, within 1 to 3
        (:data:`INDEX_RANGE`); of an absorbing film, the real part, its extinction kept.
        Default False: the index is known.
    max_thickness : float
        The thickest film considered, nm (positive). Default 2000.
    sigma_psi, sigma_delta : float or array_like
        Standard deviations of the measured Psi and Delta, degrees (positive); they weigh
        the measurements. Defaults 0.02 and 0.05.
    axis : int
        The axis of the measurements, counted in the arguments broadcast together.
        Default -1.
    under : sequence of (index, thickness), optional
        Known layers beneath the film, from the film down to the substrate: each index a
        number n - ik, an ``optconst`` material name or a :class:`Material` (taken at each
        wavelength), each thickness in nm; both broadcast with the measurements. Default:
        none.

    Returns
    -------
    FilmFit
        ``thickness`` (nm) and ``film_index`` (fitted, or the given one) of the best film;
        ``sigma_thickness`` and ``sigma_index`` (NaN when the index is not fitted), their
        standard deviations from the covariance (J^T W J)^-1 of the fit at the optimum,
        not scaled by chi2 (they reflect the sigmas given); ``chi2``; ``residual``, the
        largest over the site of the residual of :func:`thickness` (degrees);
        ``ambiguous``, True when another minimum, more than a tenth of the shortest
        period away, has a chi2 within 1 + (free parameters) of the best: the
        measurements do not tell the two films apart (a single measurement with a
        ``max_thickness`` beyond one period always is); ``converged``, whether the
        refinement settled. Arrays over the sites, or plain values for one site. NaN
        measurements give NaN, ``converged`` False.

    Examples
    --------
    >>> import numpy as np
    >>> from thinfilm import ellcalc
    >>> angles = np.array([60.0, 65.0, 70.0])
    >>> m = ellcalc.psi_delta(angle=angles, thickness=1234.5, precision="double")
    >>> r = ellcalc.fit(m.psi, m.delta, angle=angles)
    >>> round(r.thickness, 6), r.ambiguous, r.converged
    (1234.5, False, True)
    >>> r = ellcalc.fit(m.psi, m.delta, angle=angles, fit_index=True)
    >>> round(r.thickness, 4), round(r.film_index, 6), r.sigma_index < 1e-3
    (1234.5, 1.5, True)

    One angle cannot tell the orders apart:

    >>> ellcalc.fit(m.psi[2:], m.delta[2:]).ambiguous
    True

    A nitride on a 2 nm oxide, the oxide known:

    >>> under = [(1.457, 2.0)]
    >>> m = ellcalc.stack([(2.0, 150.0)] + under, angle=angles)
    >>> r = ellcalc.fit(m.psi, m.delta, angle=angles, film_index=2.0, under=under)
    >>> round(r.thickness, 6), r.converged
    (150.0, True)
    """
    if _labeled.given(locals()):
        return _labeled.apply(_labeled.keywords, locals(), fit, core="axis")
    if not isinstance(fit_index, (bool, np.bool_)):
        raise TypeError("fit_index must be True or False")
    if isinstance(film_index, (str, Material)) and fit_index:
        raise ValueError("fit_index applies to a numeric film_index, not to a material")
    limit = _args.real("max_thickness", max_thickness)
    if limit.ndim or not (np.isfinite(limit) and limit > 0):
        raise ValueError("max_thickness must be one positive finite number")
    if isinstance(axis, (bool, np.bool_)) or not isinstance(axis, (int, np.integer)):
        raise TypeError("axis must be an integer")
    values = _indices({"wavelength": wavelength, "substrate": substrate}, "double", stacklevel=3)
    film = _fit_index_of(film_index, wavelength, "film_index")
    if np.any(film.imag > 0):
        raise ValueError("film_index has a positive imaginary part: indices are n - ik here")
    under_index, under_thickness = _under(under, wavelength)
    named = {
        "wavelength": _args.real("wavelength", wavelength),
        "angle": _args.real("angle", angle),
        "substrate": values["substrate"],
        "film_index": film,
        "psi": _args.real("psi", psi),
        "delta": _args.real("delta", delta),
        "sigma_psi": _positive("sigma_psi", sigma_psi),
        "sigma_delta": _positive("sigma_delta", sigma_delta),
    }
    shape = np.broadcast_shapes(_args.shape(named), under_index.shape[:-1],
                                under_thickness.shape[:-1])
    ndim = len(shape)
    if not -ndim <= axis < ndim:
        raise ValueError(f"axis {axis} is out of range for {ndim} dimension(s)")
    axis %= ndim
    # Views: each argument given every dimension, the measurements' moved last (the
    # layers' dimension after them).
    moved = {name: np.moveaxis(a[(None,) * (ndim - a.ndim)], axis, -1)
             for name, a in named.items()}
    for name, a in (("under_index", under_index), ("under_thickness", under_thickness)):
        moved[name] = np.moveaxis(a[(None,) * (ndim + 1 - a.ndim)], axis, -2)
    out = _core.ellcalc_fit(shape[:axis] + shape[axis + 1:] + shape[axis:axis + 1],
                            _args.threads(), fit_index=bool(fit_index),
                            max_thickness=float(limit), **moved)
    if ndim == 1:
        out = {name: _args.plain(a) for name, a in out.items()}
    return FilmFit(**out)
