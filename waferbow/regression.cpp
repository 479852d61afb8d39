#include "waferbow/regression.hpp"

#include <cmath>

namespace waferbow {

namespace {

// The moment condition without the external moment: the bending moments of both layers
// about the centre, times y z (MN.m2).
double internal_moment(const double& a, const double& b, const double& hh, const double& h1sq12,
                       const double& h2sq12, const double& x, const double& y, const double& z) {
  const double u = x - z + hh;
  const double v = x - y;
  return a * z * (v * v + h1sq12) + b * y * (u * (v + hh) + h2sq12);
}

}  // namespace

double balancing_moment(const first_state& s, const double& h1, const double& h2) {
  return -internal_moment(s.e1 * h1, s.e2 * h2, (h1 + h2) / 2, h1 * h1 / 12, h2 * h2 / 12, s.c1, s.r1, s.r2) /
         (s.r1 * s.r2);
}

double moment_mismatch(const first_state& s, const double& h1, const double& h2, const double& m,
                       const regression_result& g) {
  const double a = s.e1 * h1;
  const double b = s.e2 * h2;
  const double h1sq12 = h1 * h1 / 12;
  const double h2sq12 = h2 * h2 / 12;
  const double residual = internal_moment(a, b, (h1 + h2) / 2, h1sq12, h2sq12, g.x, g.y, g.z) / (g.y * g.z) + m;
  const double stiffness = a * h1sq12 + b * h2sq12;
  return std::fabs(residual) / (stiffness / std::fabs(g.x));
}

bool energy_reached(const regression_result& g) { return std::fabs(g.w - g.wx) < g.w / 10000; }

void regression_from(const first_state& s, const double& h1, const double& h2, const double& m, const double& x0,
                     const double& y0, const double& z0, const std::int32_t& limit, vector3& xs, std::int32_t& n,
                     regression_result& res, std::vector<solver_event>& events) {
  const double a = s.e1 * h1;
  const double b = s.e2 * h2;
  const double hh = (h1 + h2) / 2;
  const double h1sq12 = h1 * h1 / 12;
  const double h2sq12 = h2 * h2 / 12;

  // Energy of the first state's deformation carried by the new layers (MPa.m).
  const double w = a / (s.r1 * s.r1) * ((s.c1 - s.r1) * (s.c1 - s.r1) + h1sq12) +
                   b / (s.r2 * s.r2) * ((s.c2 - s.r2) * (s.c2 - s.r2) + h2sq12);

  double x = x0;
  double y = y0;
  double z = z0;
  n = 0;

  for (;;) {
    const double u = x - z + hh;  // new silica mid-plane radius minus z
    const double v = x - y;

    matrix3 mat;
    mat[at(1, 1)] = a * z + b * y;
    mat[at(1, 2)] = u * b - a * z;
    mat[at(1, 3)] = v * a - b * y;
    mat[at(2, 1)] = 2 * a * z * v + b * y * ((2 * x - y - z) + h1 + h2);
    mat[at(2, 2)] = 2 * a * z * (y - x) - b * y * u + (u * (v + hh) + h2sq12) * b + m * z;
    mat[at(2, 3)] = (v * v + h1sq12) * a - b * y * (v + hh) + m * y;
    mat[at(3, 1)] = 2 * a * (z * z) * v + 2 * b * (y * y) * u;
    mat[at(3, 2)] = 2 * a * (z * z) * (y - x) + 2 * b * y * (u + h2sq12) - 2 * w * y * (z * z);
    mat[at(3, 3)] = 2 * a * z * (v * v + h1sq12) - 2 * b * (y * y) * u - 2 * w * (y * y) * z;

    ++n;

    const double f1 = a * z * v + b * y * u;
    const double f2 = internal_moment(a, b, hh, h1sq12, h2sq12, x, y, z) + m * y * z;
    const double f3 = a * (z * z) * (v * v + h1sq12) + b * (y * y) * (u * u + h2sq12) - w * (y * y) * (z * z);
    const double f[3] = {f1, f2, f3};

    vector3 rhs;
    for (int k = 1; k <= 3; ++k)
      rhs[static_cast<std::size_t>(k - 1)] =
          mat[at(k, 1)] * x + mat[at(k, 2)] * y + mat[at(k, 3)] * z - f[k - 1];

    const gaus3_status status = gaus3(mat, rhs, xs);
    if (status != gaus3_status::solved)
      events.push_back({status, status == gaus3_status::singular ? 0.0 : xs[0],
                        status == gaus3_status::no_x3 ? xs[1] : 0.0});
    x = xs[0];
    y = xs[1];
    z = xs[2];

    const double c4 = hh + x;
    const double wx = a / (y * y) * ((x - y) * (x - y) + h1sq12) + b / (z * z) * ((c4 - z) * (c4 - z) + h2sq12);

    // A NaN energy never passes the first test, so such a search runs to the limit.
    res = {x, c4, y, z, w, wx};
    if (energy_reached(res) || n >= limit) break;
  }
}

void regression(const first_state& s, const double& h1, const double& h2, const double& m, vector3& xs,
                std::int32_t& n, regression_result& res, std::vector<solver_event>& events) {
  events.clear();
  regression_from(s, h1, h2, m, s.c1, s.r1, s.r2, max_regressions, xs, n, res, events);
}

}  // namespace waferbow
