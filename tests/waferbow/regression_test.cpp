#include "waferbow/regression.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "console/streams.hpp"

#include "waferbow/prediction.hpp"
#include "waferbow/units.hpp"

namespace waferbow {
namespace {

struct pass_result {
  std::int32_t n = 0;
  regression_result g{};
  double bow = 0.0;
  stress_report r{};
};

// A continue pass on the default wafer with new thicknesses in um and a moment in MN.
pass_result continue_pass(double d1, double d2, double m, vector3& xs, double f = 10.0) {
  first_state s{};
  stress_report r0{};
  const double d = static_cast<double>(0.1f);
  first_calculation(f, d, 525.0, 1.0, static_cast<double>(2.28f), static_cast<double>(0.863f), 0.0, s, r0);
  pass_result p;
  const double h1 = d1 * um;
  const double h2 = d2 * um;
  regression(s, h1, h2, m, xs, p.n, p.g);
  predicted_state(s, h1, h2, m, d, p.g, p.bow, p.r);
  return p;
}

TEST(Regression, UnchangedWaferConvergesInOneStep) {
  vector3 xs{};
  const pass_result p = continue_pass(525.0, 1.0, 0.0, xs);
  EXPECT_EQ(p.n, 1);
  EXPECT_NEAR(p.bow, 10.0, 0.0005);
  EXPECT_NEAR(p.r.radius, 125.0, 0.0005);
  EXPECT_NEAR(p.g.wx, p.g.w, p.g.w / 10000);
  EXPECT_NEAR(p.r.energy_sio2, 0.8104441E-01, 1e-6);
}

TEST(Regression, ThicknessChangesPredictTheBow) {
  vector3 xs{};
  const pass_result half = continue_pass(525.0, 0.5, 0.0, xs);
  EXPECT_NEAR(half.bow, 5.01, 0.01);
  EXPECT_GE(half.n, 10);
  EXPECT_LT(half.n, 100);

  EXPECT_NEAR(continue_pass(525.0, 2.0, 0.0, xs).bow, 20.0, 0.05);
  EXPECT_NEAR(continue_pass(400.0, 1.0, 0.0, xs).bow, 17.2, 0.05);
}

// Without any layer every matrix is zero: each step writes gaus3's first message and
// takes x, y, z from what the solution array already held.
TEST(Regression, UnsolvableStepsKeepTheSolutionArray) {
  vector3 xs{100.0, 99.0, 101.0};
  testing::internal::CaptureStdout();
  const pass_result p = continue_pass(0.0, 0.0, 0.0, xs);
  console::output_flush();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(p.n, max_regressions);
  EXPECT_EQ(xs, (vector3{100.0, 99.0, 101.0}));
  EXPECT_EQ(p.g.x, 100.0);
  EXPECT_EQ(p.g.y, 99.0);
  EXPECT_EQ(p.g.z, 101.0);
  EXPECT_EQ(out.size(), std::string(" GAUS3 ne peut pas resoudre.\n").size() * max_regressions);
}

TEST(Sagitta, BothSidesOfTheCentre) {
  EXPECT_NEAR(sagitta(125.0, 0.1), 1.0e-5, 1e-12);
  EXPECT_NEAR(sagitta(-125.0, 0.1), -1.0e-5, 1e-12);
  EXPECT_NEAR(sagitta(0.05, 0.1), 0.05, 1e-12);  // half circle
  EXPECT_TRUE(std::isnan(sagitta(0.04, 0.1)));   // radius below half the chord
  EXPECT_TRUE(std::isnan(sagitta(std::nan(""), 0.1)));
}

}  // namespace
}  // namespace waferbow
