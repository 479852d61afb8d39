#include "optconst/constants.hpp"

#include "optconst/ceps.hpp"

namespace optconst {

float energy_of_wavelength(const float& w) { return stored(hc / double{w}); }

float wavelength_of_energy(const float& en) { return stored(hc / double{en}); }

wavelength_energy wavelength_answer(const float& answer) {
  if (answer < 30.0f) return {wavelength_of_energy(answer), answer};
  return {answer, energy_of_wavelength(answer)};
}

float silica_fraction_of_x(const float& x) { return stored(1.55 * double{x} / (0.55 * double{x} + 2.0)); }

float x_of_silica_fraction(const float& v) { return stored(2.0 * double{v} / (1.55 - 0.55 * double{v})); }

optical_constants constants_at(const std::array<float, 2>& fr, const float& en, const std::int32_t& nat,
                               const silica_coefficients& sio2) {
  optical_constants out{};
  ceps(fr, en, nat, sio2, out.eps);
  out.index[0] = console::csqrt(out.eps[0]);
  out.index[1] = console::csqrt(out.eps[1]);
  return out;
}

}  // namespace optconst
