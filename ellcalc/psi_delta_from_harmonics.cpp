#include "ellcalc/psi_delta_from_harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
psi_delta_pair<R> psi_delta_from_harmonics(R H2C, R H2S, R H4C, R H4S, R Rs, R pol, R bir, R rot, R ref, R ana) {
  constexpr double deg = real_traits<R>::deg;
  const instrument_angles<R> a = to_radians<R>(pol, bir, rot, ref, ana);
  const instrument_factor_set<R> fs = instrument_factors<R>(Rs, bir, ana);
  const R e = fs.e, f = fs.f, g = fs.g, h = fs.h;
  const double s2t = std::sin(double{a.theta2});
  const double c2t = std::cos(double{a.theta2});
  const double s4t = std::sin(double{a.theta4});
  const double c4t = std::cos(double{a.theta4});

  // tan Psi from cos th4 H4C - sin th4 H4S = f J + h.
  const R k = stored<R>(std::sqrt(std::fabs((s4t * H4S + h - c4t * H4C) / f)));
  const R psa = stored<R>(std::atan(double{k}) / deg);

  // Sine of Delta from w2 = e tau sin Delta.
  const double m2 = std::fabs(std::sqrt(double{H2S} * H2S + double{H2C} * H2C) / e / k);
  const double q2 = std::fabs(s2t) < 0.05 ? (H2S / double{e} / k) / c2t : (H2C / double{e} / k) / s2t;
  const R sine = signed_like<R>(m2, q2);

  // Cosine of Delta from sin th4 H4C + cos th4 H4S = g tau cos Delta.
  const R mm = stored<R>(double{k} * k * f + h);
  const R u = stored<R>(H4C - c4t * mm);
  const R v = stored<R>(s4t * mm + H4S);
  const double m4 = std::fabs(std::sqrt(double{u} * u + double{v} * v) / g / k);
  const double q4 = std::fabs(c4t) < 0.05 ? (u / double{g} / k) / s4t : (v / double{g} / k) / c4t;
  const R cosine = signed_like<R>(m4, q4);

  return {psa, stored<R>(std::atan2(double{sine}, double{cosine}) / deg)};
}

template psi_delta_pair<float> psi_delta_from_harmonics<float>(float, float, float, float, float, float, float,
                                                               float, float, float);
template psi_delta_pair<double> psi_delta_from_harmonics<double>(double, double, double, double, double, double,
                                                                 double, double, double, double);

}  // namespace ellcalc
