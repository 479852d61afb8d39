// The continue pass: the Newton search for the new geometry and the predicted bow. The
// session transcripts pin the figures of passes with changed thicknesses.
#include "waferbow/regression.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "waferbow/prediction.hpp"
#include "waferbow/units.hpp"

namespace waferbow {
namespace {

struct pass_result {
  first_state s{};
  std::int32_t n = 0;
  regression_result g{};
  double bow = 0.0;
  stress_report r{};
  std::vector<solver_event> events;
};

// A continue pass on the default wafer (10 um bow over 0.1 m, 525 um of silicon under
// 1 um of silica) with new thicknesses d1, d2 in um and no moment.
pass_result continue_pass(double d1, double d2, vector3& xs) {
  const double d = static_cast<double>(0.1f), m = 0.0;
  pass_result p;
  stress_report r0{};
  first_calculation(10.0, d, 525.0, 1.0, static_cast<double>(2.28f), static_cast<double>(0.863f), 0.0, p.s, r0);
  const double h1 = d1 * um, h2 = d2 * um;
  regression(p.s, h1, h2, m, xs, p.n, p.g, p.events);
  predicted_state(p.s, h1, h2, m, d, p.g, p.bow, p.r);
  return p;
}

TEST(Regression, UnchangedWaferConvergesInOneStep) {
  vector3 xs{};
  const pass_result p = continue_pass(525.0, 1.0, xs);
  EXPECT_EQ(p.n, 1);
  EXPECT_NEAR(p.g.x, p.s.c1, 1e-6 * p.s.c1);
  EXPECT_NEAR(p.g.y, p.s.r1, 1e-6 * p.s.r1);
  EXPECT_NEAR(p.g.z, p.s.r2, 1e-6 * p.s.r2);
  EXPECT_NEAR(p.g.wx, p.g.w, p.g.w / 10000);
  EXPECT_NEAR(p.bow, 10.0, 0.0005);
}

// Without any layer every matrix is zero: each step reports gaus3's first failure and
// takes x, y, z from what the solution array already held.
TEST(Regression, UnsolvableStepsKeepTheSolutionArray) {
  vector3 xs{100.0, 99.0, 101.0};
  const pass_result p = continue_pass(0.0, 0.0, xs);
  EXPECT_EQ(p.n, max_regressions);
  EXPECT_EQ(xs, (vector3{100.0, 99.0, 101.0}));
  EXPECT_EQ((vector3{p.g.x, p.g.y, p.g.z}), xs);
  ASSERT_EQ(p.events.size(), static_cast<std::size_t>(max_regressions));
  for (const solver_event& e : p.events) EXPECT_EQ(e.status, gaus3_status::singular);
}

TEST(Sagitta, BothSidesOfTheCentre) {
  EXPECT_NEAR(sagitta(-125.0, 0.1), -1.0e-5, 1e-12);
  EXPECT_NEAR(sagitta(0.05, 0.1), 0.05, 1e-12);  // half circle
  EXPECT_TRUE(std::isnan(sagitta(0.04, 0.1)));   // radius below half the chord
}

// The moment prompt shows t * 1E6 rounded to single precision; beyond that range the
// rounding gives the largest float or an infinity, never an out-of-range conversion.
TEST(Units, MomentInNewtons) {
  constexpr float largest = std::numeric_limits<float>::max();
  EXPECT_EQ(newtons_of_moment(moment_of_newtons(1000.0f)), 1000.0f);
  EXPECT_EQ(newtons_of_moment(static_cast<double>(largest) / mega), largest);
  EXPECT_EQ(newtons_of_moment(1.0e300), std::numeric_limits<float>::infinity());
  EXPECT_EQ(newtons_of_moment(-1.0e300), -std::numeric_limits<float>::infinity());
  // Just above the largest float, below the midpoint to infinity: rounds down.
  EXPECT_EQ(newtons_of_moment((static_cast<double>(largest) + std::ldexp(1.0, 102)) / mega), largest);
  EXPECT_TRUE(std::isnan(newtons_of_moment(std::nan(""))));
}

}  // namespace
}  // namespace waferbow
