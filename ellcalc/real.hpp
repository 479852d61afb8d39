// Conventions shared by the numerical routines of the ellipsometry calculator.
//
// The routines are templates on their real type R: float, the calculator's own precision,
// and double. Every formula is carried in double precision on the widened operands; a
// result is rounded to R only where it is stored in a named quantity (the identity for
// double).
//   const R s2 = stored<R>(std::sin(double{rad}) * std::sin(double{rad}));
#pragma once

#include <numbers>
#include <type_traits>

#include "console/complex.hpp"
#include "console/stored.hpp"

namespace ellcalc {

using console::cplx_of;
using console::stored;

// Constants and search thresholds per real type. Single precision keeps the decimal
// constants the calculator has always used and its thresholds; double uses the exact
// constants and thresholds that take the searches to double accuracy.
template <class R>
struct real_traits;

template <>
struct real_traits<float> {
  static constexpr double deg = 0.017453292;  // degrees to radians
  static constexpr double four_pi = 12.566371;
  // Index search of film1: half-step of the central difference in xi1, bound on the
  // relative correction of xi1, passes.
  static constexpr double search_step = 0.001;
  static constexpr double search_tolerance = 0.0005;
  static constexpr int search_passes = 15;
  // Thickness from Psi and Delta at a given index: the root of smaller modulus, as the
  // calculator has always taken it.
  static constexpr bool thickness_root_by_fit = false;
};

template <>
struct real_traits<double> {
  static constexpr double deg = std::numbers::pi / 180.0;
  static constexpr double four_pi = 4.0 * std::numbers::pi;
  // The central difference of step h settles at a root shifted by about h^2 f''/f'; 1e-7
  // keeps that below 1e-13 while the difference of the two logarithms (about 1e-7 f')
  // still has nine significant digits. The Newton steps then shrink to rounding.
  static constexpr double search_step = 1e-7;
  static constexpr double search_tolerance = 1e-12;
  static constexpr int search_passes = 60;
  // Of the two roots, the one whose film reproduces the measured Psi and Delta.
  static constexpr bool thickness_root_by_fit = true;
};

// m with the sign of q, stored; negative when q is negative or not a number.
template <class R>
constexpr R signed_like(double m, double q) {
  return stored<R>(q >= 0.0 ? m : -m);
}

}  // namespace ellcalc
