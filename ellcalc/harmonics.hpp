// Fourier coefficients of the intensity I(theta) = H0 + H2C cos 2theta + H2S sin 2theta
// + H4C cos 4theta + H4S sin 4theta that the rotating-compensator ellipsometer measures
// on a sample of Psi ps, Delta de (degrees) and s-reflectance Rs, with the instrument
// angles pol, bir, rot, ref, ana (degrees). Each pair is also given as amplitude A and
// phase P (degrees): H2C = H2A cos H2P, H2S = H2A sin H2P, and likewise for H4.
//   43.613, 75.973, 0.26256, (90, 90, 0, 0, -45) -> H0 0.2565, H2 (0, 0.2427, 0.2427, 90.0),
//   H4 (0.00606, 0.03032, 0.03092, 78.70)
#pragma once

namespace ellcalc {

template <class R>
struct harmonics_set_t {
  R H0, H2C, H2S, H2A, H2P, H4C, H4S, H4A, H4P;
};
using harmonics_set = harmonics_set_t<float>;

template <class R>
harmonics_set_t<R> harmonics(R ps, R de, R Rs, R pol, R bir, R rot, R ref, R ana);

}  // namespace ellcalc
