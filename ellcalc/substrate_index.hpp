#pragma once

#include "console/complex.hpp"

namespace ellcalc {

// Index of a bare substrate from Psi and Delta (degrees) at the angle of incidence phi
// (degrees): the exact inverse of the film-free reflection model.
//   substrate_index<float>(70, 39.44, 78.24) -> (0.46301, -1.85226)
template <class R>
console::cplx_of<R> substrate_index(R phi, R ps, R de);

}  // namespace ellcalc
