#include "ellcalc/harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
harmonics_set_t<R> harmonics(R ps, R de, R Rs, R pol, R bir, R rot, R ref, R ana) {
  constexpr double deg = real_traits<R>::deg;
  harmonics_set_t<R> o{};
  const instrument_angles<R> a = to_radians<R>(pol, bir, rot, ref, ana);
  const R tau = stored<R>(std::tan(ps * deg));
  const R j = stored<R>(double{tau} * tau);
  const R dl = stored<R>(de * deg);

  const double cos2a = std::cos(2.0 * a.alpha);
  const double sin2a = std::sin(2.0 * a.alpha);
  const double pr2 = 2.0 * (double{a.p} + a.rho);
  const double cosd = std::cos(double{a.delta});
  const double cosdl = std::cos(double{dl});

  o.H0 = stored<R>((Rs / 2.0) *
                   (((cos2a * (j + 1.0) + (j - 1.0)) * std::cos(pr2) + cosdl * 2.0 * std::sin(pr2) * sin2a * tau) *
                        (cosd + 1.0) / 2.0 +
                    cos2a * (j - 1.0) + (j + 1.0)));

  const R w2 = stored<R>(std::sin(double{a.delta}) * std::sin(double{dl}) * (sin2a * Rs * tau));
  o.H2C = stored<R>(std::sin(double{a.theta2}) * w2);
  o.H2S = stored<R>(std::cos(double{a.theta2}) * w2);

  const R q4 = stored<R>((1.0 - cosd) * (Rs / 2.0) / 2.0);
  const R x = stored<R>(cos2a * (j + 1.0) + (j - 1.0));
  const R y = stored<R>(cosdl * 2.0 * sin2a * tau);
  const double s4 = std::sin(double{a.theta4});
  const double c4 = std::cos(double{a.theta4});
  o.H4C = stored<R>((s4 * y + c4 * x) * q4);
  o.H4S = stored<R>((c4 * y - s4 * x) * q4);

  o.H2A = stored<R>(std::sqrt(double{o.H2C} * o.H2C + double{o.H2S} * o.H2S));
  o.H2P = stored<R>(std::atan2(double{o.H2S}, double{o.H2C}) / deg);
  o.H4A = stored<R>(std::sqrt(double{o.H4C} * o.H4C + double{o.H4S} * o.H4S));
  o.H4P = stored<R>(std::atan2(double{o.H4S}, double{o.H4C}) / deg);
  return o;
}

template harmonics_set_t<float> harmonics<float>(float, float, float, float, float, float, float, float);
template harmonics_set_t<double> harmonics<double>(double, double, double, double, double, double, double, double);

}  // namespace ellcalc
