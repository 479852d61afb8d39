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

"""

import numpy as np

from thinfilm import _calc
from thinfilm import _core
from thinfilm import _docs
from thinfilm._errors import SolverWarning

__doc__ = _docs.with_argument_rules(__doc__)

__all__ = ["first_state", "continue_pass", "FirstState", "ContinuePass", "REPORT"]

# The program's initial values; the diameter and the moduli are single-precision values.
BOW = 10.0
DIAMETER = float(np.float32(0.1))
SILICON = 525.0
SILICA = 1.0
MODULUS_SI = float(np.float32(2.28))
MODULUS_SIO2 = float(np.float32(0.863))
MOMENT = 0.0

#: The names of the fourteen values of the stress report, in the program's order.
REPORT = _core.waferbow_report_fields

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

FirstState = _calc.result_type("FirstState", _core.waferbow_first, __name__, """
    The stress report of a measured wafer (the program's first pass), and the state that
    continue passes start from:
    """ + _REPORT_DOC + """
    modulus_si_mpa, modulus_sio2_mpa : E/(1-NU) of silicon and of silica, MPa
    mid_radius_si, mid_radius_sio2 : radius of the mid-plane of each layer, m
    neutral_radius_si, neutral_radius_sio2 : radius of the neutral line of each layer, m
    diameter : wafer diameter, m
    silicon, silica : silicon and silica thicknesses, um
    moment : external bending moment, N, in single precision

    Plain data: a FirstState built from these values, or changed by ``_replace``, is
    continued as the program would continue the first pass they describe.
    """)

ContinuePass = _calc.result_type("ContinuePass", _core.waferbow_continue, __name__, """
    The stress report of the wafer predicted by a continue pass:
    """ + _REPORT_DOC + """
    bow : predicted bow, um
    regressions : Newton steps done, as printed
    """)


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
        The fourteen values of the stress report by name, and every value a continue
        pass starts from; pass it to :func:`continue_pass`.

    Examples
    --------
    >>> from thinfilm import waferbow
    >>> first = waferbow.first_state()
    >>> round(first.radius, 3), f"{first.bending_moment:.6E}", f"{first.neutral_line_si:.6E}"
    (125.0, '3.148110E-02', '-3.508336E-04')
    """
    return _calc.run(_core.waferbow_first, FirstState, **locals())


_SOLVER_TROUBLE = {
    1: "singular system",
    2: "no X(2)",
    3: "no X(3)",
}


def _solver_trouble(events, _named, _shape):
    status, x1, x2 = events["status"], events["x1"], events["x2"]
    detail = _SOLVER_TROUBLE.get(status, "")
    values = {2: f", X(1) = {x1:.7E}", 3: f", X(1-2) = {x1:.7E} {x2:.7E}"}.get(status, "")
    return SolverWarning(
        f"the 3x3 solver could not finish a Newton step at {events['count']} point(s)"
        f" (first at flat index {events['first']}: {detail}{values})"
    )


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
    if not isinstance(first, FirstState):
        raise TypeError("first must be the result of waferbow.first_state()")
    given = {"silicon": silicon, "silica": silica, "moment": moment}
    values = {
        name: getattr(first, name) if given.get(name) is None else given[name]
        for name in _calc.input_names(_core.waferbow_continue)
    }
    return _calc.run(_core.waferbow_continue, ContinuePass, on_event=_solver_trouble, **values)
