#include "ellcalc/instrument_angles.hpp"

#include "ellcalc/real.hpp"

namespace ellcalc {

instrument_angles to_radians(const float& pol, const float& bir, const float& rot, const float& ref,
                             const float& ana) {
  instrument_angles a{};
  a.p = stored(pol * deg);
  a.delta = stored(bir * deg);
  a.rho = stored(rot * deg);
  a.t = stored(ref * deg);
  a.alpha = stored(ana * deg);
  a.theta2 = stored(2.0 * (double{a.t} - a.p - a.rho));
  a.theta4 = stored(2.0 * (2.0 * a.t - a.p - a.rho));
  return a;
}

}  // namespace ellcalc
