// The two-component effective medium: its ends, and which root it takes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "optconst/effective_medium.hpp"
#include "optconst/materials.hpp"

namespace optconst {
namespace {

using console::cplx;
using console::cplx_d;

// Modulus of the left side of the effective-medium equation at e.
double residual(cplx ea, cplx eb, double f, cplx e) {
  const cplx_d a = (1.0 - f) * (cplx_d(ea) - e) / (cplx_d(ea) + 2.0 * cplx_d(e));
  const cplx_d b = f * (cplx_d(eb) - e) / (cplx_d(eb) + 2.0 * cplx_d(e));
  return console::modulus(a + b);
}

TEST(Emix, EndFractionsGiveTheComponents) {
  const cplx vac{1.0f, 0.0f};
  for (cplx ea : {cplx{15.06118f, -0.15106f}, cplx{-48.1425f, -17.15329f}, cplx{2.1229f, 0.0f}}) {
    const cplx a = emix(ea, vac, 0.0f);
    EXPECT_FLOAT_EQ(a.re, ea.re);
    EXPECT_NEAR(a.im, ea.im, 1e-6);
    const cplx b = emix(ea, vac, 1.0f);
    EXPECT_FLOAT_EQ(b.re, 1.0f);
    EXPECT_NEAR(b.im, 0.0f, 1e-6);
  }
}

TEST(Emix, PicksTheRootNearTheLinearAverage) {
  const cplx ea = sea<float>(static_cast<float>(1239.854 / double{632.8f}), {0.0f, 0.0f});  // a-Si, 632.8 nm
  for (float f : {-0.2f, 0.1f, 0.5f, 0.9f}) {
    const cplx e = emix(ea, {1.0f, 0.0f}, f);
    EXPECT_LT(residual(ea, {1.0f, 0.0f}, f, e), 1e-5) << f;
    EXPECT_GT(e.re, 1.0f) << f;
    EXPECT_LE(e.im, 0.0f) << f;
  }
  EXPECT_GT(emix(ea, {1.0f, 0.0f}, -0.2f).re, ea.re);  // extrapolated beyond ea
  // A metal with a dielectric: here -B - R is the nearer root.
  const cplx m = emix({-48.1425f, -17.15329f}, {2.1229f, 0.0f}, 0.5f);
  EXPECT_LT(residual({-48.1425f, -17.15329f}, {2.1229f, 0.0f}, 0.5, m), 1e-5);
  EXPECT_LT(m.im, 0.0f);
  // An infinite component makes both distances NaN: the second root, not finite.
  EXPECT_FALSE(std::isfinite(emix({std::numeric_limits<float>::infinity(), 0.0f}, {1.0f, 0.0f}, 0.5f).re));
}

// The two roots are r1 = R - B and r2 = -B - R. For real components B, the radicand and
// the average are real; a negative radicand makes R imaginary, and the two roots are
// complex conjugates exactly as far from the average: the tie keeps r1, whose imaginary
// part is positive.
TEST(Emix, EqualDistancesKeepTheFirstRoot) {
  const cplx e = emix({-4.0f, 0.0f}, {1.0f, 0.0f}, 0.5f);
  EXPECT_EQ(e.re, -0.375f);
  EXPECT_GT(e.im, 1.36f);
  EXPECT_LT(residual({-4.0f, 0.0f}, {1.0f, 0.0f}, 0.5, e), 1e-6);
}

// An average beyond the single-precision range is infinite while B stays finite; R is
// infinite too, so r1 - average is inf - inf, a NaN distance, and r2 (-inf) is taken.
TEST(Emix, ANaNDistanceTakesTheSecondRoot) {
  const cplx e = emix({3e38f, 0.0f}, {0.0f, 0.0f}, -0.2f);
  EXPECT_EQ(e.re, -std::numeric_limits<float>::infinity());
}

}  // namespace
}  // namespace optconst
