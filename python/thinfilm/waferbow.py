"""Bow and stresses of a silicon wafer bent by a silica layer.

The calculations of the console program ``waferbow`` on numpy arrays, by the program's
own routines in its precision (double, the moment entered in single precision): a result
rendered with the field the program prints it in gives the program's digits.

Units, as in the program: the bow and the layer thicknesses in micrometres, the wafer
diameter and the radii in metres, the biaxial moduli E/(1-NU) in units of 1E5 MPa, the
external bending moment in N as entered (the bending moment of the report in MN),
stresses in MPa, energies in J.m-2. The silica lies on the convex side; the neutral lines
are given as offsets from the radius of curvature (the free surface of the silica).

Every numeric argument broadcasts like a numpy ufunc; results are named tuples of numpy
arrays, or of plain Python numbers when every argument is a scalar.

Masked arrays are refused (TypeError): their masked elements would be computed as data;
pass ``a.filled(value)`` and mask the results. Booleans are not numbers here, Python's or
numpy's. A long call ends on Ctrl-C (KeyboardInterrupt) within a fraction of a second,
with no result.
"""

import typing
import warnings

import numpy as np

from thinfilm import _args
from thinfilm import _core
from thinfilm._errors import SolverWarning

__all__ = ["first_state", "continue_pass", "FirstState", "ContinuePass"]

# The program's initial values; the diameter and the moduli are single-precision values.
BOW = 10.0
DIAMETER = float(np.float32(0.1))
SILICON = 525.0
SILICA = 1.0
MODULUS_SI = float(np.float32(2.28))
MODULUS_SIO2 = float(np.float32(0.863))
MOMENT = 0.0

_REPORT = (
    "radius",
    "bending_moment",
    "neutral_line_si",
    "neutral_line_sio2",
    "stress_si_interface",
    "stress_si_surface",
    "stress_sio2_interface",
    "stress_sio2_surface",
    "strain_si_interface",
    "strain_si_surface",
    "strain_sio2_interface",
    "strain_sio2_surface",
    "energy_si",
    "energy_sio2",
)

_REPORT_DOC = """
    radius : radius of curvature, m
    bending_moment : bending moment, external moment included, MN
    neutral_line_si, neutral_line_sio2 : neutral lines minus the radius, m
    stress_si_interface, stress_si_surface : silicon stress at the interface and at its
        free surface, MPa
    stress_sio2_interface, stress_sio2_surface : the same for the silica, MPa
    strain_si_interface, strain_si_surface, strain_sio2_interface, strain_sio2_surface :
        the strains at the same places
    energy_si, energy_sio2 : elastic energy per unit area of each layer, J.m-2
"""

_FirstStateFields = typing.NamedTuple(
    "_FirstStateFields", [(name, typing.Any) for name in _REPORT]
)
_ContinuePassFields = typing.NamedTuple(
    "_ContinuePassFields", [(name, typing.Any) for name in _REPORT + ("bow", "regressions")]
)


class FirstState(_FirstStateFields):
    __doc__ = "The stress report of a measured wafer (the program's first pass):\n" + _REPORT_DOC

    # The wafer it was computed for, which continue passes start from.
    _wafer = None


class ContinuePass(_ContinuePassFields):
    __doc__ = (
        "The stress report of the wafer predicted by a continue pass:\n"
        + _REPORT_DOC
        + "    bow : predicted bow, um\n    regressions : Newton steps done, as printed\n"
    )


def first_state(
    bow=BOW,
    diameter=DIAMETER,
    silicon=SILICON,
    silica=SILICA,
    modulus_si=MODULUS_SI,
    modulus_sio2=MODULUS_SIO2,
    moment=MOMENT,
):
    """Stresses of a wafer from its measured bow (``waferbow``, first pass).

    From the bow (sagitta) over the diameter, the layer thicknesses and the moduli: the
    radius of curvature, the bending moment, the neutral lines, stresses and strains at
    the interface and at the free surface of both layers, and their elastic energies:
    the fourteen values of the program's stress report.

    Parameters
    ----------
    bow : float or array_like
        Bow of the wafer, um. Default 10.
    diameter : float or array_like
        Wafer diameter, m. Default 0.1 (held as a 32-bit real, 0.10000000149011612).
    silicon, silica : float or array_like
        Silicon and silica thicknesses, um. Defaults 525 and 1.
    modulus_si, modulus_sio2 : float or array_like
        E/(1-NU) of silicon and silica, 1E5 MPa. Defaults 2.28 and 0.863 (held as 32-bit
        reals).
    moment : float or array_like
        External bending moment, N, taken in single precision as at the program's moment
        prompt. Default 0. (The program applies the moment of its last continue pass.)

    Returns
    -------
    FirstState
        The fourteen values of the stress report by name; pass it to
        :func:`continue_pass`.

    Examples
    --------
    >>> from thinfilm import waferbow
    >>> first = waferbow.first_state()
    >>> round(first.radius, 3), f"{first.bending_moment:.6E}", f"{first.neutral_line_si:.6E}"
    (125.0, '3.148110E-02', '-3.508336E-04')
    """
    named, shape, scalar = _args.prepare(
        bow=bow,
        diameter=diameter,
        silicon=silicon,
        silica=silica,
        modulus_si=modulus_si,
        modulus_sio2=modulus_sio2,
        moment=moment,
    )
    out = _core.waferbow_first(shape, _args.threads(), *named.values())
    result = _args.finish(FirstState, out[: len(_REPORT)], scalar)
    result._wafer = {
        "state": out[len(_REPORT):],
        "diameter": named["diameter"],
        "silicon": named["silicon"],
        "silica": named["silica"],
    }
    return result


_SOLVER_TROUBLE = {
    1: "singular system",
    2: "no X(2)",
    3: "no X(3)",
}


def continue_pass(first, silicon=None, silica=None, moment=None):
    """Bow and stresses after the layer thicknesses change (``waferbow``, continue pass).

    The wafer of ``first`` once the silicon and silica are ``silicon`` and ``silica``
    thick and an external bending moment applies: the new geometry satisfies the balance
    of forces, the balance of moments with the external moment, and keeps the elastic
    energy of the first state's deformation carried by the new layers (Newton steps, the
    program's "regressions", at most 10000). Each point starts its solver from zeros.
    When the 3x3 solver cannot finish a step (the program's " GAUS3 ne peut pas
    resoudre" messages) the pass goes on as the program's does and a
    :class:`thinfilm.SolverWarning` is issued.

    Parameters
    ----------
    first : FirstState
        Result of :func:`first_state`; its arrays broadcast with the other arguments.
    silicon, silica : float or array_like, optional
        New silicon and silica thicknesses, um. Default: those of ``first``.
    moment : float or array_like, optional
        External bending moment, N, in single precision. Default: the moment of
        ``first``, as the program's moment prompt offers it.

    Returns
    -------
    ContinuePass
        The fourteen values of the stress report of the predicted wafer, its ``bow`` (um)
        and the number of ``regressions`` (Newton steps).

    Examples
    --------
    >>> from thinfilm import waferbow
    >>> first = waferbow.first_state(bow=10.0, diameter=0.1, silicon=525.0, silica=1.0)
    >>> r = waferbow.continue_pass(first, silicon=525.0, silica=0.5)
    >>> round(r.bow, 2)
    5.01
    >>> waferbow.continue_pass(first).regressions
    1
    """
    if not isinstance(first, FirstState) or first._wafer is None:
        raise TypeError("first must be the result of waferbow.first_state()")
    wafer = first._wafer
    state = wafer["state"]
    named = {
        "first": state[0],
        "diameter": wafer["diameter"],
        "silicon": wafer["silicon"] if silicon is None else _args.real("silicon", silicon),
        "silica": wafer["silica"] if silica is None else _args.real("silica", silica),
    }
    if moment is not None:
        named["moment"] = _args.real("moment", moment)
    shape = _args.shape(named)
    out = _core.waferbow_continue(
        shape,
        _args.threads(),
        *state,
        named["diameter"],
        named["silicon"],
        named["silica"],
        named.get("moment"),
    )
    points, index, status, x1, x2 = out[-1]
    if points:
        detail = _SOLVER_TROUBLE.get(status, "")
        values = {2: f", X(1) = {x1:.7E}", 3: f", X(1-2) = {x1:.7E} {x2:.7E}"}.get(status, "")
        warnings.warn(
            SolverWarning(
                f"the 3x3 solver could not finish a Newton step at {points} point(s)"
                f" (first at flat index {index}: {detail}{values})"
            ),
            stacklevel=2,
        )
    return _args.finish(ContinuePass, out[:-1], _args.all_scalar(named))
