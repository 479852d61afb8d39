// Conventions shared by the numerical routines of the ellipsometry calculator.
//
// Every formula is carried in double precision on the widened single-precision operands;
// a result is rounded to single precision only where it is stored in a named quantity.
//   const float s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
#pragma once

#include "console/stored.hpp"

namespace ellcalc {

// Degrees to radians, and 4 pi, as the calculator has always written them.
inline constexpr double deg = 0.017453292;
inline constexpr double four_pi = 12.566371;

using console::stored;

// m with the sign of q, stored; negative when q is negative or not a number.
constexpr float signed_like(double m, double q) { return stored(q >= 0.0 ? m : -m); }

}  // namespace ellcalc
