#include "ellcalc/psd.hpp"

#include <cmath>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

template <class R>
thickness_and_period<R> thickness_period(R ol, R xi1, R ep) {
  const R per = stored<R>(ol / (double{xi1} + xi1));
  if (ep < R{0}) ep = stored<R>(double{ep} + per);
  return {ep, per};
}

template <class R>
stack_coefficients<R> film_stack(R an, R ak, R ep, R ol, cplx_of<R> a0, cplx_of<R> a2, cplx_of<R> b0,
                                 cplx_of<R> b2, R s2) {
  const cplx_of<R> n1{an, ak};
  const cplx_d n1sq = cplx_d(n1) * cplx_d(n1);
  const cplx_of<R> a1 = console::csqrt<R>(n1sq - double{s2});
  const cplx_of<R> b1 = narrow<R>(n1sq / cplx_d(a1));

  // Only the real part of a1 enters the phase.
  const R beta = stored<R>(ep * real_traits<R>::four_pi * a1.re / ol);
  const cplx_of<R> e = narrow<R>(console::cexp(cplx_d(0.0, -double{beta})));

  const cplx_of<R> rp01 = cf<R>(b1, b0);
  const cplx_of<R> rs01 = cf<R>(a0, a1);
  const cplx_of<R> rp12 = cf<R>(b2, b1);
  const cplx_of<R> rs12 = cf<R>(a1, a2);
  return {cg<R>(rp01, narrow<R>(cplx_d(rp12) * cplx_d(e))), cg<R>(rs01, narrow<R>(cplx_d(rs12) * cplx_d(e)))};
}

template <class R>
psi_delta_pair<R> psi_delta(cplx_of<R> rp, cplx_of<R> rs) {
  const cplx_of<R> rho = narrow<R>(cplx_d(rp) / cplx_d(rs));
  return {stored<R>(std::atan(console::modulus(rho)) / real_traits<R>::deg),
          stored<R>(std::atan2(double{rho.im}, double{rho.re}) / real_traits<R>::deg)};
}

template <class R>
cplx_of<R> ratio_of_psi_delta(R ps, R de) {
  constexpr double deg = real_traits<R>::deg;
  return narrow<R>(std::tan(ps * deg) * console::cexp(cplx_d(0.0, de * deg)));
}

template <class R>
psi_delta_pair<R> psd(R an, R ak, R ep, R ol, cplx_of<R> a0, cplx_of<R> a2, cplx_of<R> b0, cplx_of<R> b2, R s2) {
  const stack_coefficients<R> r = film_stack<R>(an, ak, ep, ol, a0, a2, b0, b2, s2);
  return psi_delta<R>(r.rp, r.rs);
}

#define ELLCALC_PSD(R)                                                                                            \
  template thickness_and_period<R> thickness_period<R>(R, R, R);                                                 \
  template stack_coefficients<R> film_stack<R>(R, R, R, R, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, R); \
  template psi_delta_pair<R> psi_delta<R>(cplx_of<R>, cplx_of<R>);                                               \
  template cplx_of<R> ratio_of_psi_delta<R>(R, R);                                                               \
  template psi_delta_pair<R> psd<R>(R, R, R, R, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, R);
ELLCALC_PSD(float)
ELLCALC_PSD(double)

}  // namespace ellcalc
