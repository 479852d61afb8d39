// The calculations behind modes 5, 6 and 7, each as one call that prints nothing. Inputs
// are the kept values of the same names (wavelength ol in nm, angle phi and instrument
// angles in degrees, substrate index cn2, film index an, thickness ep in nm); the results
// are what the dialogue prints and keeps. Modes 1 to 4 are film1 (kinds 1, 3, 4) and
// substrate_index. Each is a template on the real type R (float or double); with float
// arguments R is float.
#pragma once

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/harmonics.hpp"
#include "ellcalc/rcoef.hpp"

namespace ellcalc {

// Mode 5: the reflection computation of a film (rcoef): ep is the thickness after a
// negative one is folded by one period per; rp, rs, the reflectances Rp = |rp|^2,
// Rs = |rs|^2, and Psi, Delta in degrees.
//   632.8, 70, (3.866, -0.028), 1.5, 100 -> per 270.617, Rp 0.23832, Rs 0.26256,
//   psi 43.613, delta 75.973
template <class R>
reflection_result_t<R> reflection(R ol, R phi, console::cplx_of<R> cn2, R an, R ep);

// Mode 6: the film's reflection, the harmonics it gives with the instrument angles pol,
// bir, rot, ref, ana, and Psi, Delta (psa, dea) computed back from those harmonics.
template <class R>
struct harmonics_result_t {
  reflection_result_t<R> model;
  harmonics_set_t<R> h;
  R psa, dea;
};
using harmonics_result = harmonics_result_t<float>;

template <class R>
harmonics_result_t<R> harmonics_of_film(R ol, R phi, console::cplx_of<R> cn2, R an, R ep, R pol, R bir, R rot,
                                        R ref, R ana);

// Mode 7: Psi and Delta from the measured amplitudes h2p, h4p and phases h2d, h4d
// (degrees) of the second and fourth harmonics, the film thickness at the index an that
// matches them (film1 kind 3, starting from ep), and the reflection and harmonics of the
// film found. When the discriminant is negative Psi and Delta stay ps and de.
template <class R>
struct measured_result_t {
  R disc;                   // discriminant; < 0: " Discriminant negatif: "
  R ps, de;                 // Psi, Delta from the harmonics ("avant")
  R an, ep, per, psa, dea;  // film1 kind 3 on them ("apres" = psa, dea)
  film1_outcome_t<R> search;
  reflection_result_t<R> model;  // the reflection computation of the film found; its ep
                                 // and per are the ones printed and kept
  harmonics_set_t<R> h;          // the model's harmonics
};
using measured_result = measured_result_t<float>;

template <class R>
measured_result_t<R> from_measured_harmonics(R ol, R phi, console::cplx_of<R> cn2, R pol, R bir, R rot, R ref, R ana,
                                             R h2p, R h2d, R h4p, R h4d, R ps, R de, R an, R ep);

}  // namespace ellcalc
