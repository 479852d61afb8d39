#include "optconst/silica.hpp"

#include <cmath>

namespace optconst {

float sellmeier(const silica_coefficients& sio2, const double& lsq, const int& pairs, const int& squares) {
  const auto term = [&](int k) {
    return double{sio2[pairs + 2 * k]} * lsq / (lsq - double{sio2[squares + k]});
  };
  return stored(1.0 + term(0) + term(1) + term(2));
}

float wavelength_squared(const float& en) {
  const double l = q / double{en};
  return stored(l * l);
}

float silica(const float& en) {
  return sellmeier(unstressed_silica, wavelength_squared(en), unstressed_pairs, unstressed_squares);
}

float silica_voids(const float& es, const float& f) {
  const float b = stored(0.75 * double{f} * (double{es} - 1.0) + 0.25 - double{es} / 2.0);
  return stored(std::sqrt(double{b} * double{b} + double{es} / 2.0) - double{b});
}

}  // namespace optconst
