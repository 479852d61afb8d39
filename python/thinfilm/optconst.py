"""Dielectric function and complex index of silicon-technology materials.

The calculation of the console program ``optconst`` on numpy arrays, by the program's own
routines in its single precision: a result rendered with the field the program prints it
in gives the program's digits. With ``precision="double"`` the same routines run with
every quantity in double precision (results complex128).

Sign conventions, as in the program: the dielectric function is eps1 - i eps2 and the
complex index n - ik, so an absorbing material has negative imaginary parts; both are
returned as Python complex numbers. The wavelength is in nm, the photon energy in eV
(hc = 1239.854 nm eV, ``HC``).

Every numeric argument broadcasts like a numpy ufunc; results are named tuples of numpy
arrays (complex64, or complex128 in double precision), or of plain Python complex numbers
when every argument is a scalar.

Materials are named by their menu label (any case) or by an alias (``ALIASES``); the
functions of :mod:`thinfilm.ellcalc` take these names for a substrate or a film too.

"""

import numpy as np

from thinfilm import _args
from thinfilm import _calc
from thinfilm import _core
from thinfilm import _docs
from thinfilm import _labeled
from thinfilm._errors import StressFitError

__doc__ = _docs.with_argument_rules(__doc__)

__all__ = [
    "constants",
    "material_label",
    "Constants",
    "MATERIALS",
    "ALIASES",
    "ASKS_VOIDS",
    "ASKS_SI_C_RATE",
    "HC",
]

#: The menu of the program: number -> label.
MATERIALS = {
    1: "vide",
    2: "Si",
    3: "SiO2",
    4: "Si-a",
    5: "SiOx",
    6: "Al",
    7: "Si3N4",
    8: "Si polycristallin",
    9: "Si poreux",
}
#: Names accepted beside the menu labels: alias -> label.
ALIASES = {
    "vacuum": "vide",
    "a-Si": "Si-a",
    "poly-Si": "Si polycristallin",
    "porous-Si": "Si poreux",
}
_NUMBERS = {label.lower(): number for number, label in MATERIALS.items()}
_NUMBERS.update((alias.lower(), _NUMBERS[label.lower()]) for alias, label in ALIASES.items())

#: The materials (number -> label) the program asks a void fraction ("Compacite") of.
ASKS_VOIDS = {n: MATERIALS[n] for n in (3, 4, 5, 7, 8, 9)}
#: The materials (number -> label) the program asks a Si-c rate of.
ASKS_SI_C_RATE = {n: MATERIALS[n] for n in (7, 8, 9)}

#: hc of the conversions between wavelength and photon energy, nm eV.
HC = _core.optconst_hc

Constants = _calc.result_type("Constants", _core.optconst_constants, __name__, """
    Dielectric function and complex index of a material.

    ``epsilon`` (eps1 - i eps2) and ``index`` (n - ik); ``epsilon_2`` and ``index_2`` are
    those of the second polarisation of stressed silica (light polarised in the plane of
    the layer; the first is normal to it), the same as the first for the other materials.
    """)


_MENU = "a menu number (1 to 9), a menu label, or an array of menu numbers"


def material_label(name):
    """The menu label of the material named ``name``: a menu label or an alias (``ALIASES``),
    in any case, spaces around it ignored.

    Raises
    ------
    ValueError
        For any other name.

    Examples
    --------
    >>> from thinfilm import optconst
    >>> optconst.material_label("si3n4"), optconst.material_label("Poly-Si")
    ('Si3N4', 'Si polycristallin')
    """
    number = _NUMBERS.get(name.strip().lower())
    if number is None:
        known = ", ".join(repr(label) for label in MATERIALS.values())
        aliases = ", ".join(repr(alias) for alias in ALIASES)
        raise ValueError(f"unknown material {name!r}; the materials are {known} (or {aliases})")
    return MATERIALS[number]


def _material_number(material):
    if isinstance(material, str):
        try:
            label = material_label(material)
        except ValueError as e:
            raise ValueError(f"{e}, or 1 to 9") from None
        return np.asarray(_NUMBERS[label.lower()], dtype=np.int64)
    # Checked as given: a whole number out of the menu is named before any conversion.
    given = _args.integer("material", material, _MENU)
    outside = np.asarray((given < 1) | (given > 9), dtype=bool)
    if outside.any():
        bad = _args.shown(given[outside].flat[0])
        raise ValueError(f"unknown material {bad}; the menu numbers are 1 to 9")
    return given.astype(np.int64)


def _check_fractions(named, shape):
    # Each point as the program asks it: only its material's questions are checked.
    voids, rate = named["voids"], named["si_c_rate"]
    _check_range(named, shape, ASKS_VOIDS, "voids", voids > 1, "be at most 1 (a fraction)")
    _check_range(
        named, shape, ASKS_SI_C_RATE, "si_c_rate", (rate > 1) | (rate < 0), "lie between 0 and 1"
    )


def _stress_fit_failed(events, named, shape):
    # The stress as given (the fit took it in the call's precision).
    raise StressFitError(float(np.broadcast_to(named["stress"], shape).flat[events["first"]]))


def _check_range(named, shape, asks, name, bad, rule):
    """Refuses the first point (in C order) whose material asks for the argument ``name``
    and whose value is ``bad`` (a boolean array of the argument's shape)."""
    if not bad.any():
        return
    refused = np.isin(np.broadcast_to(named["material"], shape), list(asks)) & bad
    if refused.any():
        at = np.flatnonzero(refused)[0]
        value = _args.shown(np.broadcast_to(named[name], shape).flat[at])
        material = np.broadcast_to(named["material"], shape).flat[at]
        where = f" (flat index {at})" if shape else ""
        raise ValueError(f"{name} must {rule}, not {value}, for material {material}{where}")


def constants(
    material,
    wavelength=None,
    energy=None,
    voids=0.0,
    x=0.0,
    si_c_rate=0.0,
    stress=0.0,
    precision="single",
):
    """Dielectric function and complex index of a material (``optconst``).

    Parameters
    ----------
    material : int, str or array_like of int
        The program's menu number or label: 1 "vide", 2 "Si" (crystalline silicon),
        3 "SiO2" (silica under stress, with voids), 4 "Si-a" (amorphous silicon, with
        voids), 5 "SiOx" (sub-oxide), 6 "Al", 7 "Si3N4" (nitride with voids, mixed with
        silica), 8 "Si polycristallin" (amorphous silicon with voids, mixed with
        crystalline silicon), 9 "Si poreux" (crystalline silicon with voids, mixed with
        silica). Labels and their aliases (``ALIASES``: "vacuum", "a-Si", "poly-Si",
        "porous-Si") are matched without regard to case.
    wavelength : float or array_like, optional
        Wavelength, nm. Give exactly one of ``wavelength`` and ``energy`` (the program
        takes an answer below 30 for an energy; here the keyword says which it is).
    energy : float or array_like, optional
        Photon energy, eV.
    voids : float or array_like
        Void fraction ("Compacite") mixed into the first component, for materials 3, 4,
        5, 7, 8 and 9; at most 1 (the program asks again above 1). Default 0.
    x : float or array_like
        Oxygen content of the sub-oxide SiOx, 0 (silicon) to 2 (silica); material 5 only.
        Default 0.
    si_c_rate : float or array_like
        Fraction of the second component ("Taux de Si-c", 0 to 1) for materials 7, 8
        and 9. Default 0.
    stress : float or array_like
        In-plane stress of silica, MPa; material 3 only. Default 0.
    precision : {"single", "double"}
        ``"single"`` (default): the program's single-precision arithmetic, bit for bit.
        ``"double"``: the same routines with every quantity in double precision (the
        arguments read as doubles, the stress fit to double-suited thresholds).

    Returns
    -------
    Constants
        ``epsilon``, ``index``, ``epsilon_2``, ``index_2`` (complex, eps1 - i eps2 and
        n - ik): the four result lines of the program; complex64 arrays, complex128 in
        double precision.

    Raises
    ------
    thinfilm.StressFitError
        When the stressed silica coefficients cannot be fitted for a stress (the program
        stops with "STOP 7"); the exception names the stress.

    Examples
    --------
    >>> from thinfilm import optconst
    >>> r = optconst.constants("Si", wavelength=632.8)
    >>> round(r.index.real, 5), round(r.index.imag, 5)
    (3.88092, -0.01946)
    >>> round(r.epsilon.real, 5), round(r.epsilon.imag, 5)
    (15.06118, -0.15106)
    >>> r = optconst.constants("SiO2", wavelength=632.8, stress=-300.0)
    >>> round(r.index.real, 5), round(r.index_2.real, 5)
    (1.45953, 1.45848)
    >>> r = optconst.constants("SiO2", wavelength=632.8, precision="double")
    >>> round(r.index.real, 9), r.index.imag
    (1.457017928, 0.0)
    """
    if _labeled.given(locals()):
        return _labeled.apply(_labeled.keywords, locals(), constants)
    if (wavelength is None) == (energy is None):
        raise TypeError("give exactly one of wavelength (nm) and energy (eV)")
    calc, light = (
        (_core.optconst_constants, {"wavelength": wavelength})
        if energy is None
        else (_core.optconst_constants_energy, {"energy": energy})
    )
    return _calc.run(
        calc,
        Constants,
        check=_check_fractions,
        on_event=_stress_fit_failed,
        precision=precision,
        material=_material_number(material),
        voids=voids,
        x=x,
        si_c_rate=si_c_rate,
        stress=stress,
        **light,
    )
