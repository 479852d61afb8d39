#include "ellcalc/invert_harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
harmonics_inversion<R> invert_harmonics(R h2p, R h2d, R h4p, R h4d, R pol, R bir, R rot, R ref, R ana, R ps,
                                        R de) {
  constexpr double deg = real_traits<R>::deg;
  const instrument_angles<R> a = to_radians<R>(pol, bir, rot, ref, ana);
  const R hp2 = stored<R>(h2d * deg);
  const R hp4 = stored<R>(h4d * deg);

  // Factors at unit s-reflectance: the unknown scale s is 1 / Rs of the sample.
  const R unit = 1;
  const instrument_factor_set<R> fs = instrument_factors<R>(unit, bir, ana);
  const R e = fs.e, f = fs.f, g = fs.g, h = fs.h;

  const R h2s = stored<R>(std::sin(double{hp2}) * h2p);
  const R h2c = stored<R>(std::cos(double{hp2}) * h2p);
  const R h4s = stored<R>(std::sin(double{hp4}) * h4p);
  const R h4c = stored<R>(std::cos(double{hp4}) * h4p);

  const double s2t = std::sin(double{a.theta2});
  const double c2t = std::cos(double{a.theta2});
  const double s4t = std::sin(double{a.theta4});
  const double c4t = std::cos(double{a.theta4});

  // s = u J + v.
  const R d = stored<R>(c4t * h4c - s4t * h4s);
  const R u = stored<R>(double{f} / d);
  const R v = stored<R>(double{h} / d);

  const R t1 = stored<R>(h4c * double{u} - c4t * f);
  const R t2 = stored<R>(s4t * f + h4s * double{u});
  const R t3 = stored<R>(h4c * double{v} - c4t * h);
  const R t4 = stored<R>(s4t * h + h4s * double{v});
  const R sq = stored<R>(double{h2c} * h2c + double{h2s} * h2s);

  // cos^2 Delta + sin^2 Delta = 1 as a quadratic in J.
  const double gg = double{g} * g;
  const double ee = double{e} * e;
  const R c2 = stored<R>((double{t2} * t2 + double{t1} * t1) / gg + sq * ((double{u} / e) * (double{u} / e)));
  const R c1 = stored<R>(2.0 * ((double{t4} * t2 + double{t3} * t1) / gg + sq * (double{u} * v) / ee) - 1.0);
  const R c0 = stored<R>((double{t4} * t4 + double{t3} * t3) / gg + sq * ((double{v} / e) * (double{v} / e)));

  harmonics_inversion<R> out{ps, de, stored<R>(double{c1} * c1 - (double{c0} * 4.0) * c2)};
  if (out.disc < R{0}) return out;

  const double root = std::sqrt(double{out.disc});
  const R jm = stored<R>(((-double{c1} - root) / 2.0) / c2);
  const R jp = stored<R>(((root - c1) / 2.0) / c2);
  const R sm = stored<R>(double{u} * jm + v);
  const R sp = stored<R>(double{u} * jp + v);
  const R j = sp > R{0} ? jp : jm;
  const R s = sp > R{0} ? sp : sm;

  const R k = stored<R>(std::sqrt(double{j}));
  out.ps = stored<R>(std::atan(double{k}) / deg);

  const double m2 = std::fabs(std::sqrt(double{h2s} * h2s + double{h2c} * h2c) * s / e / k);
  const double q2 = std::fabs(s2t) < 0.05 ? (s * double{h2s} / e / k) / c2t : (s * double{h2c} / e / k) / s2t;
  const R sine = signed_like<R>(m2, q2);
  const R cosine = stored<R>((c4t * h4s + s4t * h4c) * s / g / k);

  out.de = stored<R>(std::atan2(double{sine}, double{cosine}) / deg);
  return out;
}

template harmonics_inversion<float> invert_harmonics<float>(float, float, float, float, float, float, float, float,
                                                            float, float, float);
template harmonics_inversion<double> invert_harmonics<double>(double, double, double, double, double, double, double,
                                                              double, double, double, double);

}  // namespace ellcalc
