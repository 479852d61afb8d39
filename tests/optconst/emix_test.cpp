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

// Left side of the effective-medium equation at e.
double residual(cplx ea, cplx eb, double f, cplx e) {
  const cplx_d a = (1.0 - f) * (cplx_d(ea) - e) / (cplx_d(ea) + 2.0 * cplx_d(e));
  const cplx_d b = f * (cplx_d(eb) - e) / (cplx_d(eb) + 2.0 * cplx_d(e));
  return console::modulus(a + b);
}

TEST(Emix, EndFractionsGiveTheComponents) {
  const cplx si{15.06118f, -0.15106f};
  const cplx al{-48.1425f, -17.15329f};
  const cplx vac{1.0f, 0.0f};
  for (cplx ea : {si, al, cplx{2.1229f, 0.0f}}) {
    const cplx a = emix(ea, vac, 0.0f);
    EXPECT_FLOAT_EQ(a.re, ea.re);
    EXPECT_NEAR(a.im, ea.im, 1e-6);
    const cplx b = emix(ea, vac, 1.0f);
    EXPECT_FLOAT_EQ(b.re, 1.0f);
    EXPECT_NEAR(b.im, 0.0f, 1e-6);
  }
  const cplx c = emix(si, al, 1.0f);
  EXPECT_FLOAT_EQ(c.re, al.re);
  EXPECT_FLOAT_EQ(c.im, al.im);
}

TEST(Emix, PicksThePhysicalRoot) {
  // Both roots solve the equation; the one returned lies near the linear average.
  cplx ea{};
  sea(static_cast<float>(1239.854 / double{632.8f}), ea, {0.0f, 0.0f});  // amorphous Si, 632.8 nm
  const cplx eb{1.0f, 0.0f};
  for (float f : {0.1f, 0.3f, 0.5f, 0.7f, 0.9f}) {
    const cplx e = emix(ea, eb, f);
    EXPECT_LT(residual(ea, eb, f, e), 1e-5) << f;
    EXPECT_GT(e.re, 1.0f) << f;
    EXPECT_LT(e.re, ea.re) << f;
    EXPECT_LE(e.im, 0.0f) << f;
  }
  const cplx half = emix(ea, eb, 0.5f);
  EXPECT_EQ(f5(half.re), "6.82341");
  EXPECT_EQ(f5(half.im), "-0.56496");
  // A metal with a dielectric: the other root, r2, is the nearer one here.
  const cplx m = emix(cplx{-48.1425f, -17.15329f}, cplx{2.1229f, 0.0f}, 0.5f);
  EXPECT_LT(residual({-48.1425f, -17.15329f}, {2.1229f, 0.0f}, 0.5, m), 1e-5);
  EXPECT_LT(m.im, 0.0f);
}

TEST(Emix, FractionsOutsideZeroToOneExtrapolate) {
  const cplx e = emix(cplx{4.0f, 0.0f}, cplx{1.0f, 0.0f}, -0.2f);
  EXPECT_GT(e.re, 4.0f);
  EXPECT_LT(residual({4.0f, 0.0f}, {1.0f, 0.0f}, -0.2, e), 1e-5);
}

TEST(Emix, NotANumberDistanceTakesTheSecondRoot) {
  // With an infinite component both distances are NaN: the result is -B - R, whatever
  // it holds, and the call stays defined.
  const float inf = std::numeric_limits<float>::infinity();
  const cplx e = emix(cplx{inf, 0.0f}, cplx{1.0f, 0.0f}, 0.5f);
  EXPECT_TRUE(std::isnan(e.re) || std::isinf(e.re));
}

}  // namespace
}  // namespace optconst
