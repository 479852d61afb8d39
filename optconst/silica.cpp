#include "optconst/silica.hpp"

#include <cmath>

namespace optconst {

std::array<float, 27> sio2 = {
    0.6961663f, 0.0684043f,  0.4079426f, 0.1162414f, 0.8974794f, 9.896161f,  // unstressed pairs
    0.004679148f, 0.01351206f, 97.934f,                                      // their C^2
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,                                      // first polarisation
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,                                      // second polarisation
    0.0f, 0.0f, 0.0f,                                                        // C'^2, first
    0.0f, 0.0f, 0.0f};                                                       // C'^2, second

float sellmeier(const double& lsq, const int& pairs, const int& squares) {
  const auto term = [&](int k) {
    return double{sio2[pairs + 2 * k]} * lsq / (lsq - double{sio2[squares + k]});
  };
  return static_cast<float>(1.0 + term(0) + term(1) + term(2));
}

float wavelength_squared(const float& en) {
  const double l = q / double{en};
  return static_cast<float>(l * l);
}

float silica(const float& en) { return sellmeier(wavelength_squared(en), unstressed_pairs, unstressed_squares); }

float silica_voids(const float& es, const float& f) {
  const float b = static_cast<float>(0.75 * double{f} * (double{es} - 1.0) + 0.25 - double{es} / 2.0);
  return static_cast<float>(std::sqrt(double{b} * double{b} + double{es} / 2.0) - double{b});
}

}  // namespace optconst
