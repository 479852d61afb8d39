#include "ellcalc/instrument_factors.hpp"

#include <cmath>

#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
instrument_factor_set<R> instrument_factors(R Rs, R bir, R ana) {
  const R delta = stored<R>(bir * real_traits<R>::deg);
  const R alpha = stored<R>(ana * real_traits<R>::deg);
  const double sin2a = std::sin(2.0 * alpha);
  const double cos2a = std::cos(2.0 * alpha);
  const double one_minus_cos = 1.0 - std::cos(double{delta});
  return {stored<R>(std::sin(double{delta}) * (sin2a * Rs)),
          stored<R>(one_minus_cos * ((cos2a + 1.0) * Rs / 2.0) / 2.0),
          stored<R>(one_minus_cos * (sin2a * Rs) / 2.0),
          stored<R>(one_minus_cos * ((cos2a - 1.0) * Rs / 2.0) / 2.0)};
}

template instrument_factor_set<float> instrument_factors<float>(float, float, float);
template instrument_factor_set<double> instrument_factors<double>(double, double, double);

}  // namespace ellcalc
