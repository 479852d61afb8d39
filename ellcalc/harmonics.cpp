#include "ellcalc/harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

void harmonics(const float& ps, const float& de, const float& Rs, const float& pol, const float& bir,
               const float& rot, const float& ref, const float& ana, float& H0, float& H2C, float& H2S, float& H2A,
               float& H2P, float& H4C, float& H4S, float& H4A, float& H4P) {
  const instrument_angles a = to_radians(pol, bir, rot, ref, ana);
  const float tau = stored(std::tan(ps * deg));
  const float j = stored(double{tau} * tau);
  const float dl = stored(de * deg);

  const double cos2a = std::cos(2.0 * a.alpha);
  const double sin2a = std::sin(2.0 * a.alpha);
  const double pr2 = 2.0 * (double{a.p} + a.rho);
  const double cosd = std::cos(double{a.delta});
  const double cosdl = std::cos(double{dl});

  H0 = stored((Rs / 2.0) * (((cos2a * (j + 1.0) + (j - 1.0)) * std::cos(pr2) + cosdl * 2.0 * std::sin(pr2) * sin2a * tau) *
                                (cosd + 1.0) / 2.0 +
                            cos2a * (j - 1.0) + (j + 1.0)));

  const float w2 = stored(std::sin(double{a.delta}) * std::sin(double{dl}) * (sin2a * Rs * tau));
  H2C = stored(std::sin(double{a.theta2}) * w2);
  H2S = stored(std::cos(double{a.theta2}) * w2);

  const float q4 = stored((1.0 - cosd) * (Rs / 2.0) / 2.0);
  const float x = stored(cos2a * (j + 1.0) + (j - 1.0));
  const float y = stored(cosdl * 2.0 * sin2a * tau);
  const double s4 = std::sin(double{a.theta4});
  const double c4 = std::cos(double{a.theta4});
  H4C = stored((s4 * y + c4 * x) * q4);
  H4S = stored((c4 * y - s4 * x) * q4);

  H2A = stored(std::sqrt(double{H2C} * H2C + double{H2S} * H2S));
  H2P = stored(std::atan2(double{H2S}, double{H2C}) / deg);
  H4A = stored(std::sqrt(double{H4C} * H4C + double{H4S} * H4S));
  H4P = stored(std::atan2(double{H4S}, double{H4C}) / deg);
}

}  // namespace ellcalc
