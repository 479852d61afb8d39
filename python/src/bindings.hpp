// The registration of each program's calculations in the extension module.
#pragma once

#include <pybind11/pybind11.h>

namespace thinfilm_py {

void bind_ellcalc(pybind11::module_& m);
void bind_optconst(pybind11::module_& m);
void bind_waferbow(pybind11::module_& m);

}  // namespace thinfilm_py
