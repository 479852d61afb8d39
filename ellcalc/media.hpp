// The ambient (index 1) and the substrate seen under the angle of incidence: their s- and
// p-admittances N cos(theta) and N / cos(theta), and s2 = (sin phi)^2.
//   70 deg, substrate (3.866, -0.028) -> s2 = 0.883022, a0 = (0.342020, 0)
#pragma once

#include "console/complex.hpp"

namespace ellcalc {

template <class R>
struct media {
  R s2;
  console::cplx_of<R> a0;  // ambient, s
  console::cplx_of<R> b0;  // ambient, p
  console::cplx_of<R> a2;  // substrate, s
  console::cplx_of<R> b2;  // substrate, p
};

// phi in degrees; cn2 the substrate index n - ik.
template <class R>
media<R> ambient_and_substrate(R phi, console::cplx_of<R> cn2);

}  // namespace ellcalc
