// The film model: one non-absorbing film (index an, thickness ep in nm) on a substrate of
// complex index cn2, seen from air at the angle phi (degrees) and wavelength ol (nm).
//
// kind 1: forward only; psa, dea are Psi and Delta of the film.
// kind 3: ep is replaced by the thickness that matches the measured Psi ps and Delta de
//         at the given index (an is recomputed from the film's wave-vector component).
//         The thickness is the argument of one of the two roots of the phase-factor
//         quadratic (cres). Single precision takes the root of smaller modulus, as the
//         calculator always has; on weakly reflecting substrates (|cn2| below about 1.2)
//         that can be the root whose film does not give back ps and de. Double precision
//         builds the film of each root and keeps the one whose Psi and Delta are nearer to
//         ps and de (Delta compared modulo 360 degrees; a tie keeps the smaller modulus).
// other:  an and ep are both searched (Newton search on the film's normal wave-vector
//         component; the outcome tells whether it settled). Single precision: half-step
//         0.001, relative correction below 5e-4, at most 15 passes. Double precision:
//         half-step 1e-7, relative correction below 1e-12, at most 60 passes.
// In every kind per is the thickness period ol / (2 xi1), a negative ep is replaced by
// ep + per, and psa, dea are Psi and Delta of the final film.
//   632.8, 70, (3.866, -0.028), kind 1, an 1.5, ep 100 -> per 270.62, psa 43.613, dea 75.973
//   same, kind 3, ps 39.44, de 78.24                  -> ep 92.872
//   same, kind 4                                      -> an 1.47352, ep 95.274, per 278.77
#pragma once

#include <cstdint>

#include "console/complex.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"

namespace ellcalc {

// How the index search ended: converged is false when the passes did not settle it (the
// dialogue then writes " Conv. lente ! " with s and dss); s is the final normal
// wave-vector component xi1 and dss its last correction, settled or not. Kinds 1 and 3
// do no search and always report converged, with s and dss zero.
template <class R>
struct film1_outcome_t {
  bool converged = true;
  R s = 0;
  R dss = 0;
};
using film1_outcome = film1_outcome_t<float>;

template <class R>
struct film1_result {
  R an;   // film index, found when kind is not 1
  R ep;   // film thickness, nm, found when kind is not 1, folded when negative
  R psa;  // Psi of the final film, degrees
  R dea;  // Delta of the final film, degrees
  R per;  // thickness period, nm
  film1_outcome_t<R> outcome;
};

template <class R>
film1_result<R> film1(R ol, R phi, console::cplx_of<R> cn2, std::int32_t kind, R ps, R de, R an, R ep);

// film1 on given media: film1(ol, phi, cn2, ...) is film1_in(ambient_and_substrate(phi,
// cn2), ol, ...). Media whose a2, b2 are those seen on top of known layers (stack_media)
// put the film on those layers.
template <class R>
film1_result<R> film1_in(const media<R>& m, R ol, std::int32_t kind, R ps, R de, R an, R ep);

// The final film of every kind in two parts: film_setup, what the media and the film's
// index an and normal component xi1 fix (kind 1 takes xi1 = normal_component(an, s2));
// film_at, the rest at one wavelength ol and thickness ep: the period, the folding of a
// negative ep, Psi and Delta. Kind 1 is film_at(film_setup(m, an, xi1), ol, ep) with
// m = ambient_and_substrate(phi, cn2), whatever the other arguments.
template <class R>
struct film_invariants {
  R an, xi1;
  film_interfaces<R> faces;
};
template <class R>
film_invariants<R> film_setup(const media<R>& m, R an, R xi1);
template <class R>
film1_result<R> film_at(const film_invariants<R>& f, R ol, R ep);

// Kind 4's index search: Newton steps on the film's normal component, from xi1, for the
// phase factor z of modulus 1 that a non-absorbing film must have (z1, z2: those of the
// last pass, half a step either side of the xi1 it started from; dss its correction). It
// stops when the relative correction falls below `tolerance` (converged), or after
// real_traits<R>::search_passes passes.
template <class R>
struct index_search {
  R xi1, dss;
  bool converged;
  console::cplx_of<R> z1, z2;
};
template <class R>
index_search<R> search_index(const media<R>& m, console::cplx_of<R> rho, R xi1, double tolerance);

// Kind 3 as double precision takes it, on media m with the film already set up (f): of
// the films of the two roots, the one whose Psi and Delta are nearer to ps and de.
template <class R>
film1_result<R> film_of_either_root(const media<R>& m, const film_invariants<R>& f, R ol, R ps, R de);

}  // namespace ellcalc
