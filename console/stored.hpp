// Rounding to the working real type where a named quantity is stored.
//
// Formulas are carried in double precision on widened operands; the result is rounded
// once, when it is stored in the variable that receives it. The numerical routines are
// templates on their real type R (float or double); for double the rounding is the
// identity, so every quantity stays double:
//   const float s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
//   const R s2 = stored<R>(std::sin(double{rad}) * std::sin(double{rad}));
#pragma once

#include <type_traits>

namespace console {

// Rounds to nearest, ties to even; out-of-range values become infinities, NaN stays NaN.
template <class R = float>
constexpr R stored(double x) {
  static_assert(std::is_same_v<R, float> || std::is_same_v<R, double>);
  return static_cast<R>(x);
}

}  // namespace console
