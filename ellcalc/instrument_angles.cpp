#include "ellcalc/instrument_angles.hpp"

#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
instrument_angles<R> to_radians(R pol, R bir, R rot, R ref, R ana) {
  constexpr double deg = real_traits<R>::deg;
  instrument_angles<R> a{};
  a.p = stored<R>(pol * deg);
  a.delta = stored<R>(bir * deg);
  a.rho = stored<R>(rot * deg);
  a.t = stored<R>(ref * deg);
  a.alpha = stored<R>(ana * deg);
  a.theta2 = stored<R>(2.0 * (double{a.t} - a.p - a.rho));
  a.theta4 = stored<R>(2.0 * (2.0 * a.t - a.p - a.rho));
  return a;
}

template instrument_angles<float> to_radians<float>(float, float, float, float, float);
template instrument_angles<double> to_radians<double>(double, double, double, double, double);

}  // namespace ellcalc
