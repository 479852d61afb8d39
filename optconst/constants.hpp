// The quantities around one request of the optical constants calculator: the photon
// energy and the wavelength, the oxygen content of a sub-oxide, and the result (the
// dielectric function and the complex index of both polarisations). Each is a template on
// the real type R (float or double); with float arguments R is float.
#pragma once

#include <array>
#include <cstdint>

#include "console/complex.hpp"
#include "optconst/silica.hpp"

namespace optconst {

inline constexpr double hc = 1239.854;  // nm eV: energy = hc / wavelength

// Photon energy (eV) of the wavelength w (nm), and the reverse, each stored.
//   energy_of_wavelength(632.8f) -> 1.959314
template <class R>
R energy_of_wavelength(R w);
template <class R>
R wavelength_of_energy(R en);

// The wavelength (nm) and the photon energy (eV) an answer to the wavelength question
// stands for: below 30 it is an energy in eV, otherwise a wavelength in nm (a NaN too).
// The given one is kept as it is; the other is converted.
//   wavelength_answer(632.8f) -> {632.8, 1.959314}     wavelength_answer(2.0f) -> {619.927, 2}
template <class R>
struct wavelength_energy_t {
  R w;
  R en;
};
using wavelength_energy = wavelength_energy_t<float>;
template <class R>
wavelength_energy_t<R> wavelength_answer(R answer);

// The silica volume fraction fr(2) of SiOx for the oxygen content x, and the reverse.
//   x 0 -> 0, x 1 -> 0.6078431, x 2 -> 1
template <class R>
R silica_fraction_of_x(R x);
template <class R>
R x_of_silica_fraction(R v);

// The dielectric functions of both polarisations (ceps) and their complex indices, the
// principal square roots n - ik.
template <class R>
struct optical_constants_t {
  std::array<console::cplx_of<R>, 2> eps;
  std::array<console::cplx_of<R>, 2> index;
};
using optical_constants = optical_constants_t<float>;
template <class R>
optical_constants_t<R> constants_at(const std::array<R, 2>& fr, R en, std::int32_t nat, const silica_block<R>& sio2);

}  // namespace optconst
