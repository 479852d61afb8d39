#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "figures.hpp"
#include "optconst/cubic.hpp"
#include "optconst/materials.hpp"
#include "optconst/table_lookup.hpp"
#include "optconst/tables.hpp"

namespace optconst {
namespace {

using console::cplx;
using optconst_test::f5;

TEST(Vdot, RoundsAfterEveryAdditionAndHonoursTheStride) {
  // Each quarter-ulp addition to 1 is lost on its own; summed in double first the three
  // would round up to 1 + 2^-23.
  const float tiny = std::ldexp(1.0f, -25);
  const float x[6] = {1.0f, 99.0f, tiny, 99.0f, tiny, 99.0f};
  const float ones[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  float r = -7.0f;
  vdot(r, x, ones, 3, 2);
  EXPECT_EQ(r, 1.0f);
}

TEST(Fcub, NodesMidpointAndTheSingleFinalRounding) {
  const std::array<float, 4> y{1.1f, -2.7f, 13.488f, 0.038f};
  EXPECT_EQ(fcub(-1.5f, y), y[0]);
  EXPECT_EQ(fcub(-0.5f, y), y[1]);
  EXPECT_EQ(fcub(0.5f, y), y[2]);
  EXPECT_EQ(fcub(1.5f, y), y[3]);
  EXPECT_EQ(fcub(0.0f, {1, 2, 3, 4}), 2.5f);
  // 48 * 49.475 rounded to single precision lands on a tie that would print 49.47499.
  const float v = 49.475f;
  EXPECT_EQ(fcub(-0.5f, {v, v, v, v}), v);
}

TEST(Lookup, GridEnergiesGiveTheEntries) {
  for (const table* tb : {&si_crystal, &si_amorphous, &aluminium, &nitride}) {
    for (std::size_t i = 0; i < tb->e1.size(); ++i) {
      const float en = static_cast<float>(tb->ei + static_cast<double>(i) * tb->ps);
      float e1 = 0.0f;
      float e2 = 0.0f;
      lookup(*tb, en, e1, e2);
      // The grid energy itself is rounded to single precision, so t can be off by a little.
      EXPECT_NEAR(e1, tb->e1[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e1[i]))) << "entry " << i + 1;
      EXPECT_NEAR(e2, tb->e2[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e2[i]))) << "entry " << i + 1;
    }
  }
}

TEST(Lookup, CrystallineSiliconAtAndBeyondBothEnds) {
  cplx e{};
  sec(6.05f, e);  // blend of entries 57 and 58
  EXPECT_EQ(f5(e.re), "-7.42562");
  EXPECT_EQ(f5(e.im), "-5.84056");
  for (float en : {6.1f, 6.5f, 40.0f, 1e6f, 3e37f}) {
    sec(en, e);
    EXPECT_EQ(e.re, -7.443f) << en;
    EXPECT_EQ(e.im, -5.877f) << en;
  }
  for (float en : {0.3f, 0.2f, 0.1f, 0.0f, -0.5f, -1000.0f, -1e30f}) {
    sec(en, e);
    EXPECT_EQ(e.re, 11.731f) << en;
    EXPECT_EQ(e.im, 0.0f) << en;
  }
  for (float en : {0.25f, 0.15f}) {  // nodes 1, 1, 1, 2: slightly above entry 1
    sec(en, e);
    EXPECT_EQ(f5(e.re), "11.73356") << en;
  }
}

TEST(Lookup, AluminiumBelowItsGrid) {
  cplx e{};
  for (float en : {0.5f, 0.45f, 0.4f, 0.2f, 0.1f, 0.0f}) {
    al(en, e);
    EXPECT_EQ(f5(e.re), "-197.45000") << en;
    EXPECT_EQ(f5(e.im), "-49.47500") << en;
  }
  for (float en : {0.55f, 0.65f}) {
    al(en, e);
    EXPECT_NEAR(e.re, -194.09, 0.0005) << en;
    EXPECT_NEAR(e.im, -48.379, 0.0005) << en;
  }
  al(static_cast<float>(1239.854 / double{632.8f}), e);  // 632.8 nm
  EXPECT_EQ(f5(e.re), "-48.14250");
  EXPECT_EQ(f5(e.im), "-17.15329");
}

TEST(Lookup, AmorphousSiliconKeepsEntry99) {
  cplx e{};
  sea(5.85f, e, {0.0f, 0.0f});
  EXPECT_EQ(f5(e.im), "-6.50000");
  sea(5.9f, e, {0.0f, 0.0f});
  EXPECT_EQ(f5(e.im), "-8.32000");
  sea(5.95f, e, {0.0f, 0.0f});
  EXPECT_EQ(f5(e.im), "-6.09000");
}

TEST(Lookup, NitrideIsLosslessUpTo4p5eV) {
  cplx e{};
  for (float en = 0.5f; en <= 4.5f; en += 0.007f) {
    si3n4(en, e, {0.0f, 0.0f});
    EXPECT_EQ(e.im, 0.0f) << en;
  }
  si3n4(4.5f, e, {0.0f, 0.0f});
  EXPECT_EQ(e.im, 0.0f);
  si3n4(4.55f, e, {0.0f, 0.0f});  // entry 33 already weighs in
  EXPECT_NE(e.im, 0.0f);
}

TEST(Lookup, NonFiniteAndHugeEnergiesStayDefined) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const table* tb : {&si_crystal, &si_amorphous, &aluminium, &nitride}) {
    float e1 = 0.0f;
    float e2 = 0.0f;
    for (float en : {std::numeric_limits<float>::quiet_NaN(), inf, -inf}) {
      lookup(*tb, en, e1, e2);
      EXPECT_TRUE(std::isnan(e1)) << en;
    }
    // Finite energies far outside the grid, beyond the integer range: plain clamping.
    for (float en : {-1e36f, -2.5e9f}) {
      lookup(*tb, en, e1, e2);
      EXPECT_EQ(e1, tb->e1.front()) << en;
    }
    for (float en : {3e36f, 2.5e9f}) {
      lookup(*tb, en, e1, e2);
      EXPECT_EQ(e1, tb->e1.back()) << en;
    }
  }
}

}  // namespace
}  // namespace optconst
