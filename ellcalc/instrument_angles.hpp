// Angles of the rotating-compensator instrument (polariser, compensator Q, analyser), in
// radians, with the two angles that recur in its harmonics.
#pragma once

namespace ellcalc {

struct instrument_angles {
  float p;       // polariser azimuth
  float delta;   // retardance of Q
  float rho;     // optical rotation of Q
  float t;       // azimuth of Q at the top-zero mark
  float alpha;   // analyser azimuth
  float theta2;  // 2 (T - P - rho)
  float theta4;  // 2 (2T - P - rho)
};

// From the kept angles in degrees.
//   (90, 90, 0, 0, -45) -> theta2 = theta4 = -pi
instrument_angles to_radians(const float& pol, const float& bir, const float& rot, const float& ref,
                             const float& ana);

}  // namespace ellcalc
