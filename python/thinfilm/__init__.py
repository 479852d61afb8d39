"""Thin-film optics and wafer bow calculations on numpy arrays.

The arithmetic of the three console calculators, to the last bit, for scripts (and, for
``ellcalc`` and ``optconst``, the same routines in double precision on request:
``precision="double"``):

- :mod:`thinfilm.ellcalc`: ellipsometry of one film on a substrate (Psi and Delta, the
  substrate index, the film thickness and index, reflection coefficients, the harmonics
  of a rotating-compensator ellipsometer, forward and back); the substrate and the film
  may be named as materials of ``optconst``;
- :mod:`thinfilm.optconst`: dielectric function and complex index n - ik of silicon
  technology materials at a wavelength or photon energy;
- :mod:`thinfilm.waferbow`: stresses of a silicon wafer bent by a silica layer, and the
  bow after the layer thicknesses change.

Arguments broadcast like numpy ufuncs; scalars in give plain Python numbers out.

``__version__`` is the version of the calculators the package comes with.

``threads`` is the number of threads that large arrays are split over (default: the cores
this process may run on); small arrays stay on one thread. Results do not depend on it.

Examples
--------
>>> import numpy as np
>>> from thinfilm import ellcalc
>>> r = ellcalc.psi_delta(wavelength=632.8, angle=70, substrate=3.866 - 0.028j,
...                       film_index=1.46, thickness=np.linspace(0, 300, 301))
>>> r.psi.shape
(301,)
"""

import os

from thinfilm._errors import (
    DiscriminantWarning,
    IndexConventionWarning,
    NumericalWarning,
    SolverWarning,
    StressFitError,
)
from thinfilm._version import __version__


def _cores():
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:  # not on every system
        return os.cpu_count() or 1


threads = _cores()

from thinfilm import ellcalc, optconst, waferbow  # noqa: E402  (they read `threads`)

__all__ = [
    "ellcalc",
    "optconst",
    "waferbow",
    "threads",
    "NumericalWarning",
    "DiscriminantWarning",
    "IndexConventionWarning",
    "SolverWarning",
    "StressFitError",
]
