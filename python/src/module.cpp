// The extension module behind the thinfilm package: the calculations of the three programs
// over numpy arrays. The package's Python modules check the arguments, broadcast the
// shapes and name the results; this module only loops.
#include <pybind11/pybind11.h>

#include "python/src/bindings.hpp"

PYBIND11_MODULE(_core, m) {
  m.doc() = "Array loops over the calculators' numerical routines (internal to thinfilm).";
  thinfilm_py::bind_ellcalc(m);
  thinfilm_py::bind_optconst(m);
  thinfilm_py::bind_waferbow(m);
}
