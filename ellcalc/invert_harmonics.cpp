#include "ellcalc/invert_harmonics.hpp"

#include <cmath>

#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

void invert_harmonics(const float& h2p, const float& h2d, const float& h4p, const float& h4d, const float& pol,
                      const float& bir, const float& rot, const float& ref, const float& ana, float& ps, float& de,
                      float& disc) {
  const instrument_angles a = to_radians(pol, bir, rot, ref, ana);
  const float hp2 = stored(h2d * deg);
  const float hp4 = stored(h4d * deg);

  // Factors at unit s-reflectance: the unknown scale s is 1 / Rs of the sample.
  const float unit = 1.0f;
  float e, f, g, h;
  instrument_factors(unit, bir, ana, e, f, g, h);

  const float h2s = stored(std::sin(double{hp2}) * h2p);
  const float h2c = stored(std::cos(double{hp2}) * h2p);
  const float h4s = stored(std::sin(double{hp4}) * h4p);
  const float h4c = stored(std::cos(double{hp4}) * h4p);

  const double s2t = std::sin(double{a.theta2});
  const double c2t = std::cos(double{a.theta2});
  const double s4t = std::sin(double{a.theta4});
  const double c4t = std::cos(double{a.theta4});

  // s = u J + v.
  const float d = stored(c4t * h4c - s4t * h4s);
  const float u = stored(double{f} / d);
  const float v = stored(double{h} / d);

  const float t1 = stored(h4c * double{u} - c4t * f);
  const float t2 = stored(s4t * f + h4s * double{u});
  const float t3 = stored(h4c * double{v} - c4t * h);
  const float t4 = stored(s4t * h + h4s * double{v});
  const float sq = stored(double{h2c} * h2c + double{h2s} * h2s);

  // cos^2 Delta + sin^2 Delta = 1 as a quadratic in J.
  const double gg = double{g} * g;
  const double ee = double{e} * e;
  const float c2 = stored((double{t2} * t2 + double{t1} * t1) / gg + sq * ((double{u} / e) * (double{u} / e)));
  const float c1 = stored(2.0 * ((double{t4} * t2 + double{t3} * t1) / gg + sq * (double{u} * v) / ee) - 1.0);
  const float c0 = stored((double{t4} * t4 + double{t3} * t3) / gg + sq * ((double{v} / e) * (double{v} / e)));

  disc = stored(double{c1} * c1 - (double{c0} * 4.0) * c2);
  if (disc < 0.0f) return;

  const double root = std::sqrt(double{disc});
  const float jm = stored(((-double{c1} - root) / 2.0) / c2);
  const float jp = stored(((root - c1) / 2.0) / c2);
  const float sm = stored(double{u} * jm + v);
  const float sp = stored(double{u} * jp + v);
  const float j = sp > 0.0f ? jp : jm;
  const float s = sp > 0.0f ? sp : sm;

  const float k = stored(std::sqrt(double{j}));
  ps = stored(std::atan(double{k}) / deg);

  const double m2 = std::fabs(std::sqrt(double{h2s} * h2s + double{h2c} * h2c) * s / e / k);
  const double q2 = std::fabs(s2t) < 0.05 ? (s * double{h2s} / e / k) / c2t : (s * double{h2c} / e / k) / s2t;
  const float sine = signed_like(m2, q2);
  const float cosine = stored((c4t * h4s + s4t * h4c) * s / g / k);

  de = stored(std::atan2(double{sine}, double{cosine}) / deg);
}

}  // namespace ellcalc
