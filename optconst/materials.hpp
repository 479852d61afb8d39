#pragma once

#include <array>

#include "console/complex.hpp"

namespace optconst {

// The tabulated materials at the photon energy en (eV), as eps1 - i eps2. sea and si3n4
// mix in voids at the volume fraction fr(1).
//   sec<float>(1.5) -> (13.488, -0.038)
//   al<float>(0.5)  -> (-197.45, -49.475)
template <class R>
console::cplx_of<R> sec(R en);
template <class R>
console::cplx_of<R> sea(R en, const std::array<R, 2>& fr);
template <class R>
console::cplx_of<R> al(R en);
template <class R>
console::cplx_of<R> si3n4(R en, const std::array<R, 2>& fr);

}  // namespace optconst
