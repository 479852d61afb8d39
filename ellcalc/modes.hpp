// The calculations behind modes 5, 6 and 7, each as one call that prints nothing. Inputs
// are the kept values of the same names (wavelength ol in nm, angle phi and instrument
// angles in degrees, substrate index cn2, film index an, thickness ep in nm); the results
// are what the dialogue prints and keeps. Modes 1 to 4 are film1 (kinds 1, 3, 4) and
// substrate_index.
#pragma once

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"

namespace ellcalc {

// The reflection computation of a film (rcoef): ep is the thickness after a negative one
// is folded by one period per; rp, rs, the reflectances Rp = |rp|^2, Rs = |rs|^2, and Psi,
// Delta in degrees.
struct reflection_result {
  float ep;
  float per;
  console::cplx rp, rs;
  float Rp, Rs;
  float psi, delta;
};

// Mode 5.
//   632.8, 70, (3.866, -0.028), 1.5, 100 -> per 270.617, Rp 0.23832, Rs 0.26256,
//   psi 43.613, delta 75.973
reflection_result reflection(const float& ol, const float& phi, const console::cplx& cn2, const float& an,
                             const float& ep);

// The harmonics of the rotating-compensator instrument, each pair also as amplitude A and
// phase P (degrees).
struct harmonics_set {
  float H0, H2C, H2S, H2A, H2P, H4C, H4S, H4A, H4P;
};

// Mode 6: the film's reflection, the harmonics it gives with the instrument angles pol,
// bir, rot, ref, ana, and Psi, Delta (psa, dea) computed back from those harmonics.
struct harmonics_result {
  reflection_result model;
  harmonics_set h;
  float psa, dea;
};

harmonics_result harmonics_of_film(const float& ol, const float& phi, const console::cplx& cn2, const float& an,
                                   const float& ep, const float& pol, const float& bir, const float& rot,
                                   const float& ref, const float& ana);

// Mode 7: Psi and Delta from the measured amplitudes h2p, h4p and phases h2d, h4d
// (degrees) of the second and fourth harmonics, the film thickness at the index an that
// matches them (film1 kind 3, starting from ep), and the reflection and harmonics of the
// film found. When the discriminant is negative Psi and Delta stay ps and de.
struct measured_result {
  float disc;                   // discriminant; < 0: " Discriminant negatif: "
  float ps, de;                 // Psi, Delta from the harmonics ("avant")
  float an, ep, per, psa, dea;  // film1 kind 3 on them ("apres" = psa, dea)
  film1_outcome search;
  reflection_result model;      // the reflection computation of the film found; its ep
                                // and per are the ones printed and kept
  harmonics_set h;              // the model's harmonics
};

measured_result from_measured_harmonics(const float& ol, const float& phi, const console::cplx& cn2,
                                        const float& pol, const float& bir, const float& rot, const float& ref,
                                        const float& ana, const float& h2p, const float& h2d, const float& h4p,
                                        const float& h4d, const float& ps, const float& de, const float& an,
                                        const float& ep);

}  // namespace ellcalc
