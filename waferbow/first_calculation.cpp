#include "waferbow/first_calculation.hpp"

#include "waferbow/units.hpp"

namespace waferbow {

double radius_of_bow(const double& f, const double& d) {
  const double fm = f * um;
  return ((fm * fm) + (d * d) / 4) / 2 / fm;
}

void first_calculation(const double& f, const double& d, const double& d1, const double& d2, const double& p1,
                       const double& p2, const double& t, first_state& s, stress_report& r) {
  first_calculation_at(radius_of_bow(f, d), d1, d2, p1, p2, t, s, r);
}

void first_calculation_at(const double& rad, const double& d1, const double& d2, const double& p1, const double& p2,
                          const double& t, first_state& s, stress_report& r) {
  const double h1 = d1 * um;
  const double h2 = d2 * um;
  s.e1 = p1 * modulus_unit;
  s.e2 = p2 * modulus_unit;

  const double k1 = s.e1 * h1;
  const double k2 = s.e2 * h2;
  s.c1 = (rad - h2) - h1 / 2;
  s.c2 = rad - h2 / 2;

  const double moment = (s.c2 - s.c1) * k1 + (k2 * h2 * h2 / 12 / s.c2) * (k1 / k2 + 1);
  const double mt = t + moment;

  s.r1 = ((s.c2 - s.c1) * s.c1 + h2 * h2 * s.c1 / 12 / s.c2 - h1 * h1 / 12) * k1 / mt;
  s.r2 = s.c2 / (1 - (k1 / k2) * (s.c1 / s.r1 - 1));

  const double e1i = ((rad - h2) - s.r1) / s.r1;
  const double e1s = (((rad - h2) - h1) - s.r1) / s.r1;
  const double e2i = ((rad - h2) - s.r2) / s.r2;
  const double e2s = (rad - s.r2) / s.r2;

  const double w1 = k1 / s.r1 / s.r1 * ((s.c1 - s.r1) * (s.c1 - s.r1) + h1 * h1 / 12) * mega;
  const double w2 = k2 / s.r2 / s.r2 * ((s.c2 - s.r2) * (s.c2 - s.r2) + h2 * h2 / 12) * mega;

  r = {rad,          mt,           s.r1 - rad, s.r2 - rad, s.e1 * e1i, s.e1 * e1s, s.e2 * e2i,
       s.e2 * e2s,   e1i,          e1s,        e2i,        e2s,        w1,         w2};
}

}  // namespace waferbow
