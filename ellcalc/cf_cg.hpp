// The two complex combinations from which every reflection coefficient is built, defined
// here so that the per-point work of a sweep has them inline.
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

// Fresnel coefficient from two admittances: (a - b) / (a + b).
//   s light from medium j to k: cf(a_j, a_k); p light: cf(b_k, b_j).
//   cf<float>({2, 0}, {1, 0}) -> (1/3, 0)
template <class R>
console::cplx_of<R> cf(console::cplx_of<R> a, console::cplx_of<R> b) {
  using console::cplx_d;
  return console::narrow<R>((cplx_d(a) - cplx_d(b)) / (cplx_d(a) + cplx_d(b)));
}

// Airy sum of a film: (a + b) / (1 + a b), with a the top-interface coefficient and b the
// bottom-interface coefficient times the film phase factor.
//   cg<float>(a, {0, 0}) -> a
template <class R>
console::cplx_of<R> cg(console::cplx_of<R> a, console::cplx_of<R> b) {
  using console::cplx_d;
  return console::narrow<R>((cplx_d(a) + cplx_d(b)) / (1.0 + cplx_d(a) * cplx_d(b)));
}

}  // namespace ellcalc
