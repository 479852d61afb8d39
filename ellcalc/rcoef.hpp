// Reflection computation: the forward film model written out so that the complex
// reflection coefficients of the stack are available. Inputs are the kept wavelength ol
// (nm), angle phi (degrees), substrate index cn2 and film index an; a negative thickness
// ep (nm) is replaced by ep + per. Outputs: the period per (nm), rp and rs, the
// reflectances Rp = |rp|^2 and Rs = |rs|^2, and Psi, Delta (degrees).
//   632.8, 70, (3.866, -0.028), 1.5, 100 -> per 270.617, rp (-0.43614, -0.21932),
//   Rp 0.23832, rs (-0.33430, 0.38833), Rs 0.26256, Psi 43.613, Delta 75.973
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

void rcoef(const float& ol, const float& phi, const console::cplx& cn2, const float& an, float& ep, float& per,
           console::cplx& rp, console::cplx& rs, float& Rp, float& Rs, float& psi, float& delta);

}  // namespace ellcalc
