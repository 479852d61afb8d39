#include "optconst/constants.hpp"

#include "optconst/ceps.hpp"

namespace optconst {

using console::cplx_of;

template <class R>
R energy_of_wavelength(R w) {
  return stored<R>(hc / double{w});
}

template <class R>
R wavelength_of_energy(R en) {
  return stored<R>(hc / double{en});
}

template <class R>
wavelength_energy_t<R> wavelength_answer(R answer) {
  if (answer < R{30}) return {wavelength_of_energy<R>(answer), answer};
  return {answer, energy_of_wavelength<R>(answer)};
}

template <class R>
R silica_fraction_of_x(R x) {
  return stored<R>(1.55 * double{x} / (0.55 * double{x} + 2.0));
}

template <class R>
R x_of_silica_fraction(R v) {
  return stored<R>(2.0 * double{v} / (1.55 - 0.55 * double{v}));
}

template <class R>
optical_constants_t<R> constants_at(const std::array<R, 2>& fr, R en, std::int32_t nat, const silica_block<R>& sio2) {
  optical_constants_t<R> out{};
  out.eps = ceps<R>(fr, en, nat, sio2);
  out.index[0] = console::csqrt<R>(out.eps[0]);
  out.index[1] = console::csqrt<R>(out.eps[1]);
  return out;
}

#define OPTCONST_CONSTANTS(R)                                                                                    \
  template R energy_of_wavelength<R>(R);                                                                         \
  template R wavelength_of_energy<R>(R);                                                                         \
  template wavelength_energy_t<R> wavelength_answer<R>(R);                                                       \
  template R silica_fraction_of_x<R>(R);                                                                         \
  template R x_of_silica_fraction<R>(R);                                                                         \
  template optical_constants_t<R> constants_at<R>(const std::array<R, 2>&, R, std::int32_t, const silica_block<R>&);
OPTCONST_CONSTANTS(float)
OPTCONST_CONSTANTS(double)

}  // namespace optconst
