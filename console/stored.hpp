// Rounding to single precision where a named quantity is stored.
//
// Formulas are carried in double precision on widened single-precision operands; the
// result is rounded once, when it is stored in the single-precision variable that
// receives it:
//   const float s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
#pragma once

namespace console {

// Rounds to nearest, ties to even; out-of-range values become infinities, NaN stays NaN.
constexpr float stored(double x) { return static_cast<float>(x); }

}  // namespace console
