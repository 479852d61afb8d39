#pragma once

#include <cmath>
#include <limits>

namespace waferbow {

// Micrometres to metres. The factor is 1E-6 held in single precision, i.e.
// 9.999999974752427E-7, and it is applied in double precision: the bow, both thicknesses
// and the external moment all go through this one stored factor. The last printed digit
// of the silicon neutral line of the default wafer depends on it (-0.3508336E-03 here,
// -0.3508337E-03 with an exact 1E-6).
inline constexpr float um = 1.0e-6f;

// Moduli are entered in units of 1E5 MPa.
inline constexpr double modulus_unit = 100000.0;

// The moduli are in MPa, so energies in MPa.m come out in J.m-2 after this factor; the
// same factor turns a bow in metres into micrometres.
inline constexpr double mega = 1000000.0;

// A length answered in um, in metres, as every thickness and the bow are converted.
//   metres_of_um(525) -> 5.2499999867449242E-4
constexpr double metres_of_um(const double& v) { return v * static_cast<double>(um); }

// The external moment (MN) of a moment answered in N: the single-precision answer times
// the stored um factor, in double precision.
//   moment_of_newtons(1000) -> 9.999999974752427E-4
inline double moment_of_newtons(const float& n) { return static_cast<double>(n) * static_cast<double>(um); }

// The moment in N that the moment prompt shows for t (MN): t * 1E6 rounded to single
// precision. Beyond the single-precision range the rounding gives an infinity of the same
// sign (or the largest float just above it), as the hardware conversion would, without
// relying on an out-of-range conversion.
//   newtons_of_moment(moment_of_newtons(1000)) -> 1000
inline float newtons_of_moment(const double& t) {
  const double v = t * mega;
  constexpr double largest = static_cast<double>(std::numeric_limits<float>::max());
  if (!(std::fabs(v) > largest)) return static_cast<float>(v);  // in range, or NaN
  // Half a unit in the last place of the largest float: 2^103.
  const double limit = largest + std::ldexp(1.0, 103);
  const float big = std::fabs(v) < limit ? std::numeric_limits<float>::max() : std::numeric_limits<float>::infinity();
  return std::signbit(v) ? -big : big;
}

}  // namespace waferbow
