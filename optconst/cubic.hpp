#pragma once

#include <array>

#include "console/stored.hpp"

namespace optconst {

// Dot product of x and y over n elements with stride inc, summed in index order and
// rounded to R after every addition.
//   vdot<float>({1, 2}, {3, 4}, 2, 1) -> 11
// Defined here so that fcub, its one caller, has it inlined.
template <class R>
inline R vdot(const R* x, const R* y, int n, int inc) {
  R r = 0;
  for (int i = 0, k = 0; i < n; ++i, k += inc) r = console::stored<R>(double{r} + double{x[k]} * double{y[k]});
  return r;
}

// Cubic through four equally spaced nodes y(1..4) at t = -1.5, -0.5, 0.5, 1.5, evaluated
// at the offset t from the middle of the central interval.
//   fcub<float>(0, {1, 2, 3, 4}) -> 2.5     fcub<float>(-0.5, {1, 2, 3, 4}) -> 2
template <class R>
R fcub(R t, const std::array<R, 4>& y);

}  // namespace optconst
