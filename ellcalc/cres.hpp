// Inverse step of the film model: the film phase factor z = exp(-i 4 pi d xi1 / lambda)
// that makes rp/rs of the stack equal to the measured ratio rho. a0, x1, a2 are the
// s-admittances of ambient, film and substrate, b0, b1, b2 their p-admittances.
// cres_roots gives both roots of the quadratic in z; cres the one of smaller modulus
// (equal moduli keep the first).
//   rho of a 1.5 / 100 nm film (632.8 nm, 70 deg, substrate (3.866, -0.028)) -> that film's
//   phase factor, |z| = 1; the other root has |z| = 5.233
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

template <class R>
struct phase_roots {
  console::cplx_of<R> z1, z2;
};

template <class R>
phase_roots<R> cres_roots(console::cplx_of<R> a0, console::cplx_of<R> x1, console::cplx_of<R> a2,
                          console::cplx_of<R> b0, console::cplx_of<R> b1, console::cplx_of<R> b2,
                          console::cplx_of<R> rho);

template <class R>
console::cplx_of<R> cres(console::cplx_of<R> a0, console::cplx_of<R> x1, console::cplx_of<R> a2,
                         console::cplx_of<R> b0, console::cplx_of<R> b1, console::cplx_of<R> b2,
                         console::cplx_of<R> rho);

}  // namespace ellcalc
