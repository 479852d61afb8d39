// Inverse step of the film model: the film phase factor z = exp(-i 4 pi d xi1 / lambda)
// that makes rp/rs of the stack equal to the measured ratio rho. a0, x1, a2 are the
// s-admittances of ambient, film and substrate, b0, b1, b2 their p-admittances. Of the two
// roots of the quadratic in z, the one of smaller modulus is returned (equal moduli keep
// the first).
//   rho of a 1.5 / 100 nm film (632.8 nm, 70 deg, substrate (3.866, -0.028)) -> that film's
//   phase factor, |z| = 1; the other root has |z| = 5.233
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

void cres(const console::cplx& a0, const console::cplx& x1, const console::cplx& a2, const console::cplx& b0,
          const console::cplx& b1, const console::cplx& b2, const console::cplx& rho, console::cplx& z);

}  // namespace ellcalc
