#pragma once

#include <array>
#include <cstddef>

namespace waferbow {

// A 3x3 matrix stored by columns: A(1,1), A(2,1), A(3,1), A(1,2), ... A(3,3).
using matrix3 = std::array<double, 9>;
using vector3 = std::array<double, 3>;

// Index of A(i,j) (row i, column j, both counted from 1) in a matrix3.
constexpr std::size_t at(int i, int j) { return static_cast<std::size_t>((j - 1) * 3 + (i - 1)); }

// How far gaus3 got.
enum class gaus3_status {
  solved,    // X(1), X(2), X(3) set
  singular,  // D = 0: X untouched
  no_x2,     // AA(2,2) = AA(1,2) = 0: X(1) set
  no_x3,     // A(3,3) = A(2,3) = A(1,3) = 0: X(1), X(2) set
};

// Solves A.X = B: eliminates the third variable with the third row, solves the remaining
// 2x2 system by determinants, then finds X(3) from the third, second or first row, the
// first whose coefficient of X(3) is not zero. No pivoting and no scaling; every decision
// is an exact comparison with zero (a NaN counts as not zero). When a step is impossible
// it returns at once, leaving the components it did not reach as they were. It prints
// nothing; the caller shows the failure.
// With finite entries no_x2 and no_x3 are preceded by D = 0, so only infinities or NaNs
// reach them.
//   gaus3(identity, {1, 2, 3}, x) -> solved, x = {1, 2, 3}
//   gaus3(third column zero, b, x) -> singular, x unchanged
gaus3_status gaus3(const matrix3& a, const vector3& b, vector3& x);

// One step that gaus3 could not finish, with the components it did set (x1 for no_x2 and
// no_x3, x2 for no_x3; zero where not set).
struct solver_event {
  gaus3_status status;
  double x1;
  double x2;
};

}  // namespace waferbow
