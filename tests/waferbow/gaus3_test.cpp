#include "waferbow/gaus3.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "console/streams.hpp"

namespace waferbow {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// Builds a matrix from its rows, as the equations read.
matrix3 rows(double a11, double a12, double a13, double a21, double a22, double a23, double a31, double a32,
             double a33) {
  return {a11, a21, a31, a12, a22, a32, a13, a23, a33};
}

// Runs gaus3 and returns what it wrote on standard output.
std::string solve(const matrix3& a, const vector3& b, vector3& x) {
  testing::internal::CaptureStdout();
  gaus3(a, b, x);
  console::output_flush();  // the console layer holds standard output in its own buffer
  return testing::internal::GetCapturedStdout();
}

TEST(Gaus3, SolvesRegularSystemsSilently) {
  // Small integers, so every product is exact.
  const struct {
    matrix3 a;
    vector3 b, x;
  } cases[] = {
      {rows(1, 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, {1, 2, 3}},
      {rows(2, 1, 1, 1, 3, 2, 1, 0, 4), {3, 1, 13}, {1, -2, 3}},
      // Third row (0, 0, 1 | 5): the last variable is B(3) whatever the others are.
      {rows(2, 1, 7, 1, 3, -4, 0, 0, 1), {39, -13, 5}, {1, 2, 5}},
      // AA(2,2) = 1*1 - 1*1 = 0: the second variable comes from the first row.
      {rows(1, 2, 1, 1, 1, 1, 2, 1, 1), {8, 6, 7}, {1, 2, 3}},
  };
  for (const auto& c : cases) {
    vector3 x{};
    EXPECT_EQ(solve(c.a, c.b, x), "");
    EXPECT_EQ(x, c.x);
  }
}

TEST(Gaus3, ZeroDeterminantLeavesXUntouched) {
  const std::string msg = " GAUS3 ne peut pas resoudre.\n";
  vector3 x{7, 8, 9};
  // Third column all zero: every AA(i,j) is zero.
  EXPECT_EQ(solve(rows(1, 2, 0, 3, 4, 0, 5, 6, 0), {1, 1, 1}, x), msg);
  EXPECT_EQ(x, (vector3{7, 8, 9}));
  // A(3,3) = 0 but A(2,3) not: the elimination by A(3,3) still makes D zero although the
  // system is regular (its solution would be (1, 1, 1)).
  EXPECT_EQ(solve(rows(1, 1, 1, 1, 2, 1, 1, 1, 0), {3, 4, 2}, x), msg);
  EXPECT_EQ(x, (vector3{7, 8, 9}));
}

// With finite entries the other two failures are preceded by D = 0; an infinity makes D
// a NaN, which is not 0, and the solution goes on until the next exact zero test.
TEST(Gaus3, LaterFailuresKeepTheUnreachedComponents) {
  vector3 x{7, 8, 9};
  EXPECT_EQ(solve(rows(inf, 1, 0, 1, 1, 0, 1, 1, 0), {1, 1, 1}, x),
            " GAUS3 ne peut pas resoudre: X(1) =            NaN\n");
  EXPECT_TRUE(std::isnan(x[0]));
  EXPECT_EQ(x[1], 8.0);
  EXPECT_EQ(x[2], 9.0);

  x = {7, 8, 9};
  EXPECT_EQ(solve(rows(inf, 1, 0, 1, inf, 0, 1, 1, 0), {1, 1, 1}, x),
            " GAUS3 ne peut pas resoudre:\n X(1-2) =             NaN            NaN\n");
  EXPECT_TRUE(std::isnan(x[0]));
  EXPECT_TRUE(std::isnan(x[1]));
  EXPECT_EQ(x[2], 9.0);
}

TEST(Gaus3, NaNEntriesSpreadWithoutMessage) {
  vector3 x{7, 8, 9};
  EXPECT_EQ(solve(rows(std::nan(""), 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, x), "");
  for (double v : x) EXPECT_TRUE(std::isnan(v));
}

}  // namespace
}  // namespace waferbow
