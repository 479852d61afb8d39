// Reflection computation: the forward film model written out so that the complex
// reflection coefficients of the stack are available. Inputs are the kept wavelength ol
// (nm), angle phi (degrees), substrate index cn2, film index an and thickness ep (nm).
// Results: the thickness ep with a negative one replaced by ep + per, the period per
// (nm), rp and rs, the reflectances Rp = |rp|^2 and Rs = |rs|^2, and Psi, Delta (degrees).
//   632.8, 70, (3.866, -0.028), 1.5, 100 -> per 270.617, rp (-0.43614, -0.21932),
//   Rp 0.23832, rs (-0.33430, 0.38833), Rs 0.26256, Psi 43.613, Delta 75.973
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

template <class R>
struct reflection_result_t {
  R ep;
  R per;
  console::cplx_of<R> rp, rs;
  R Rp, Rs;
  R psi, delta;
};
using reflection_result = reflection_result_t<float>;

template <class R>
reflection_result_t<R> rcoef(R ol, R phi, console::cplx_of<R> cn2, R an, R ep);

}  // namespace ellcalc
