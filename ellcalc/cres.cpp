#include "ellcalc/cres.hpp"

#include "ellcalc/cf_cg.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

void cres(const cplx& a0, const cplx& x1, const cplx& a2, const cplx& b0, const cplx& b1, const cplx& b2,
          const cplx& rho, cplx& z) {
  cplx rp01, rs01, rp12, rs12;
  cf(rp01, b1, b0);
  cf(rs01, a0, x1);
  cf(rp12, b2, b1);
  cf(rs12, x1, a2);

  // rp(z) = rho rs(z) with rp(z) = (rp01 + rp12 z) / (1 + rp01 rp12 z), and likewise rs(z),
  // is q2 z^2 + q1 z + q0 = 0. Products are taken left to right in the grouping written.
  const cplx_d p01 = rp01, s01 = rs01, p12 = rp12, s12 = rs12, r = rho;
  const cplx q2 = narrow((s01 * s12) * p12 - ((r * p01) * p12) * s12);
  const cplx q1 = narrow((p01 * s01) * s12 + p12 - r * ((s01 * p01) * p12 + s12));
  const cplx q0 = narrow(p01 - r * s01);

  const cplx d = narrow(cplx_d(q1) * cplx_d(q1) - (4.0 * cplx_d(q2)) * cplx_d(q0));
  const cplx root = console::csqrt(d);
  const cplx z1 = narrow((cplx_d(root) - cplx_d(q1)) / (2.0 * cplx_d(q2)));
  const cplx z2 = narrow((-cplx_d(q1) - cplx_d(root)) / (2.0 * cplx_d(q2)));

  z = (console::modulus(z2) - 1.0 < console::modulus(z1) - 1.0) ? z2 : z1;
}

}  // namespace ellcalc
