#pragma once

#include "console/complex.hpp"

namespace optconst {

// Effective dielectric function of spheres of two materials, ea at the volume fraction
// 1 - f and eb at f: the root of the two-component effective-medium equation
// (1-f)(ea-e)/(ea+2e) + f(eb-e)/(eb+2e) = 0 nearer to the linear average (1-f)ea + f eb.
//   emix<R>(ea, eb, 0) -> ea     emix<R>(ea, eb, 1) -> eb     (up to rounding)
//   emix<float>({4, 0}, {1, 0}, 0.5) -> (2.17116, 0)
template <class R>
console::cplx_of<R> emix(console::cplx_of<R> ea, console::cplx_of<R> eb, R f);

}  // namespace optconst
