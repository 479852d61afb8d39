#pragma once

#include <array>

#include "optconst/silica.hpp"

namespace optconst {

// Outcome of the stress fit, per polarisation (1: light polarised normal to the layer,
// 2: in its plane).
struct stress_fit {
  bool converged = false;
  std::array<float, 2> u{};           // shift of the first two resonance energies, eV
  std::array<float, 2> v{};           // relative change of the oscillator strengths
  std::array<int, 2> evaluations{};  // residual evaluations used
  silica_coefficients sio2 = unstressed_silica;  // words 10-27 fitted when converged
};

// Fits the stressed Sellmeier coefficients of silica under the equal in-plane stress s
// (MPa) to the stress-optic index changes at 435.8 and 643.8 nm, for both polarisations,
// and returns them in words 10-27 of the block sio2 (words 1-9 are the unstressed ones).
// Each polarisation gets at most 500 Newton steps; when one does not converge the fit
// gives up at once (converged is false and the stressed words of sio2 stay zero).
//   bir_fit(0) -> converged, u = v = 0 after one evaluation each, stressed = unstressed
stress_fit bir_fit(const float& s);

}  // namespace optconst
