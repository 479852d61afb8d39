#include "waferbow/gaus3.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace waferbow {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// Builds a matrix from its rows, as the equations read.
matrix3 rows(double a11, double a12, double a13, double a21, double a22, double a23, double a31, double a32,
             double a33) {
  return {a11, a21, a31, a12, a22, a32, a13, a23, a33};
}

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// gaus3 from x = (7, 8, 9) gives the status and leaves x (a NaN here: any NaN there).
void expect_gaus3(const matrix3& a, const vector3& b, gaus3_status status, const vector3& want) {
  vector3 x{7, 8, 9};
  EXPECT_EQ(gaus3(a, b, x), status);
  for (int i = 0; i < 3; ++i) {
    if (std::isnan(want[i])) {
      EXPECT_TRUE(std::isnan(x[i])) << i;
    } else {
      EXPECT_EQ(x[i], want[i]) << i;
    }
  }
}

TEST(Gaus3, SolvesRegularSystems) {
  // Small integers, so every product is exact.
  expect_gaus3(rows(1, 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, gaus3_status::solved, {1, 2, 3});
  expect_gaus3(rows(2, 1, 1, 1, 3, 2, 1, 0, 4), {3, 1, 13}, gaus3_status::solved, {1, -2, 3});
  // Third row (0, 0, 1 | 5): the last variable is B(3) whatever the others are.
  expect_gaus3(rows(2, 1, 7, 1, 3, -4, 0, 0, 1), {39, -13, 5}, gaus3_status::solved, {1, 2, 5});
  // AA(2,2) = 1*1 - 1*1 = 0: the second variable comes from the first row.
  expect_gaus3(rows(1, 2, 1, 1, 1, 1, 2, 1, 1), {8, 6, 7}, gaus3_status::solved, {1, 2, 3});
}

TEST(Gaus3, ZeroDeterminantLeavesXUntouched) {
  // Third column all zero: every AA(i,j) is zero.
  expect_gaus3(rows(1, 2, 0, 3, 4, 0, 5, 6, 0), {1, 1, 1}, gaus3_status::singular, {7, 8, 9});
  // A(3,3) = 0 but A(2,3) not: the elimination by A(3,3) still makes D zero although the
  // system is regular (its solution would be (1, 1, 1)).
  expect_gaus3(rows(1, 1, 1, 1, 2, 1, 1, 1, 0), {3, 4, 2}, gaus3_status::singular, {7, 8, 9});
}

// With finite entries the other two failures are preceded by D = 0; an infinity makes D
// a NaN, which is not 0, and the solution goes on until the next exact zero test.
TEST(Gaus3, LaterFailuresKeepTheUnreachedComponents) {
  expect_gaus3(rows(inf, 1, 0, 1, 1, 0, 1, 1, 0), {1, 1, 1}, gaus3_status::no_x2, {nan, 8, 9});
  expect_gaus3(rows(inf, 1, 0, 1, inf, 0, 1, 1, 0), {1, 1, 1}, gaus3_status::no_x3, {nan, nan, 9});
}

// A(3,3) = 0, A(2,3) = 1: the elimination by A(3,3) leaves AA = -(A(3,j) A(i,3)), whose
// determinant is zero in exact arithmetic, but A(3,1) A(1,3) = 1E400 overflows, so D is
// an infinity, X(1) and X(2) are zeros and X(3) can only come from the second row:
// 7 - 0 - 0 = 7 (the first row would give 5E-200).
TEST(Gaus3, ThirdVariableFromTheSecondRow) {
  expect_gaus3(rows(1, 1, 1e200, 1, 1, 1, 1e200, 1e-200, 0), {5, 7, 0}, gaus3_status::solved, {0, 0, 7});
}

// A(3,3) = A(2,3) = 0, A(1,3) = 1: with finite entries AA(2,1) = AA(2,2) = 0 and D = 0,
// so only a NaN gets this far (here from inf * 0), and X(1), X(2) are NaNs. X(3) then
// comes from the first row: it is set (a NaN too) instead of being left as it was.
TEST(Gaus3, ThirdVariableFromTheFirstRow) {
  expect_gaus3(rows(1, 1, 1, 1, 1, 0, inf, 1, 0), {1, 1, 1}, gaus3_status::solved, {nan, nan, nan});
}

TEST(Gaus3, NaNEntriesSpreadWithoutFailing) {
  expect_gaus3(rows(nan, 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, gaus3_status::solved, {nan, nan, nan});
}

}  // namespace
}  // namespace waferbow
