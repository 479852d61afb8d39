#pragma once

#include "console/complex.hpp"

namespace ellcalc {

// Index of a bare substrate from Psi and Delta (degrees) at the angle of incidence phi
// (degrees): the exact inverse of the film-free reflection model.
//   substrate_index(70, 39.44, 78.24, n) -> n = (0.46301, -1.85226)
void substrate_index(const float& phi, const float& ps, const float& de, console::cplx& cn2);

}  // namespace ellcalc
