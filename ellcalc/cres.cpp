#include "ellcalc/cres.hpp"

#include "ellcalc/cf_cg.hpp"

namespace ellcalc {

using console::cplx_d;
using console::cplx_of;
using console::narrow;

template <class R>
phase_roots<R> cres_roots(cplx_of<R> a0, cplx_of<R> x1, cplx_of<R> a2, cplx_of<R> b0, cplx_of<R> b1, cplx_of<R> b2,
                          cplx_of<R> rho) {
  const cplx_of<R> rp01 = cf<R>(b1, b0);
  const cplx_of<R> rs01 = cf<R>(a0, x1);
  const cplx_of<R> rp12 = cf<R>(b2, b1);
  const cplx_of<R> rs12 = cf<R>(x1, a2);

  // rp(z) = rho rs(z) with rp(z) = (rp01 + rp12 z) / (1 + rp01 rp12 z), and likewise rs(z),
  // is q2 z^2 + q1 z + q0 = 0. Products are taken left to right in the grouping written.
  const cplx_d p01 = rp01, s01 = rs01, p12 = rp12, s12 = rs12, r = rho;
  const cplx_of<R> q2 = narrow<R>((s01 * s12) * p12 - ((r * p01) * p12) * s12);
  const cplx_of<R> q1 = narrow<R>((p01 * s01) * s12 + p12 - r * ((s01 * p01) * p12 + s12));
  const cplx_of<R> q0 = narrow<R>(p01 - r * s01);

  const cplx_of<R> d = narrow<R>(cplx_d(q1) * cplx_d(q1) - (4.0 * cplx_d(q2)) * cplx_d(q0));
  const cplx_of<R> root = console::csqrt<R>(d);
  return {narrow<R>((cplx_d(root) - cplx_d(q1)) / (2.0 * cplx_d(q2))),
          narrow<R>((-cplx_d(q1) - cplx_d(root)) / (2.0 * cplx_d(q2)))};
}

template <class R>
cplx_of<R> cres(cplx_of<R> a0, cplx_of<R> x1, cplx_of<R> a2, cplx_of<R> b0, cplx_of<R> b1, cplx_of<R> b2,
                cplx_of<R> rho) {
  const phase_roots<R> z = cres_roots<R>(a0, x1, a2, b0, b1, b2, rho);
  return (console::modulus(z.z2) - 1.0 < console::modulus(z.z1) - 1.0) ? z.z2 : z.z1;
}

#define ELLCALC_CRES(R)                                                                                          \
  template phase_roots<R> cres_roots<R>(cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, \
                                        cplx_of<R>);                                                             \
  template cplx_of<R> cres<R>(cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>);
ELLCALC_CRES(float)
ELLCALC_CRES(double)

}  // namespace ellcalc
