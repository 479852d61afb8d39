#pragma once

#include <array>
#include <cstddef>

namespace waferbow {

// A 3x3 matrix stored by columns: A(1,1), A(2,1), A(3,1), A(1,2), ... A(3,3).
using matrix3 = std::array<double, 9>;
using vector3 = std::array<double, 3>;

// Index of A(i,j) (row i, column j, both counted from 1) in a matrix3.
constexpr std::size_t at(int i, int j) { return static_cast<std::size_t>((j - 1) * 3 + (i - 1)); }

// Solves A.X = B: eliminates the third variable with the third row, solves the remaining
// 2x2 system by determinants, then finds X(3) from the third, second or first row, the
// first whose coefficient of X(3) is not zero. No pivoting and no scaling; every decision
// is an exact comparison with zero (a NaN counts as not zero). When a step is impossible
// it writes one of its three messages on standard output and returns, leaving the
// components it did not reach as they were:
//   D = 0                         " GAUS3 ne peut pas resoudre."           X untouched
//   AA(2,2) = AA(1,2) = 0         "... resoudre: X(1) = " with X(1)        X(1) set
//   A(3,3) = A(2,3) = A(1,3) = 0  "... resoudre:" / " X(1-2) = " X(1) X(2)  X(1), X(2) set
// With finite entries the last two cases already make D zero, so only infinities or NaNs
// reach their messages.
//   gaus3(identity, {1, 2, 3}, x) -> x = {1, 2, 3}
void gaus3(const matrix3& a, const vector3& b, vector3& x);

}  // namespace waferbow
