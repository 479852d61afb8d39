// The film model: one non-absorbing film (index an, thickness ep in nm) on a substrate of
// complex index cn2, seen from air at the angle phi (degrees) and wavelength ol (nm).
//
// kind 1: forward only; psa, dea are Psi and Delta of the film.
// kind 3: ep is replaced by the thickness that matches the measured Psi ps and Delta de
//         at the given index (an is recomputed from the film's wave-vector component).
// other:  an and ep are both searched (Newton search on the film's normal wave-vector
//         component, at most 15 passes; the outcome tells whether it settled).
// In every kind per is the thickness period ol / (2 xi1), a negative ep is replaced by
// ep + per, and psa, dea are Psi and Delta of the final film.
//   632.8, 70, (3.866, -0.028), kind 1, an 1.5, ep 100 -> per 270.62, psa 43.613, dea 75.973
//   same, kind 3, ps 39.44, de 78.24                  -> ep 92.872
//   same, kind 4                                      -> an 1.47352, ep 95.274, per 278.77
#pragma once

#include <cstdint>

#include "console/complex.hpp"

namespace ellcalc {

// How the index search ended: converged is false when 15 passes did not settle it (the
// dialogue then writes " Conv. lente ! " with s and dss); s is the final normal
// wave-vector component xi1 and dss its last correction, settled or not. Kinds 1 and 3
// do no search and always report converged, with s and dss zero.
struct film1_outcome {
  bool converged = true;
  float s = 0;
  float dss = 0;
};

film1_outcome film1(const float& ol, const float& phi, const console::cplx& cn2, const std::int32_t& kind,
                    const float& ps, const float& de, float& an, float& ep, float& psa, float& dea, float& per);

}  // namespace ellcalc
