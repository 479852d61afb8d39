// The registration of each program's calculations in the extension module; each adds the
// descriptions of its calculations to the table (see calculation.hpp), except the stack's
// one function, which is written out by hand (stack_bind.cpp).
#pragma once

#include <pybind11/pybind11.h>

namespace thinfilm_py {

void bind_ellcalc(pybind11::module_& m, pybind11::dict& table);
void bind_optconst(pybind11::module_& m, pybind11::dict& table);
void bind_waferbow(pybind11::module_& m, pybind11::dict& table);
void bind_stack(pybind11::module_& m);

}  // namespace thinfilm_py
