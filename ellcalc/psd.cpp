#include "ellcalc/psd.hpp"

#include <cmath>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

template <class R>
R normal_component(R an, R s2) {
  return stored<R>(std::sqrt(double{an} * an - s2));
}

template <class R>
film_interfaces<R> interfaces(R an, R ak, cplx_of<R> a0, cplx_of<R> a2, cplx_of<R> b0, cplx_of<R> b2, R s2) {
  const cplx_of<R> n1{an, ak};
  const cplx_d n1sq = cplx_d(n1) * cplx_d(n1);
  const cplx_of<R> a1 = console::csqrt<R>(n1sq - double{s2});
  const cplx_of<R> b1 = narrow<R>(n1sq / cplx_d(a1));
  return {a1.re, cf<R>(b1, b0), cf<R>(a0, a1), cf<R>(b2, b1), cf<R>(a1, a2)};
}

template <class R>
stack_coefficients<R> stack_at(const film_interfaces<R>& f, R ep, R ol) {
  // Only the real part of a1 enters the phase.
  const R beta = film_phase<R>(f, ep, ol);
  return airy_sums<R>(f, narrow<R>(console::cexp(cplx_d(0.0, -double{beta}))));
}

template <class R>
stack_coefficients<R> film_stack(R an, R ak, R ep, R ol, cplx_of<R> a0, cplx_of<R> a2, cplx_of<R> b0,
                                 cplx_of<R> b2, R s2) {
  return stack_at<R>(interfaces<R>(an, ak, a0, a2, b0, b2, s2), ep, ol);
}

template <class R>
psi_delta_pair<R> psi_delta(cplx_of<R> rp, cplx_of<R> rs) {
  const cplx_of<R> rho = reflection_ratio<R>(rp, rs);
  return {psi_of_ratio<R>(rho), delta_of_ratio<R>(rho)};
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
  template R normal_component<R>(R, R);                                                                          \
  template film_interfaces<R> interfaces<R>(R, R, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, R);           \
  template stack_coefficients<R> stack_at<R>(const film_interfaces<R>&, R, R);                                  \
  template stack_coefficients<R> film_stack<R>(R, R, R, R, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, R); \
  template psi_delta_pair<R> psi_delta<R>(cplx_of<R>, cplx_of<R>);                                               \
  template cplx_of<R> ratio_of_psi_delta<R>(R, R);                                                               \
  template psi_delta_pair<R> psd<R>(R, R, R, R, cplx_of<R>, cplx_of<R>, cplx_of<R>, cplx_of<R>, R);
ELLCALC_PSD(float)
ELLCALC_PSD(double)

}  // namespace ellcalc
