"""Bow and stresses of a silicon wafer bent by a silica layer.

The calculations of the console program ``waferbow`` on numpy arrays, by the program's
own routines in its precision (double, the moment entered in single precision): a result
rendered with the field the program prints it in gives the program's digits.

Units, as in the program: the bow and the layer thicknesses in micrometres, the wafer
diameter and the radii in metres, the biaxial moduli E/(1-NU) in units of 1E5 MPa, the
external bending moment in N as entered (the bending moment of the report in MN),
stresses in MPa, energies in J.m-2. The silica lies on the convex side; the neutral lines
are given as offsets from the radius of curvature (the free surface of the silica).

As bow gauges do, the film's bending may be taken from the bows before and after the
film: ``initial_bow`` is the bow of the bare wafer, and the stresses come from the change
of curvature between the two (0, the default, is the program's flat bare wafer, to the
bit). Each report adds Stoney's stress of the film, and the first state the standard
deviation of its film stress for given uncertainties of the measured values.

Every numeric argument broadcasts like a numpy ufunc; results are named tuples of numpy
arrays, or of plain Python numbers when every argument is a scalar.

"""

import warnings

import numpy as np

from thinfilm import _calc
from thinfilm import _core
from thinfilm import _docs
from thinfilm import _labeled
from thinfilm._errors import SolverWarning

__doc__ = _docs.with_argument_rules(__doc__)

__all__ = ["first_state", "continue_pass", "FirstState", "ContinuePass", "REPORT", "UNITS"]

# The program's initial values; the diameter and the moduli are single-precision values.
BOW = 10.0
DIAMETER = float(np.float32(0.1))
SILICON = 525.0
SILICA = 1.0
MODULUS_SI = float(np.float32(2.28))
MODULUS_SIO2 = float(np.float32(0.863))
MOMENT = 0.0
INITIAL_BOW = 0.0

#: The names of the fourteen values of the stress report, in the program's order.
REPORT = _core.waferbow_report_fields
#: The unit of each value of the stress report by its name ("" for a strain); Stoney's
#: stress and the standard deviation of the film stress are in MPa.
UNITS = {**dict(zip(REPORT, _core.waferbow_report_units)), "stress_stoney": "MPa",
         "sigma_stress_sio2": "MPa"}

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
    stress_stoney : Stoney's stress of the silica for the same radius, silicon thickness
        and silicon modulus, with the report's signs (negative compressive), MPa:
        -E1 h1^2 / (6 h2 radius), what bow gauges compute
"""

FirstState = _calc.result_type("FirstState", _core.waferbow_first, __name__, """
    The stress report of a measured wafer (the program's first pass), and the state that
    continue passes start from. The radius is that of the film's bending: of the change
    of curvature from the bare wafer (the radius of curvature itself for a flat bare
    wafer).
    """ + _REPORT_DOC + """
    sigma_stress_sio2 : standard deviation of the film stress (the mean of
        stress_sio2_interface and stress_sio2_surface) for the uncertainties given, MPa
    modulus_si_mpa, modulus_sio2_mpa : E/(1-NU) of silicon and of silica, MPa
    mid_radius_si, mid_radius_sio2 : radius of the mid-plane of each layer, m
    neutral_radius_si, neutral_radius_sio2 : radius of the neutral line of each layer, m
    diameter : wafer diameter, m
    silicon, silica : silicon and silica thicknesses, um
    moment : external bending moment, N, in single precision
    initial_bow : bow of the bare wafer, um

    Plain data: a FirstState built from these values, or changed by ``_replace``, is
    continued as the program would continue the first pass they describe.
    """)

ContinuePass = _calc.result_type("ContinuePass", _core.waferbow_continue, __name__, """
    The stress report of the wafer predicted by a continue pass (the radius that of the
    bending by the film and the external moment):
    """ + _REPORT_DOC + """
    bow : predicted bow, um: of that bending added to the bare wafer's curvature
    regressions : Newton steps done, as printed
    settled : whether the pass ended on the state connected to the first one that meets
        its three conditions
    """)


def first_state(
    bow=BOW,
    diameter=DIAMETER,
    silicon=SILICON,
    silica=SILICA,
    modulus_si=MODULUS_SI,
    modulus_sio2=MODULUS_SIO2,
    moment=MOMENT,
    initial_bow=INITIAL_BOW,
    sigma_bow=0.0,
    sigma_initial_bow=0.0,
    sigma_silicon=0.0,
    sigma_silica=0.0,
    sigma_modulus_si=0.0,
):
    """Stresses of a wafer from its measured bow (``waferbow``, first pass).

    From the bow (sagitta) over the diameter, the layer thicknesses and the moduli: the
    radius of curvature, the bending moment, the neutral lines, stresses and strains at
    the interface and at the free surface of both layers, and their elastic energies:
    the fourteen values of the program's stress report.

    The film bends the wafer from the shape of the bare wafer, whose bow is
    ``initial_bow``: the report is that of the change of curvature, from the bows as the
    program turns a bow into a radius (1/radius = 1/radius(bow) - 1/radius(initial_bow)).
    The report adds ``stress_stoney``, Stoney's stress for that change, and
    ``sigma_stress_sio2``, the standard deviation of the film stress (the mean of its
    interface and surface values) for the standard deviations ``sigma_*`` of the
    measured values, independent: first-order propagation, each derivative by central
    differences of the same calculation in double precision. It matches the spread of a
    Monte Carlo draw for uncertainties of a few per cent.

    Parameters
    ----------
    bow : float or array_like
        Bow of the wafer, um. Default 10.
    diameter : float or array_like
        Wafer diameter, m. Default 0.1 (held as a 32-bit real, 0.10000000149011612). A
        diameter above 1 m (a diameter in mm, most likely) gives a warning.
    silicon, silica : float or array_like
        Silicon and silica thicknesses, um. Defaults 525 and 1.
    modulus_si, modulus_sio2 : float or array_like
        E/(1-NU) of silicon and silica, 1E5 MPa. Defaults 2.28 and 0.863 (held as 32-bit
        reals).
    moment : float or array_like
        External bending moment, N, taken in single precision as at the program's moment
        prompt. Default 0. (The program applies the moment of its last continue pass.)
    initial_bow : float or array_like
        Bow of the bare wafer, um, measured over the same diameter. Default 0, a flat
        wafer: the program's results, to the bit.
    sigma_bow, sigma_initial_bow, sigma_silicon, sigma_silica : float or array_like
        Standard deviations of the bows and the thicknesses, um. Default 0 (exact).
    sigma_modulus_si : float or array_like
        Standard deviation of the silicon modulus, 1E5 MPa. Default 0 (exact).

    Returns
    -------
    FirstState
        The fourteen values of the stress report by name, ``stress_stoney``,
        ``sigma_stress_sio2``, and every value a continue pass starts from; pass it to
        :func:`continue_pass`.

    Raises
    ------
    ValueError
        A negative standard deviation.

    Examples
    --------
    >>> from thinfilm import waferbow
    >>> first = waferbow.first_state()
    >>> round(first.radius, 3), f"{first.bending_moment:.6E}", f"{first.neutral_line_si:.6E}"
    (125.0, '3.148110E-02', '-3.508336E-04')

    A 150 mm wafer of 675 um, bowed -3.5 um bare and 21 um after 1.2 um of oxide:

    >>> r = waferbow.first_state(bow=21.0, initial_bow=-3.5, diameter=0.15, silicon=675.0,
    ...                          silica=1.2, modulus_si=1.805, sigma_bow=0.5,
    ...                          sigma_initial_bow=0.5, sigma_silica=0.01)
    >>> round(r.stress_sio2_interface, 1), round(r.stress_stoney, 1), round(r.sigma_stress_sio2, 1)
    (-99.3, -99.5, 3.0)
    """
    return _calc.run(_core.waferbow_first, FirstState, check=_check_first, **locals())


_SIGMAS = ("sigma_bow", "sigma_initial_bow", "sigma_silicon", "sigma_silica", "sigma_modulus_si")


def _check_first(named, _shape):
    for name in _SIGMAS:
        negative = named[name] < 0
        if negative.any():
            value = named[name][negative].flat[0]
            raise ValueError(f"{name} must not be negative (a standard deviation): {value:g}")
    large = named["diameter"] > 1
    if large.any():
        value = named["diameter"][large].flat[0]
        warnings.warn(
            f"diameter {value:g} m is above 1 m: waferbow takes the diameter in m"
            f" (0.15 for a 150 mm wafer)",
            UserWarning,
            stacklevel=4,
        )


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
    energy of the first state's deformation carried by the new layers. Newton steps (the
    program's "regressions", at most 10000) search it from the first state; when they
    end elsewhere than on the state connected to the first one, the pass is solved again
    in stages from the first state (at most 80000 steps more, so that ``regressions``
    stays within 90000). ``settled`` tells whether it ended on that state; where it did
    not, the result is where the Newton steps ended, and a
    :class:`thinfilm.SolverWarning` is issued. Each point starts its solver from zeros.
    When the 3x3 solver cannot finish a step (the program's " GAUS3 ne peut pas
    resoudre" messages) the pass goes on as the program's does and a
    :class:`thinfilm.SolverWarning` is issued too.

    A silica of 0 (a full strip), or a film thinned below a thousandth of its first
    thickness whose pass cannot settle, leaves the bare wafer: the silicon alone bent by
    the external moment about its mid-plane (flat without one), no Newton step, settled.
    Its report has no silica: ``neutral_line_sio2``, the silica's stresses and strains
    and ``stress_stoney`` are NaN, ``energy_sio2`` is 0, and the silicon's values come
    from the moment alone. As the film thins towards nothing the results approach those
    of the bare wafer (the silica's stress and energy aside: the pass keeps the first
    state's energy, which a vanishing film holds at ever larger strains).

    The bow is that of the bending by the film and the moment added to the curvature of
    the bare wafer of ``first`` (its ``initial_bow``); the report is that of the bending.

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
        The fourteen values of the stress report of the predicted wafer,
        ``stress_stoney``, its ``bow`` (um), the number of ``regressions`` (Newton steps)
        and whether it ``settled``.

    Examples
    --------
    >>> from thinfilm import waferbow
    >>> first = waferbow.first_state(bow=10.0, diameter=0.1, silicon=525.0, silica=1.0)
    >>> r = waferbow.continue_pass(first, silicon=525.0, silica=0.5)
    >>> round(r.bow, 2), r.settled
    (5.01, True)
    >>> waferbow.continue_pass(first).regressions
    1
    >>> stripped = waferbow.continue_pass(first, silica=0.0)
    >>> stripped.bow, stripped.stress_si_surface, stripped.stress_sio2_surface, stripped.settled
    (0.0, -0.0, nan, True)
    """
    if _labeled.given(locals()):
        return _labeled.apply(_labeled.keywords, locals(), continue_pass)
    if not isinstance(first, FirstState):
        raise TypeError("first must be the result of waferbow.first_state()")
    given = {"silicon": silicon, "silica": silica, "moment": moment}
    values = {
        name: getattr(first, name) if given.get(name) is None else given[name]
        for name in _calc.input_names(_core.waferbow_continue)
    }
    return _calc.run(_core.waferbow_continue, _settled_pass, on_event=_solver_trouble, **values)


def _settled_pass(*outputs):
    """The ContinuePass of the outputs of a call (of each chunk of a lazy one), with a
    SolverWarning when some of its passes did not settle."""
    result = ContinuePass(*outputs)
    settled = np.asarray(result.settled)
    if not settled.all():
        stalled = np.flatnonzero(~settled)
        warnings.warn(
            SolverWarning(
                f"the continue pass did not settle at {stalled.size} of {settled.size}"
                f" point(s) (first at flat index {stalled[0]}): settled is False there, and"
                f" the results are where the Newton steps ended"
            ),
            stacklevel=4,  # the caller of continue_pass
        )
    return result
