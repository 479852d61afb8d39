// The extension module behind the thinfilm package: the calculations of the three programs
// over numpy arrays. The package's Python modules check the arguments and broadcast the
// shapes; this module loops and names the results. `calculations` describes every
// calculation: its inputs (name, kind, unit), its outputs and its events, by name.
#include <pybind11/pybind11.h>

#include "python/src/bindings.hpp"

PYBIND11_MODULE(_core, m) {
  m.doc() = "Array loops over the calculators' numerical routines (internal to thinfilm).";
  pybind11::dict table;
  thinfilm_py::bind_ellcalc(m, table);
  thinfilm_py::bind_optconst(m, table);
  thinfilm_py::bind_waferbow(m, table);
  thinfilm_py::bind_stack(m);
  m.attr("calculations") = table;
}
