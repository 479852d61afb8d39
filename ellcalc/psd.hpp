// Forward model: Psi and Delta of a film of complex index (an, ak) and thickness ep (nm) on
// a substrate, at wavelength ol (nm), given the s- and p-admittances of ambient (a0, b0) and
// substrate (a2, b2) and s2 = (sin phi)^2. Results in degrees, Psi in [0, 90], Delta in
// [-180, 180].
//   632.8 nm, 70 deg, substrate (3.866, -0.028), film 1.5 / 100 nm -> 43.613, 75.973
//   same with ep = 0 (bare substrate)                           -> 10.457, 178.846
#pragma once

#include <cmath>

#include "console/complex.hpp"
#include "console/stored.hpp"
#include "ellcalc/cf_cg.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
struct psi_delta_pair {
  R psi, delta;
};

template <class R>
struct stack_coefficients {
  console::cplx_of<R> rp, rs;
};

// Thickness period ol / (2 xi1) of a film whose normal wave-vector component is xi1, and
// the thickness ep with a negative one replaced, once, by ep + period.
//   632.8, 1.16918, ep -100 -> per 270.617, ep 170.617
template <class R>
struct thickness_and_period {
  R ep, per;
};
template <class R>
thickness_and_period<R> thickness_period(R ol, R xi1, R ep) {
  const R per = console::stored<R>(ol / (double{xi1} + xi1));
  if (ep < R{0}) ep = console::stored<R>(double{ep} + per);
  return {ep, per};
}

// The normal wave-vector component xi1 = sqrt(an^2 - s2) of a non-absorbing film of index an.
//   1.5, s2 0.883022 -> 1.16918
template <class R>
R normal_component(R an, R s2);

// What the film stack owes to its index and the media alone: the real part of the film's
// s-admittance a1 (the only part that enters the phase) and the Fresnel coefficients of
// its two interfaces. stack_at adds the thickness and the wavelength.
template <class R>
struct film_interfaces {
  R a1re;
  console::cplx_of<R> rp01, rs01, rp12, rs12;
};
template <class R>
film_interfaces<R> interfaces(R an, R ak, console::cplx_of<R> a0, console::cplx_of<R> a2, console::cplx_of<R> b0,
                              console::cplx_of<R> b2, R s2);
template <class R>
stack_coefficients<R> stack_at(const film_interfaces<R>& f, R ep, R ol);

// The steps of stack_at and psi_delta, inline for callers that take them one at a time (the
// fit takes Psi before Delta, and the phase factor's cosine and sine from one call):
//   stack_at(f, ep, ol) = airy_sums(f, e), e = exp(-i film_phase(f, ep, ol)) stored;
//   psi_delta(rp, rs) = {psi_of_ratio(rho), delta_of_ratio(rho)}, rho = reflection_ratio(rp, rs).
// The phase beta = 4 pi ep Re(a1) / ol of the film.
template <class R>
R film_phase(const film_interfaces<R>& f, R ep, R ol) {
  return console::stored<R>(ep * real_traits<R>::four_pi * f.a1re / ol);
}
// The Airy sums rp and rs of the film for the phase factor e.
template <class R>
stack_coefficients<R> airy_sums(const film_interfaces<R>& f, console::cplx_of<R> e) {
  using console::cplx_d;
  using console::narrow;
  return {cg<R>(f.rp01, narrow<R>(cplx_d(f.rp12) * cplx_d(e))), cg<R>(f.rs01, narrow<R>(cplx_d(f.rs12) * cplx_d(e)))};
}
template <class R>
console::cplx_of<R> reflection_ratio(console::cplx_of<R> rp, console::cplx_of<R> rs) {
  return console::narrow<R>(console::cplx_d(rp) / console::cplx_d(rs));
}
template <class R>
R psi_of_ratio(console::cplx_of<R> rho) {
  return console::stored<R>(std::atan(console::modulus(rho)) / real_traits<R>::deg);
}
template <class R>
R delta_of_ratio(console::cplx_of<R> rho) {
  return console::stored<R>(std::atan2(double{rho.im}, double{rho.re}) / real_traits<R>::deg);
}

// The film stack's reflection coefficients rp and rs for the same film and media as psd:
// stack_at(interfaces(...), ep, ol).
template <class R>
stack_coefficients<R> film_stack(R an, R ak, R ep, R ol, console::cplx_of<R> a0, console::cplx_of<R> a2,
                                 console::cplx_of<R> b0, console::cplx_of<R> b2, R s2);

// Psi and Delta (degrees) of the ratio rp / rs.
template <class R>
psi_delta_pair<R> psi_delta(console::cplx_of<R> rp, console::cplx_of<R> rs);

// The reverse: the ratio rho = tan(Psi) exp(i Delta) of measured Psi and Delta (degrees).
template <class R>
console::cplx_of<R> ratio_of_psi_delta(R ps, R de);

template <class R>
psi_delta_pair<R> psd(R an, R ak, R ep, R ol, console::cplx_of<R> a0, console::cplx_of<R> a2,
                      console::cplx_of<R> b0, console::cplx_of<R> b2, R s2);

}  // namespace ellcalc
