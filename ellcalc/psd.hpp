// Forward model: Psi and Delta of a film of complex index (an, ak) and thickness ep (nm) on
// a substrate, at wavelength ol (nm), given the s- and p-admittances of ambient (a0, b0) and
// substrate (a2, b2) and s2 = (sin phi)^2. Results in degrees, Psi in [0, 90], Delta in
// [-180, 180].
//   632.8 nm, 70 deg, substrate (3.866, -0.028), film 1.5 / 100 nm -> 43.613, 75.973
//   same with ep = 0 (bare substrate)                           -> 10.457, 178.846
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

// Thickness period per = ol / (2 xi1) of a film whose normal wave-vector component is xi1;
// a negative thickness ep is replaced, once, by ep + per.
//   632.8, 1.16918, ep -100 -> per 270.617, ep 170.617
void thickness_period(const float& ol, const float& xi1, float& ep, float& per);

// The film stack's reflection coefficients rp and rs for the same film and media as psd.
void film_stack(const float& an, const float& ak, const float& ep, const float& ol, const console::cplx& a0,
                const console::cplx& a2, const console::cplx& b0, const console::cplx& b2, const float& s2,
                console::cplx& rp, console::cplx& rs);

// Psi and Delta (degrees) of the ratio rp / rs.
void psi_delta(const console::cplx& rp, const console::cplx& rs, float& psi, float& delta);

// The reverse: the ratio rho = tan(Psi) exp(i Delta) of measured Psi and Delta (degrees).
console::cplx ratio_of_psi_delta(const float& ps, const float& de);

void psd(const float& an, const float& ak, const float& ep, const float& ol, const console::cplx& a0,
         const console::cplx& a2, const console::cplx& b0, const console::cplx& b2, const float& s2, float& psi,
         float& delta);

}  // namespace ellcalc
