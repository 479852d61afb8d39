#pragma once

#include <array>

namespace optconst {

// Dot product of x and y over n elements with stride inc, summed in index order and
// rounded to single precision after every addition.
//   vdot(r, {1, 2}, {3, 4}, 2, 1) -> r = 11
void vdot(float& r, const float* x, const float* y, const int& n, const int& inc);

// Cubic through four equally spaced nodes y(1..4) at t = -1.5, -0.5, 0.5, 1.5, evaluated
// at the offset t from the middle of the central interval.
//   fcub(0, {1, 2, 3, 4}) -> 2.5     fcub(-0.5, {1, 2, 3, 4}) -> 2
float fcub(const float& t, const std::array<float, 4>& y);

}  // namespace optconst
