#include "optconst/stress_fit.hpp"

#include <cmath>

#include "optconst/real.hpp"

namespace optconst {

namespace {

// Stress-optic coefficients (per MPa) at the two reference wavelengths: direct c1,
// transverse c2.
constexpr double c1[2] = {-6.2e-07, -6.8e-07};
constexpr double c2[2] = {-4.28e-06, -4.19e-06};

// Newton fit of (U, V) for one polarisation to the target permittivities t at the two
// reference wavelengths. Returns false when the residuals stay above the tolerance after
// more than the evaluations allowed.
template <class R>
bool fit_one(const std::array<R, 2>& target, R& uu, R& vv, int& count) {
  using traits = real_traits<R>;
  const silica_block<R>& c = unstressed_silica_of<R>;
  const double b1 = c[0];
  const double cc1 = c[1];
  const double b2 = c[2];
  const double cc2 = c[3];
  const double b3 = c[4];
  const double c3sq = c[8];
  uu = 0;
  vv = 0;
  count = 0;
  for (;;) {
    R f[2];
    R g[2][2];
    const R l1 = stored<R>(q / (q / cc1 + double{uu}));
    const R l2 = stored<R>(q / (q / cc2 + double{uu}));
    const double l1sq = double{l1} * double{l1};
    const double l2sq = double{l2} * double{l2};
    for (int j = 0; j < 2; ++j) {
      const double lj = traits::lref[j];
      const R sj = stored<R>(b1 * lj / (lj - l1sq) + b2 * lj / (lj - l2sq) + b3 * lj / (lj - c3sq));
      f[j] = stored<R>(double{sj} * (1.0 + double{vv}) + 1.0 - double{target[j]});
      g[j][0] = stored<R>(-2.0 * (1.0 + double{vv}) *
                       (b1 * double{l1} * l1sq / q / ((lj - l1sq) * (lj - l1sq)) +
                        b2 * double{l2} * l2sq / q / ((lj - l2sq) * (lj - l2sq))));
      g[j][1] = sj;
    }
    ++count;
    if (std::fabs(double{f[0]}) < traits::fit_tolerance && std::fabs(double{f[1]}) < traits::fit_tolerance) return true;
    if (count > traits::fit_evaluations) return false;
    const R det = stored<R>(double{g[0][0]} * g[1][1] - double{g[0][1]} * g[1][0]);
    uu = stored<R>(double{uu} - (double{g[1][1]} * f[0] - double{g[0][1]} * f[1]) / det);
    vv = stored<R>(double{vv} - (double{g[0][0]} * f[1] - double{g[1][0]} * f[0]) / det);
  }
}

}  // namespace

template <class R>
stress_fit_t<R> bir_fit(R s) {
  using traits = real_traits<R>;
  stress_fit_t<R> out;
  // Target permittivities: T(1, j) for light polarised normal to the layer, T(2, j) in
  // its plane, from the unstressed index at each reference wavelength.
  std::array<std::array<R, 2>, 2> target{};
  for (int j = 0; j < 2; ++j) {
    const R e0 = sellmeier<R>(unstressed_silica_of<R>, traits::lref[j], unstressed_pairs, unstressed_squares);
    const R nr = stored<R>(std::sqrt(double{e0}));
    const double dn1 = 2.0 * c2[j] * double{s};
    const double dn2 = (c1[j] + c2[j]) * double{s};
    target[0][j] = stored<R>((double{nr} + dn1) * (double{nr} + dn1));
    target[1][j] = stored<R>((double{nr} + dn2) * (double{nr} + dn2));
  }
  for (int i = 0; i < 2; ++i) {
    if (!fit_one<R>(target[i], out.u[i], out.v[i], out.evaluations[i])) return out;
  }
  silica_block<R>& sio2 = out.sio2;
  for (int i = 0; i < 2; ++i) {
    const int p = stressed_pairs[i];
    const int sq = stressed_squares[i];
    const double scale = 1.0 + double{out.v[i]};
    for (int k = 0; k < 3; ++k) sio2[p + 2 * k] = stored<R>(scale * double{sio2[2 * k]});
    for (int k = 0; k < 2; ++k) {
      sio2[p + 2 * k + 1] = stored<R>(q / (q / double{sio2[2 * k + 1]} + double{out.u[i]}));
    }
    sio2[p + 5] = sio2[5];
    for (int k = 0; k < 3; ++k) {
      sio2[sq + k] = stored<R>(double{sio2[p + 2 * k + 1]} * double{sio2[p + 2 * k + 1]});
    }
  }
  out.converged = true;
  return out;
}

template stress_fit_t<float> bir_fit<float>(float);
template stress_fit_t<double> bir_fit<double>(double);

}  // namespace optconst
