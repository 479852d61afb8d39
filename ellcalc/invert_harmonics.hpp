// Psi and Delta (degrees) from measured second and fourth harmonics given as amplitudes
// h2p, h4p and phases h2d, h4d (degrees), with the instrument angles pol, bir, rot, ref, ana
// (degrees), without knowing the scale of the measurement. J = tan^2 Psi solves
// c2 J^2 + c1 J + c0 = 0; disc is its discriminant. When disc is negative, the Psi and
// Delta given (ps, de) are returned as they were; otherwise the root whose scale
// s = u J + v is positive is taken (the other root when s is zero, negative or not a number).
//   (2.266, 92.776, 0.417, 45.034), (90, 90, 0, 0, -45) -> disc 16.78, ps 37.94, de 75.40
#pragma once

namespace ellcalc {

template <class R>
struct harmonics_inversion {
  R ps, de;
  R disc;
};

template <class R>
harmonics_inversion<R> invert_harmonics(R h2p, R h2d, R h4p, R h4d, R pol, R bir, R rot, R ref, R ana, R ps, R de);

}  // namespace ellcalc
