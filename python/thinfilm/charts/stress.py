"""The film stress of a wafer measured before and after its film, as a table."""

import numpy as np

from thinfilm import waferbow

from . import ChartError
from .table import Table

# The report's values in the table, after the measured ones.
RESULTS = waferbow.REPORT + ("stress_stoney", "sigma_stress_sio2")


def stress_table(bow_before, bow_after, diameter, silicon, silica,
                 modulus_si=waferbow.MODULUS_SI, modulus_sio2=waferbow.MODULUS_SIO2,
                 sigma_bow=0.0, sigma_silicon=0.0, sigma_silica=0.0, sigma_modulus_si=0.0):
    """The stress report of a wafer from its bow before and after the film.

    One row per quantity (columns ``quantity``, ``value``, ``unit``): the measured
    values, then the stress report of ``waferbow.first_state`` for the change of
    curvature, Stoney's stress and the standard deviation of the film stress.

    Parameters
    ----------
    bow_before, bow_after : float
        Bow of the bare wafer and bow with the film (µm), over the same diameter.
    diameter : float
        Wafer diameter (m).
    silicon, silica : float
        Silicon and silica thickness (µm).
    modulus_si, modulus_sio2 : float
        E/(1-NU) of silicon and silica (1E5 MPa); waferbow's by default.
    sigma_bow : float
        Standard deviation of each bow (µm).
    sigma_silicon, sigma_silica, sigma_modulus_si : float
        Standard deviations of the thicknesses (µm) and of the silicon modulus (1E5 MPa).

    Returns
    -------
    Table

    Raises
    ------
    ChartError
        When the bows give no finite film stress (the same bow before and after: no
        change of curvature).

    Examples
    --------
    >>> t = stress_table(-3.5, 21.0, 0.15, 675.0, 1.2, modulus_si=1.805, sigma_bow=0.5)
    >>> rows = dict(zip(t.column("quantity"), t.column("value")))
    >>> round(rows["stress_sio2_interface"], 1), round(rows["stress_stoney"], 1)
    (-99.3, -99.5)
    >>> t.column("unit")[t.column("quantity").index("sigma_stress_sio2")]
    'MPa'
    """
    measured = [("bow_before", bow_before, "um"), ("bow_after", bow_after, "um"),
                ("diameter", diameter, "m"), ("silicon", silicon, "um"),
                ("silica", silica, "um"), ("modulus_si", modulus_si, "1E5 MPa"),
                ("modulus_sio2", modulus_sio2, "1E5 MPa"), ("sigma_bow", sigma_bow, "um"),
                ("sigma_silicon", sigma_silicon, "um"), ("sigma_silica", sigma_silica, "um"),
                ("sigma_modulus_si", sigma_modulus_si, "1E5 MPa")]
    report = waferbow.first_state(
        bow=bow_after, initial_bow=bow_before, diameter=diameter, silicon=silicon,
        silica=silica, modulus_si=modulus_si, modulus_sio2=modulus_sio2, sigma_bow=sigma_bow,
        sigma_initial_bow=sigma_bow, sigma_silicon=sigma_silicon, sigma_silica=sigma_silica,
        sigma_modulus_si=sigma_modulus_si)
    if not np.isfinite(report.stress_sio2_interface):
        if bow_before == bow_after:
            raise ChartError("no change of curvature: the same bow before and after (%g um)"
                             % bow_after, argument="bow_after")
        raise ChartError("no finite film stress from the bows %g and %g um over %g m"
                         % (bow_before, bow_after, diameter), argument="bow_after")
    rows = measured + [(name, getattr(report, name), waferbow.UNITS[name]) for name in RESULTS]
    return Table([("quantity", [r[0] for r in rows]), ("value", [r[1] for r in rows]),
                  ("unit", [r[2] for r in rows])])
