// The quantities around one request of the optical constants calculator: the photon
// energy and the wavelength, the oxygen content of a sub-oxide, and the result (the
// dielectric function and the complex index of both polarisations).
#pragma once

#include <array>
#include <cstdint>

#include "console/complex.hpp"
#include "optconst/silica.hpp"

namespace optconst {

inline constexpr double hc = 1239.854;  // nm eV: energy = hc / wavelength

// Photon energy (eV) of the wavelength w (nm), and the reverse, each stored.
//   energy_of_wavelength(632.8) -> 1.959314
float energy_of_wavelength(const float& w);
float wavelength_of_energy(const float& en);

// The wavelength (nm) and the photon energy (eV) an answer to the wavelength question
// stands for: below 30 it is an energy in eV, otherwise a wavelength in nm (a NaN too).
// The given one is kept as it is; the other is converted.
//   wavelength_answer(632.8) -> {632.8, 1.959314}     wavelength_answer(2) -> {619.927, 2}
struct wavelength_energy {
  float w;
  float en;
};
wavelength_energy wavelength_answer(const float& answer);

// The silica volume fraction fr(2) of SiOx for the oxygen content x, and the reverse.
//   x 0 -> 0, x 1 -> 0.6078431, x 2 -> 1
float silica_fraction_of_x(const float& x);
float x_of_silica_fraction(const float& v);

// The dielectric functions of both polarisations (ceps) and their complex indices, the
// principal square roots n - ik.
struct optical_constants {
  std::array<console::cplx, 2> eps;
  std::array<console::cplx, 2> index;
};
optical_constants constants_at(const std::array<float, 2>& fr, const float& en, const std::int32_t& nat,
                               const silica_coefficients& sio2);

}  // namespace optconst
