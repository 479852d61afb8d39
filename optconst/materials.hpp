#pragma once

#include <array>

#include "console/complex.hpp"

namespace optconst {

// The tabulated materials at the photon energy en (eV), as eps1 - i eps2. sea and si3n4
// mix in voids at the volume fraction fr(1).
//   sec(1.5, eps) -> (13.488, -0.038)
//   al(0.5, eps)  -> (-197.45, -49.475)
void sec(const float& en, console::cplx& eps);
void sea(const float& en, console::cplx& eps, const std::array<float, 2>& fr);
void al(const float& en, console::cplx& eps);
void si3n4(const float& en, console::cplx& eps, const std::array<float, 2>& fr);

}  // namespace optconst
