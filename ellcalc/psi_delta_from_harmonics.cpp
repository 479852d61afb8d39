#include "ellcalc/psi_delta_from_harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

void psi_delta_from_harmonics(const float& H2C, const float& H2S, const float& H4C, const float& H4S,
                              const float& Rs, const float& pol, const float& bir, const float& rot,
                              const float& ref, const float& ana, float& psa, float& dea) {
  const instrument_angles a = to_radians(pol, bir, rot, ref, ana);
  float e, f, g, h;
  instrument_factors(Rs, bir, ana, e, f, g, h);
  const double s2t = std::sin(double{a.theta2});
  const double c2t = std::cos(double{a.theta2});
  const double s4t = std::sin(double{a.theta4});
  const double c4t = std::cos(double{a.theta4});

  // tan Psi from cos th4 H4C - sin th4 H4S = f J + h.
  const float k = stored(std::sqrt(std::fabs((s4t * H4S + h - c4t * H4C) / f)));
  psa = stored(std::atan(double{k}) / deg);

  // Sine of Delta from w2 = e tau sin Delta.
  const double m2 = std::fabs(std::sqrt(double{H2S} * H2S + double{H2C} * H2C) / e / k);
  const double q2 = std::fabs(s2t) < 0.05 ? (H2S / double{e} / k) / c2t : (H2C / double{e} / k) / s2t;
  const float sine = signed_like(m2, q2);

  // Cosine of Delta from sin th4 H4C + cos th4 H4S = g tau cos Delta.
  const float mm = stored(double{k} * k * f + h);
  const float u = stored(H4C - c4t * mm);
  const float v = stored(s4t * mm + H4S);
  const double m4 = std::fabs(std::sqrt(double{u} * u + double{v} * v) / g / k);
  const double q4 = std::fabs(c4t) < 0.05 ? (u / double{g} / k) / s4t : (v / double{g} / k) / c4t;
  const float cosine = signed_like(m4, q4);

  dea = stored(std::atan2(double{sine}, double{cosine}) / deg);
}

}  // namespace ellcalc
