#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "figures.hpp"
#include "optconst/effective_medium.hpp"
#include "optconst/materials.hpp"

namespace optconst {
namespace {

using console::cplx;
using console::cplx_d;
using optconst_test::f5;

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
  cplx ea{};
  sea(static_cast<float>(1239.854 / double{632.8f}), ea, {0.0f, 0.0f});  // amorphous Si, 632.8 nm
  for (float f : {-0.2f, 0.1f, 0.5f, 0.9f}) {
    const cplx e = emix(ea, {1.0f, 0.0f}, f);
    EXPECT_LT(residual(ea, {1.0f, 0.0f}, f, e), 1e-5) << f;
    EXPECT_GT(e.re, 1.0f) << f;
    EXPECT_LE(e.im, 0.0f) << f;
  }
  EXPECT_GT(emix(ea, {1.0f, 0.0f}, -0.2f).re, ea.re);  // extrapolated beyond ea
  const cplx half = emix(ea, {1.0f, 0.0f}, 0.5f);
  EXPECT_EQ(f5(half.re), "6.82341");
  EXPECT_EQ(f5(half.im), "-0.56496");
  // A metal with a dielectric: here -B - R is the nearer root.
  const cplx m = emix({-48.1425f, -17.15329f}, {2.1229f, 0.0f}, 0.5f);
  EXPECT_LT(residual({-48.1425f, -17.15329f}, {2.1229f, 0.0f}, 0.5, m), 1e-5);
  EXPECT_LT(m.im, 0.0f);
}

TEST(Emix, KeepsEveryStoredRounding) {
  // A build that loses one of the single-precision roundings of the rule (g++ 12's
  // vectoriser does) prints 13.17322 here.
  cplx e{};
  sea(static_cast<float>(1239.854 / double{794.0f}), e, {0.2f, 0.0f});
  EXPECT_EQ(f5(e.re), "13.17323");
}

TEST(Emix, InfiniteComponentStaysDefined) {
  // Both distances are then not a number and the second root is returned.
  const cplx e = emix({std::numeric_limits<float>::infinity(), 0.0f}, {1.0f, 0.0f}, 0.5f);
  EXPECT_FALSE(std::isfinite(e.re));
}

}  // namespace
}  // namespace optconst
