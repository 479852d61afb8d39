// Conventions shared by the numerical routines of the optical constants calculator.
//
// The routines are templates on their real type R: float, the calculator's own precision,
// and double. Formulas are carried in double precision on the widened operands and
// rounded to R where a named quantity is stored (the identity for double). Measured data
// (the tables, the Sellmeier coefficients, the stress-optic coefficients, hc) keep their
// decimal values in both; each is converted from its decimal straight to R.
#pragma once

#include "console/complex.hpp"
#include "console/stored.hpp"

namespace optconst {

using console::cplx_of;
using console::stored;

template <class R>
struct real_traits;

template <>
struct real_traits<float> {
  // Squares (um^2) of the stress-optic reference wavelengths 0.4358 and 0.6438 um, as the
  // calculator has always written them.
  static constexpr double lref[2] = {0.18992163, 0.41447848};
  // Stress fit: bound on both permittivity residuals, and residual evaluations allowed.
  static constexpr double fit_tolerance = 1e-06;
  static constexpr int fit_evaluations = 500;
};

template <>
struct real_traits<double> {
  static constexpr double lref[2] = {0.4358 * 0.4358, 0.6438 * 0.6438};
  // The residuals are permittivity differences near 2, which double precision resolves
  // to a few units of 1e-16; 1e-13 leaves room for the rounding of the fitted wavelengths.
  // The Jacobian of the fit is approximate, so the steps shrink linearly (about 140
  // evaluations to 1e-13 at usual stresses): more are allowed than in single precision.
  static constexpr double fit_tolerance = 1e-13;
  static constexpr int fit_evaluations = 2000;
};

}  // namespace optconst
