// Reading the tables: vdot and fcub's roundings, and lookup on and off the grid; the
// two-component effective medium: its ends, and which root it takes. The session
// transcripts pin the figures at the energies they ask for.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "optconst/cubic.hpp"
#include "optconst/effective_medium.hpp"
#include "optconst/materials.hpp"
#include "optconst/table_lookup.hpp"
#include "optconst/tables.hpp"

namespace optconst {
namespace {

using console::cplx;
using console::cplx_d;

const table<float>* const all_tables[] = {&tables<float>::si_crystal, &tables<float>::si_amorphous,
                                          &tables<float>::aluminium, &tables<float>::nitride};

// vdot rounds after every addition and honours the stride: each quarter-ulp addition to 1
// is lost on its own; summed in double first the three would round up to 1 + 2^-23. fcub
// gives the nodes and the midpoint, with a single final rounding.
TEST(VdotAndFcub, RoundingsNodesAndStride) {
  const float tiny = std::ldexp(1.0f, -25);
  const float x[6] = {1.0f, 99.0f, tiny, 99.0f, tiny, 99.0f};
  const float ones[6] = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
  EXPECT_EQ(vdot<float>(x, ones, 3, 2), 1.0f);
  const std::array<float, 4> y{1.1f, -2.7f, 13.488f, 0.038f};
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(fcub(-1.5f + static_cast<float>(i), y), y[i]) << i;
  EXPECT_EQ(fcub<float>(0.0f, {1, 2, 3, 4}), 2.5f);
  // 48 * 49.475 rounded to single precision lands on a tie that would print 49.47499.
  const float v = 49.475f;
  EXPECT_EQ(fcub<float>(-0.5f, {v, v, v, v}), v);
}

TEST(Lookup, GridEnergiesGiveTheEntriesAndBothEndsAreClamped) {
  const float inf = std::numeric_limits<float>::infinity();
  for (const table<float>* tb : all_tables) {
    for (std::size_t i = 0; i < tb->e1.size(); ++i) {
      const float en = static_cast<float>(tb->ei + static_cast<double>(i) * tb->ps);
      const auto [e1, e2] = lookup(*tb, en);
      // The grid energy itself is rounded to single precision, so t can be off by a little.
      EXPECT_NEAR(e1, tb->e1[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e1[i]))) << "entry " << i + 1;
      EXPECT_NEAR(e2, tb->e2[i], 2e-6 * std::fmax(5.0f, std::fabs(tb->e2[i]))) << "entry " << i + 1;
    }
    // Both ends are clamped for any energy. Below the grid the first entry repeats, also
    // beyond the integer range; above it the last one.
    for (float en : {0.0f, -1000.0f, -2.5e9f, -1e36f, 40.0f, 2.5e9f, 3e36f}) {
      const std::size_t entry = en > 0.0f ? tb->e1.size() - 1 : 0;
      const auto [e1, e2] = lookup(*tb, en);
      EXPECT_EQ(e1, tb->e1[entry]) << en;
      EXPECT_EQ(e2, tb->e2[entry]) << en;
    }
    for (float en : {std::numeric_limits<float>::quiet_NaN(), inf, -inf})
      EXPECT_TRUE(std::isnan(lookup(*tb, en).e1)) << en;
  }
}

TEST(Lookup, NitrideIsLosslessUpTo4p5eV) {
  for (float en = 0.5f; en <= 4.5f; en += 0.007f) {
    EXPECT_EQ(si3n4<float>(en, {0.0f, 0.0f}).im, 0.0f) << en;
  }
}

// Modulus of the left side of the effective-medium equation at e.
double residual(cplx ea, cplx eb, double f, cplx e) {
  const cplx_d a = (1.0 - f) * (cplx_d(ea) - e) / (cplx_d(ea) + 2.0 * cplx_d(e));
  const cplx_d b = f * (cplx_d(eb) - e) / (cplx_d(eb) + 2.0 * cplx_d(e));
  return console::modulus(a + b);
}

TEST(Emix, EndFractionsGiveTheComponentsAndTheRootNearTheLinearAverage) {
  const cplx vac{1.0f, 0.0f};
  for (cplx ea : {cplx{15.06118f, -0.15106f}, cplx{-48.1425f, -17.15329f}, cplx{2.1229f, 0.0f}}) {
    const cplx a = emix(ea, vac, 0.0f);
    EXPECT_FLOAT_EQ(a.re, ea.re);
    EXPECT_NEAR(a.im, ea.im, 1e-6);
    const cplx b = emix(ea, vac, 1.0f);
    EXPECT_FLOAT_EQ(b.re, 1.0f);
    EXPECT_NEAR(b.im, 0.0f, 1e-6);
  }

  // Away from the ends it picks the root near the linear average.
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

  // The two roots are r1 = R - B and r2 = -B - R. For real components B, the radicand and
  // the average are real; a negative radicand makes R imaginary, and the two roots are
  // complex conjugates exactly as far from the average: the tie keeps r1, whose imaginary
  // part is positive.
  const cplx tie = emix({-4.0f, 0.0f}, {1.0f, 0.0f}, 0.5f);
  EXPECT_EQ(tie.re, -0.375f);
  EXPECT_GT(tie.im, 1.36f);
  EXPECT_LT(residual({-4.0f, 0.0f}, {1.0f, 0.0f}, 0.5, tie), 1e-6);

  // An average beyond the single-precision range is infinite while B stays finite; R is
  // infinite too, so r1 - average is inf - inf, a NaN distance, and r2 (-inf) is taken.
  EXPECT_EQ(emix({3e38f, 0.0f}, {0.0f, 0.0f}, -0.2f).re, -std::numeric_limits<float>::infinity());
}

}  // namespace
}  // namespace optconst
