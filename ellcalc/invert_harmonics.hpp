// Psi and Delta (degrees) from measured second and fourth harmonics given as amplitudes
// h2p, h4p and phases h2d, h4d (degrees), with the instrument angles pol, bir, rot, ref, ana
// (degrees), without knowing the scale of the measurement. J = tan^2 Psi solves
// c2 J^2 + c1 J + c0 = 0; disc is its discriminant. When disc is negative, ps and de are
// left as they were; otherwise the root whose scale s = u J + v is positive is taken (the
// other root when s is zero, negative or not a number).
//   (2.266, 92.776, 0.417, 45.034), (90, 90, 0, 0, -45) -> disc 16.78, ps 37.94, de 75.40
#pragma once

namespace ellcalc {

void invert_harmonics(const float& h2p, const float& h2d, const float& h4p, const float& h4d, const float& pol,
                      const float& bir, const float& rot, const float& ref, const float& ana, float& ps, float& de,
                      float& disc);

}  // namespace ellcalc
