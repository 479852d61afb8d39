// Angles of the rotating-compensator instrument (polariser, compensator Q, analyser), in
// radians, with the two angles that recur in its harmonics.
#pragma once

namespace ellcalc {

template <class R>
struct instrument_angles {
  R p;       // polariser azimuth
  R delta;   // retardance of Q
  R rho;     // optical rotation of Q
  R t;       // azimuth of Q at the top-zero mark
  R alpha;   // analyser azimuth
  R theta2;  // 2 (T - P - rho)
  R theta4;  // 2 (2T - P - rho)
};

// From the kept angles in degrees.
//   (90, 90, 0, 0, -45) -> theta2 = theta4 = -pi
template <class R>
instrument_angles<R> to_radians(R pol, R bir, R rot, R ref, R ana);

}  // namespace ellcalc
