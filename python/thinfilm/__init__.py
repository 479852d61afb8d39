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

xarray DataArrays may be given for any numeric argument (a layer's thickness too; not the
fractions of a Material): the results are then DataArrays over the broadcast dimensions and
coordinates of those given, as ``xarray.apply_ufunc`` gives them, each named by its field;
``ellcalc.fit`` takes its ``axis`` as a dimension name as well. Dask-backed DataArrays (and
dask arrays, broadcast as numpy arrays) give lazy results, computed chunk by chunk, one call
per chunk, to the same bytes as the direct call, on the workers of a dask cluster too: the
functions, results and warnings pickle. Neither xarray nor dask is needed otherwise.

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
from thinfilm.material import Material  # noqa: E402

__all__ = [
    "ellcalc",
    "optconst",
    "waferbow",
    "threads",
    "Material",
    "NumericalWarning",
    "DiscriminantWarning",
    "IndexConventionWarning",
    "SolverWarning",
    "StressFitError",
]
