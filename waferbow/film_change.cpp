#include "waferbow/film_change.hpp"

#include <cmath>

#include "waferbow/measured_stress.hpp"
#include "waferbow/units.hpp"

namespace waferbow {

continue_prediction bare_wafer(const first_state& s, const double& h1, const double& m, const double& d,
                               const double& f0) {
  const double a = s.e1 * h1;
  // The moment condition of the silicon alone, a h1^2/12 + m y = 0, at its mid-plane
  // radius x = y; no moment leaves it flat (a curvature of +0, an infinite radius).
  const double bending = -(m * 12) / (a * h1 * h1);
  const double curvature = bending == 0 ? 0.0 : bending;
  const double y = 1 / curvature;
  const double rad = y + h1 / 2;
  const double e1i = h1 / 2 * curvature;
  const double e1s = -e1i;
  const double nan = std::nan("");

  continue_prediction p{};
  p.g = {y, rad, y, nan, nan, nan};
  p.bow = bow_with_initial(rad, f0, d);
  p.report = {rad,  m + a * (h1 / 2), -h1 / 2, nan, s.e1 * e1i, s.e1 * e1s, nan, nan,
              e1i,  e1s,              nan,     nan, a * (h1 * h1 / 12) * curvature * curvature * mega, 0.0};
  p.regressions = 0;
  p.settled = std::isfinite(curvature) && std::isfinite(p.report.moment);
  return p;
}

namespace {

// Whether the silica h2 (m), positive, is below vanishing_film of the first state's.
bool film_gone(const first_state& s, const double& h2) {
  double h1_first = 0.0;
  double h2_first = 0.0;
  first_thicknesses(s, h1_first, h2_first);
  return h2 < h2_first * vanishing_film;
}

}  // namespace

film_change predict_film_change(const first_state& s, const double& h1, const double& h2, const double& t,
                                const double& d, const double& f0, vector3& xs) {
  const auto without_film = [&] { return film_change{bare_wafer(s, h1, t, d, f0), std::nan("")}; };
  if (h2 == 0) return without_film();
  film_change c{predict_continue_pass(s, h1, h2, t, d, xs), 0.0};
  if (!c.pass.settled && h2 > 0 && film_gone(s, h2)) return without_film();
  if (f0 != 0) c.pass.bow = bow_with_initial(c.pass.report.radius, f0, d);
  c.stress_stoney = stoney_stress(s.e1, h1, h2, c.pass.report.radius);
  return c;
}

}  // namespace waferbow
