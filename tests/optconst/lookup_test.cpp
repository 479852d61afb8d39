// Reading the tables: vdot and fcub's roundings, and lookup on and off the grid. The
// session transcripts pin the figures at the energies they ask for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "optconst/cubic.hpp"
#include "optconst/materials.hpp"
#include "optconst/table_lookup.hpp"
#include "optconst/tables.hpp"

namespace optconst {
namespace {

using console::cplx;

const table* const tables[] = {&si_crystal, &si_amorphous, &aluminium, &nitride};

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
  for (const table* tb : tables) {
    for (std::size_t i = 0; i < tb->e1.size(); ++i) {
      const float en = static_cast<float>(tb->ei + static_cast<double>(i) * tb->ps);
      float e1 = 0.0f, e2 = 0.0f;
      lookup(*tb, en, e1, e2);
      // The grid energy itself is rounded to single precision, so t can be off by a little.
      EXPECT_NEAR(e1, tb->e1[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e1[i]))) << "entry " << i + 1;
      EXPECT_NEAR(e2, tb->e2[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e2[i]))) << "entry " << i + 1;
    }
  }
}

TEST(Lookup, ClampsBothEndsForAnyEnergy) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const table* tb : tables) {
    float e1 = 0.0f, e2 = 0.0f;
    // Below the grid the first entry repeats, also beyond the integer range.
    for (float en : {0.0f, -1000.0f, -2.5e9f, -1e36f}) {
      lookup(*tb, en, e1, e2);
      EXPECT_EQ(e1, tb->e1.front()) << en;
      EXPECT_EQ(e2, tb->e2.front()) << en;
    }
    for (float en : {40.0f, 2.5e9f, 3e36f}) {
      lookup(*tb, en, e1, e2);
      EXPECT_EQ(e1, tb->e1.back()) << en;
      EXPECT_EQ(e2, tb->e2.back()) << en;
    }
    for (float en : {std::numeric_limits<float>::quiet_NaN(), inf, -inf}) {
      lookup(*tb, en, e1, e2);
      EXPECT_TRUE(std::isnan(e1)) << en;
    }
  }
}

TEST(Lookup, NitrideIsLosslessUpTo4p5eV) {
  cplx e{};
  for (float en = 0.5f; en <= 4.5f; en += 0.007f) {
    si3n4(en, e, {0.0f, 0.0f});
    EXPECT_EQ(e.im, 0.0f) << en;
  }
}

}  // namespace
}  // namespace optconst
