#pragma once

#include <array>

#include "optconst/silica.hpp"

namespace optconst {

// Outcome of the stress fit, per polarisation (1: light polarised normal to the layer,
// 2: in its plane).
template <class R>
struct stress_fit_t {
  bool converged = false;
  std::array<R, 2> u{};              // shift of the first two resonance energies, eV
  std::array<R, 2> v{};              // relative change of the oscillator strengths
  std::array<int, 2> evaluations{};  // residual evaluations used
  silica_block<R> sio2 = unstressed_silica_of<R>;  // words 10-27 fitted when converged
};
using stress_fit = stress_fit_t<float>;

// Fits the stressed Sellmeier coefficients of silica under the equal in-plane stress s
// (MPa) to the stress-optic index changes at 435.8 and 643.8 nm, for both polarisations,
// and returns them in words 10-27 of the block sio2 (words 1-9 are the unstressed ones).
// Each polarisation gets at most 500 Newton steps (2000 in double precision); when one does not converge the fit
// gives up at once (converged is false and the stressed words of sio2 stay zero). Single
// precision stops when both permittivity residuals are below 1e-6, double below 1e-13.
//   bir_fit(0.0f) -> converged, u = v = 0 after one evaluation each, stressed = unstressed
template <class R>
stress_fit_t<R> bir_fit(R s);

}  // namespace optconst
