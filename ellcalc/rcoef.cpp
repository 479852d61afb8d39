#include "ellcalc/rcoef.hpp"

#include <cmath>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

void rcoef(const float& ol, const float& phi, const cplx& cn2, const float& an, float& ep, float& per, cplx& rp,
           cplx& rs, float& Rp, float& Rs, float& psi, float& delta) {
  // Ambient and substrate admittances.
  const float rad = stored(phi * deg);
  const cplx a0{stored(std::cos(double{rad})), 0.0f};
  const cplx b0 = narrow(1.0 / cplx_d(a0));
  const float s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
  const cplx_d n2sq = cplx_d(cn2) * cplx_d(cn2);
  const cplx a2 = console::csqrt(n2sq - double{s2});
  const cplx b2 = narrow(n2sq / cplx_d(a2));

  // Period, and a negative thickness folded once.
  const float xi1 = stored(std::sqrt(double{an} * an - s2));
  per = stored(ol / (double{xi1} + xi1));
  if (ep < 0.0f) ep = stored(double{ep} + per);

  // Film admittances and phase factor.
  const cplx_d n1sq = cplx_d(an, 0.0) * cplx_d(an, 0.0);
  const cplx a1 = console::csqrt(n1sq - double{s2});
  const cplx b1 = narrow(n1sq / cplx_d(a1));
  const float beta = stored(ep * four_pi * a1.re / ol);
  const cplx e = narrow(console::cexp(cplx_d(0.0, -double{beta})));

  cplx rp01, rs01, rp12, rs12;
  cf(rp01, b1, b0);
  cf(rs01, a0, a1);
  cf(rp12, b2, b1);
  cf(rs12, a1, a2);
  cg(rp, rp01, narrow(cplx_d(rp12) * cplx_d(e)));
  cg(rs, rs01, narrow(cplx_d(rs12) * cplx_d(e)));

  const cplx rho = narrow(cplx_d(rp) / cplx_d(rs));
  psi = stored(std::atan(console::modulus(rho)) / deg);
  delta = stored(std::atan2(double{rho.im}, double{rho.re}) / deg);

  // The modulus first, then its square.
  const double mp = console::modulus(rp);
  const double ms = console::modulus(rs);
  Rp = stored(mp * mp);
  Rs = stored(ms * ms);
}

}  // namespace ellcalc
