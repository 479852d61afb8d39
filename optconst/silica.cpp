#include "optconst/silica.hpp"

#include <cmath>

namespace optconst {

template <class R>
R sellmeier(const silica_block<R>& sio2, double lsq, int pairs, int squares) {
  const auto term = [&](int k) {
    return double{sio2[pairs + 2 * k]} * lsq / (lsq - double{sio2[squares + k]});
  };
  return stored<R>(1.0 + term(0) + term(1) + term(2));
}

template <class R>
R wavelength_squared(R en) {
  const double l = q / double{en};
  return stored<R>(l * l);
}

template <class R>
R silica(R en) {
  return sellmeier<R>(unstressed_silica_of<R>, wavelength_squared<R>(en), unstressed_pairs, unstressed_squares);
}

template <class R>
R silica_voids(R es, R f) {
  const R b = stored<R>(0.75 * double{f} * (double{es} - 1.0) + 0.25 - double{es} / 2.0);
  return stored<R>(std::sqrt(double{b} * double{b} + double{es} / 2.0) - double{b});
}

#define OPTCONST_SILICA(R)                                               \
  template R sellmeier<R>(const silica_block<R>&, double, int, int); \
  template R wavelength_squared<R>(R);                                  \
  template R silica<R>(R);                                              \
  template R silica_voids<R>(R, R);
OPTCONST_SILICA(float)
OPTCONST_SILICA(double)

}  // namespace optconst
