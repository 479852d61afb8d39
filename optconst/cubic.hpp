#pragma once

#include <array>

#include "console/stored.hpp"

namespace optconst {

// Dot product of x and y over n elements with stride inc, summed in index order and
// rounded to single precision after every addition.
//   vdot(r, {1, 2}, {3, 4}, 2, 1) -> r = 11
// Defined here so that fcub, its one caller, has it inlined.
inline void vdot(float& r, const float* x, const float* y, const int& n, const int& inc) {
  r = 0.0f;
  for (int i = 0, k = 0; i < n; ++i, k += inc) r = console::stored(double{r} + double{x[k]} * double{y[k]});
}

// Cubic through four equally spaced nodes y(1..4) at t = -1.5, -0.5, 0.5, 1.5, evaluated
// at the offset t from the middle of the central interval.
//   fcub(0, {1, 2, 3, 4}) -> 2.5     fcub(-0.5, {1, 2, 3, 4}) -> 2
float fcub(const float& t, const std::array<float, 4>& y);

}  // namespace optconst
