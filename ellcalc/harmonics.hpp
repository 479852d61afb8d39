// Fourier coefficients of the intensity I(theta) = H0 + H2C cos 2theta + H2S sin 2theta
// + H4C cos 4theta + H4S sin 4theta that the rotating-compensator ellipsometer measures
// on a sample of Psi ps, Delta de (degrees) and s-reflectance Rs, with the instrument
// angles pol, bir, rot, ref, ana (degrees). Each pair is also given as amplitude and
// phase (degrees): H2C = H2A cos H2P, H2S = H2A sin H2P, and likewise for H4.
//   43.613, 75.973, 0.26256, (90, 90, 0, 0, -45) -> H0 0.2565, H2 (0, 0.2427, 0.2427, 90.0),
//   H4 (0.00606, 0.03032, 0.03092, 78.70)
#pragma once

namespace ellcalc {

void harmonics(const float& ps, const float& de, const float& Rs, const float& pol, const float& bir,
               const float& rot, const float& ref, const float& ana, float& H0, float& H2C, float& H2S, float& H2A,
               float& H2P, float& H4C, float& H4S, float& H4A, float& H4P);

}  // namespace ellcalc
