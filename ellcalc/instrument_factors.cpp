#include "ellcalc/instrument_factors.hpp"

#include <cmath>

#include "ellcalc/real.hpp"

namespace ellcalc {

void instrument_factors(const float& Rs, const float& bir, const float& ana, float& e, float& f, float& g,
                        float& h) {
  const float delta = stored(bir * deg);
  const float alpha = stored(ana * deg);
  const double sin2a = std::sin(2.0 * alpha);
  const double cos2a = std::cos(2.0 * alpha);
  const double one_minus_cos = 1.0 - std::cos(double{delta});
  e = stored(std::sin(double{delta}) * (sin2a * Rs));
  f = stored(one_minus_cos * ((cos2a + 1.0) * Rs / 2.0) / 2.0);
  g = stored(one_minus_cos * (sin2a * Rs) / 2.0);
  h = stored(one_minus_cos * ((cos2a - 1.0) * Rs / 2.0) / 2.0);
}

}  // namespace ellcalc
