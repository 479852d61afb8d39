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

const table<float>* const all_tables[] = {&tables<float>::si_crystal, &tables<float>::si_amorphous,
                                          &tables<float>::aluminium, &tables<float>::nitride};

TEST(Vdot, RoundsAfterEveryAdditionAndHonoursTheStride) {
  // Each quarter-ulp addition to 1 is lost on its own; summed in double first the three
  // would round up to 1 + 2^-23.
  const float tiny = std::ldexp(1.0f, -25);
  const float x[6] = {1.0f, 99.0f, tiny, 99.0f, tiny, 99.0f};
  const float ones[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  EXPECT_EQ(vdot<float>(x, ones, 3, 2), 1.0f);
}

TEST(Fcub, NodesMidpointAndTheSingleFinalRounding) {
  const std::array<float, 4> y{1.1f, -2.7f, 13.488f, 0.038f};
  EXPECT_EQ(fcub(-1.5f, y), y[0]);
  EXPECT_EQ(fcub(-0.5f, y), y[1]);
  EXPECT_EQ(fcub(0.5f, y), y[2]);
  EXPECT_EQ(fcub(1.5f, y), y[3]);
  EXPECT_EQ(fcub<float>(0.0f, {1, 2, 3, 4}), 2.5f);
  // 48 * 49.475 rounded to single precision lands on a tie that would print 49.47499.
  const float v = 49.475f;
  EXPECT_EQ(fcub<float>(-0.5f, {v, v, v, v}), v);
}

TEST(Lookup, GridEnergiesGiveTheEntries) {
  for (const table<float>* tb : all_tables) {
    for (std::size_t i = 0; i < tb->e1.size(); ++i) {
      const float en = static_cast<float>(tb->ei + static_cast<double>(i) * tb->ps);
      const auto [e1, e2] = lookup(*tb, en);
      // The grid energy itself is rounded to single precision, so t can be off by a little.
      EXPECT_NEAR(e1, tb->e1[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e1[i]))) << "entry " << i + 1;
      EXPECT_NEAR(e2, tb->e2[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e2[i]))) << "entry " << i + 1;
    }
  }
}

TEST(Lookup, ClampsBothEndsForAnyEnergy) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const table<float>* tb : all_tables) {
    // Below the grid the first entry repeats, also beyond the integer range.
    for (float en : {0.0f, -1000.0f, -2.5e9f, -1e36f}) {
      const auto [e1, e2] = lookup(*tb, en);
      EXPECT_EQ(e1, tb->e1.front()) << en;
      EXPECT_EQ(e2, tb->e2.front()) << en;
    }
    for (float en : {40.0f, 2.5e9f, 3e36f}) {
      const auto [e1, e2] = lookup(*tb, en);
      EXPECT_EQ(e1, tb->e1.back()) << en;
      EXPECT_EQ(e2, tb->e2.back()) << en;
    }
    for (float en : {std::numeric_limits<float>::quiet_NaN(), inf, -inf}) {
      EXPECT_TRUE(std::isnan(lookup(*tb, en).e1)) << en;
    }
  }
}

TEST(Lookup, NitrideIsLosslessUpTo4p5eV) {
  for (float en = 0.5f; en <= 4.5f; en += 0.007f) {
    EXPECT_EQ(si3n4<float>(en, {0.0f, 0.0f}).im, 0.0f) << en;
  }
}

}  // namespace
}  // namespace optconst
