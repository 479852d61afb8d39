#include "waferbow/prediction.hpp"

#include <cmath>

#include "waferbow/units.hpp"

namespace waferbow {

double sagitta(const double& rad, const double& d) {
  const double qa = 1;
  const double qb = -(rad + rad);
  const double qc = d * d / 4;
  const double disc = qb * qb - (qa * 4) * qc;
  const double root = std::fabs(std::sqrt(disc));
  // The root on the side of the centre; a NaN radius takes the branch of a negative one.
  if (rad >= 0) return (-qb - root) / 2 / qa;
  return (-qb + root) / 2 / qa;
}

void predicted_state(const first_state& s, const double& h1, const double& h2, const double& m, const double& d,
                     const regression_result& g, double& bow, stress_report& r) {
  const double a = s.e1 * h1;
  const double b = s.e2 * h2;
  const double x = g.x;
  const double y = g.y;
  const double z = g.z;
  const double c4 = g.c4;

  const double ci = c4 - h2 / 2;  // interface radius
  const double rad = h2 / 2 + c4;

  const double e1i = (ci - y) / y;
  const double e1s = ((ci - h1) - y) / y;
  const double e2i = (ci - z) / z;
  const double e2s = (rad - z) / z;

  const double w1 = a / (y * y) * ((x - y) * (x - y) + h1 * h1 / 12) * mega;
  const double w2 = b / (z * z) * ((c4 - z) * (c4 - z) + h2 * h2 / 12) * mega;

  const double moment = (c4 - x) * a + (b * h2 * h2 / 12 / c4) * (a / b + 1);
  const double mt = m + moment;

  bow = sagitta(rad, d) * mega;
  r = {rad,        mt,  y - rad, z - rad, s.e1 * e1i, s.e1 * e1s, s.e2 * e2i,
       s.e2 * e2s, e1i, e1s,     e2i,     e2s,        w1,         w2};
}

}  // namespace waferbow
