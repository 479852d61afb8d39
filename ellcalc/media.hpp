// The ambient (index 1) and the substrate seen under the angle of incidence: their s- and
// p-admittances N cos(theta) and N / cos(theta), and s2 = (sin phi)^2.
//   70 deg, substrate (3.866, -0.028) -> s2 = 0.883022, a0 = (0.342020, 0)
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

struct media {
  float s2;
  console::cplx a0;  // ambient, s
  console::cplx b0;  // ambient, p
  console::cplx a2;  // substrate, s
  console::cplx b2;  // substrate, p
};

// phi in degrees; cn2 the substrate index n - ik.
media ambient_and_substrate(const float& phi, const console::cplx& cn2);

}  // namespace ellcalc
