#include "ellcalc/psd.hpp"

#include <cmath>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

void thickness_period(const float& ol, const float& xi1, float& ep, float& per) {
  per = stored(ol / (double{xi1} + xi1));
  if (ep < 0.0f) ep = stored(double{ep} + per);
}

void film_stack(const float& an, const float& ak, const float& ep, const float& ol, const cplx& a0, const cplx& a2,
                const cplx& b0, const cplx& b2, const float& s2, cplx& rp, cplx& rs) {
  const cplx n1{an, ak};
  const cplx_d n1sq = cplx_d(n1) * cplx_d(n1);
  const cplx a1 = console::csqrt(n1sq - double{s2});
  const cplx b1 = narrow(n1sq / cplx_d(a1));

  // Only the real part of a1 enters the phase.
  const float beta = stored(ep * four_pi * a1.re / ol);
  const cplx e = narrow(console::cexp(cplx_d(0.0, -double{beta})));

  cplx rp01, rs01, rp12, rs12;
  cf(rp01, b1, b0);
  cf(rs01, a0, a1);
  cf(rp12, b2, b1);
  cf(rs12, a1, a2);
  cg(rp, rp01, narrow(cplx_d(rp12) * cplx_d(e)));
  cg(rs, rs01, narrow(cplx_d(rs12) * cplx_d(e)));
}

void psi_delta(const cplx& rp, const cplx& rs, float& psi, float& delta) {
  const cplx rho = narrow(cplx_d(rp) / cplx_d(rs));
  psi = stored(std::atan(console::modulus(rho)) / deg);
  delta = stored(std::atan2(double{rho.im}, double{rho.re}) / deg);
}

cplx ratio_of_psi_delta(const float& ps, const float& de) {
  return narrow(std::tan(ps * deg) * console::cexp(cplx_d(0.0, de * deg)));
}

void psd(const float& an, const float& ak, const float& ep, const float& ol, const cplx& a0, const cplx& a2,
         const cplx& b0, const cplx& b2, const float& s2, float& psi, float& delta) {
  cplx rp, rs;
  film_stack(an, ak, ep, ol, a0, a2, b0, b2, s2, rp, rs);
  psi_delta(rp, rs, psi, delta);
}

}  // namespace ellcalc
