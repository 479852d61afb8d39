#include "waferbow/first_calculation.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "waferbow/units.hpp"

namespace waferbow {
namespace {

// The default wafer: 10 um bow over 0.1 m, 525 um of silicon under 1 um of silica.
void default_wafer(const double& t, first_state& s, stress_report& r) {
  first_calculation(10.0, static_cast<double>(0.1f), 525.0, 1.0, static_cast<double>(2.28f),
                    static_cast<double>(0.863f), t, s, r);
}

// Within half a unit of the seventh significant digit of the printed figure.
void expect_e7(double actual, double printed) {
  const int e = static_cast<int>(std::floor(std::log10(std::fabs(printed))));
  EXPECT_NEAR(actual, printed, 0.5 * std::pow(10.0, e - 6)) << "printed " << printed;
}

// The session transcripts check every printed figure; these pin the values the
// continue passes start from.
TEST(FirstCalculation, DefaultWaferReport) {
  first_state s{};
  stress_report r{};
  default_wafer(0.0, s, r);
  EXPECT_NEAR(r.radius, 125.0, 0.0005);
  expect_e7(r.moment, 0.3148110E-01);
  // With an exact 1E-6 as the micrometre factor this would round to -0.3508337E-03.
  expect_e7(r.neutral_si, -0.3508336E-03);
  expect_e7(r.energy_sio2, 0.8104441E-01);

  // The first state that the continue passes start from.
  EXPECT_EQ(s.e1, static_cast<double>(2.28f) * 100000);
  EXPECT_NEAR(s.c2 - s.c1, (525.0 + 1.0) / 2 * 1e-6, 1e-12);
  EXPECT_DOUBLE_EQ(s.r1 - r.radius, r.neutral_si);
}

TEST(FirstCalculation, ExternalMomentAddsToTheBendingMoment) {
  first_state s0{}, s{};
  stress_report r0{}, r{};
  default_wafer(0.0, s0, r0);
  const double t = static_cast<double>(1000.0f) * static_cast<double>(um);  // 1000 N
  default_wafer(t, s, r);
  EXPECT_EQ(r.radius, r0.radius);
  EXPECT_DOUBLE_EQ(r.moment, r0.moment + t);
  EXPECT_NE(r.neutral_si, r0.neutral_si);
  EXPECT_NE(s.r2, s0.r2);
}

}  // namespace
}  // namespace waferbow
