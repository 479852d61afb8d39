#pragma once

#include <array>

namespace optconst {

// Outcome of the stress fit, per polarisation (1: light polarised normal to the layer,
// 2: in its plane).
struct stress_fit {
  bool converged = false;
  std::array<float, 2> u{};           // shift of the first two resonance energies, eV
  std::array<float, 2> v{};           // relative change of the oscillator strengths
  std::array<int, 2> evaluations{};  // residual evaluations used
};

// Fits the stressed Sellmeier coefficients of silica under the equal in-plane stress s
// (MPa) to the stress-optic index changes at 435.8 and 643.8 nm, for both polarisations,
// and writes them into words 10-27 of sio2. Each polarisation gets at most 500 Newton
// steps; when one does not converge the fit gives up at once (converged is false and the
// stressed words are left as they were).
//   bir_fit(0) -> converged, u = v = 0 after one evaluation each, stressed = unstressed
stress_fit bir_fit(const float& s);

}  // namespace optconst
