#include "optconst/stress_fit.hpp"

#include <cmath>

namespace optconst {

namespace {

// Stress-optic coefficients (per MPa) at the two reference wavelengths: direct c1,
// transverse c2.
constexpr double c1[2] = {-6.2e-07, -6.8e-07};
constexpr double c2[2] = {-4.28e-06, -4.19e-06};
// Squares (um^2) of the reference wavelengths 0.4358 and 0.6438 um.
constexpr double lref[2] = {0.18992163, 0.41447848};
constexpr double tolerance = 1e-06;
constexpr int max_evaluations = 500;

// Newton fit of (U, V) for one polarisation to the target permittivities t at the two
// reference wavelengths. Returns false when the residuals stay above the tolerance after
// more than max_evaluations evaluations.
bool fit_one(const std::array<float, 2>& target, float& uu, float& vv, int& count) {
  const silica_coefficients& c = unstressed_silica;
  const double b1 = c[0];
  const double cc1 = c[1];
  const double b2 = c[2];
  const double cc2 = c[3];
  const double b3 = c[4];
  const double c3sq = c[8];
  uu = 0.0f;
  vv = 0.0f;
  count = 0;
  for (;;) {
    float f[2];
    float g[2][2];
    const float l1 = stored(q / (q / cc1 + double{uu}));
    const float l2 = stored(q / (q / cc2 + double{uu}));
    const double l1sq = double{l1} * double{l1};
    const double l2sq = double{l2} * double{l2};
    for (int j = 0; j < 2; ++j) {
      const double lj = lref[j];
      const float sj = stored(b1 * lj / (lj - l1sq) + b2 * lj / (lj - l2sq) + b3 * lj / (lj - c3sq));
      f[j] = stored(double{sj} * (1.0 + double{vv}) + 1.0 - double{target[j]});
      g[j][0] = stored(-2.0 * (1.0 + double{vv}) *
                       (b1 * double{l1} * l1sq / q / ((lj - l1sq) * (lj - l1sq)) +
                        b2 * double{l2} * l2sq / q / ((lj - l2sq) * (lj - l2sq))));
      g[j][1] = sj;
    }
    ++count;
    if (std::fabs(double{f[0]}) < tolerance && std::fabs(double{f[1]}) < tolerance) return true;
    if (count > max_evaluations) return false;
    const float det = stored(double{g[0][0]} * g[1][1] - double{g[0][1]} * g[1][0]);
    uu = stored(double{uu} - (double{g[1][1]} * f[0] - double{g[0][1]} * f[1]) / det);
    vv = stored(double{vv} - (double{g[0][0]} * f[1] - double{g[1][0]} * f[0]) / det);
  }
}

}  // namespace

stress_fit bir_fit(const float& s) {
  stress_fit out;
  // Target permittivities: T(1, j) for light polarised normal to the layer, T(2, j) in
  // its plane, from the unstressed index at each reference wavelength.
  std::array<std::array<float, 2>, 2> target{};
  for (int j = 0; j < 2; ++j) {
    const float e0 = sellmeier(unstressed_silica, lref[j], unstressed_pairs, unstressed_squares);
    const float nr = stored(std::sqrt(double{e0}));
    const double dn1 = 2.0 * c2[j] * double{s};
    const double dn2 = (c1[j] + c2[j]) * double{s};
    target[0][j] = stored((double{nr} + dn1) * (double{nr} + dn1));
    target[1][j] = stored((double{nr} + dn2) * (double{nr} + dn2));
  }
  for (int i = 0; i < 2; ++i) {
    if (!fit_one(target[i], out.u[i], out.v[i], out.evaluations[i])) return out;
  }
  silica_coefficients& sio2 = out.sio2;
  for (int i = 0; i < 2; ++i) {
    const int p = stressed_pairs[i];
    const int sq = stressed_squares[i];
    const double scale = 1.0 + double{out.v[i]};
    for (int k = 0; k < 3; ++k) sio2[p + 2 * k] = stored(scale * double{sio2[2 * k]});
    for (int k = 0; k < 2; ++k) {
      sio2[p + 2 * k + 1] = stored(q / (q / double{sio2[2 * k + 1]} + double{out.u[i]}));
    }
    sio2[p + 5] = sio2[5];
    for (int k = 0; k < 3; ++k) {
      sio2[sq + k] = stored(double{sio2[p + 2 * k + 1]} * double{sio2[p + 2 * k + 1]});
    }
  }
  out.converged = true;
  return out;
}

}  // namespace optconst
