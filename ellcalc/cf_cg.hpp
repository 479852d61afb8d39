// The two complex combinations from which every reflection coefficient is built.
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

// Fresnel coefficient from two admittances: r = (a - b) / (a + b).
//   s light from medium j to k: cf(r, a_j, a_k); p light: cf(r, b_k, b_j).
//   cf(r, {2, 0}, {1, 0}) -> r = (1/3, 0)
void cf(console::cplx& r, const console::cplx& a, const console::cplx& b);

// Airy sum of a film: r = (a + b) / (1 + a b), with a the top-interface coefficient and b
// the bottom-interface coefficient times the film phase factor.
//   cg(r, a, {0, 0}) -> r = a
void cg(console::cplx& r, const console::cplx& a, const console::cplx& b);

}  // namespace ellcalc
