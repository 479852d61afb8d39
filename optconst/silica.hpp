#pragma once

#include <array>

#include "console/stored.hpp"

namespace optconst {

using console::stored;

// A silica coefficient block, 27 words (index 0 here is word 1):
//   words  1-6   unstressed (B1, C1), (B2, C2), (B3, C3)      C in um, B dimensionless
//   words  7-9   unstressed C1^2, C2^2, C3^2                   um^2
//   words 10-15  stressed pairs of the first polarisation      fitted by bir_fit
//   words 16-21  stressed pairs of the second polarisation
//   words 22-24  C'^2 of the first polarisation
//   words 25-27  C'^2 of the second polarisation
// A block holds the stressed words for one stress; the caller keeps it and hands it on.
template <class R>
using silica_block = std::array<R, 27>;
using silica_coefficients = silica_block<float>;

// The unstressed words, as recorded, with the stressed ones still zero; each word is its
// decimal converted straight to R.
#define OPTCONST_UNSTRESSED_SILICA(E)                                                        \
  E(0.6961663) E(0.0684043) E(0.4079426) E(0.1162414) E(0.8974794) E(9.896161) /* pairs */ \
  E(0.004679148) E(0.01351206) E(97.934)                                       /* C^2 */   \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0)        \
  E(0.0) E(0.0) E(0.0) E(0.0) E(0.0) E(0.0)
#define OPTCONST_WORD_FLOAT(x) x##f,
#define OPTCONST_WORD_DOUBLE(x) x,

template <class R>
inline constexpr silica_block<R> unstressed_silica_of = {OPTCONST_UNSTRESSED_SILICA(OPTCONST_WORD_DOUBLE)};
template <>
inline constexpr silica_block<float> unstressed_silica_of<float> = {
    OPTCONST_UNSTRESSED_SILICA(OPTCONST_WORD_FLOAT)};

#undef OPTCONST_UNSTRESSED_SILICA
#undef OPTCONST_WORD_FLOAT
#undef OPTCONST_WORD_DOUBLE

inline constexpr silica_coefficients unstressed_silica = unstressed_silica_of<float>;

// First word (0-based) of each coefficient set: its three (B, C) pairs and its three C^2.
inline constexpr int unstressed_pairs = 0;
inline constexpr int unstressed_squares = 6;
inline constexpr int stressed_pairs[2] = {9, 15};
inline constexpr int stressed_squares[2] = {21, 24};

inline constexpr double q = 1.239854;  // um eV: wavelength = q / energy

// Sellmeier permittivity 1 + sum Bk lsq / (lsq - Ck^2) at lsq (um^2), with the oscillator
// strengths in the pairs of sio2 starting at word `pairs` and the squares starting at
// `squares`.
//   sellmeier<float>(unstressed_silica, 0.4004, 0, 6) -> 2.1229 (unstressed silica at 632.8 nm)
template <class R>
R sellmeier(const silica_block<R>& sio2, double lsq, int pairs, int squares);

// Square of the wavelength (um^2) for the photon energy en (eV), rounded once.
template <class R>
R wavelength_squared(R en);

// Unstressed silica without voids at the photon energy en (eV).
template <class R>
R silica(R en);

// A real permittivity es mixed with voids at the volume fraction f: the effective-medium
// root for a real material and vacuum, taken without any choice.
//   silica_voids(2.1229, 1) -> 1     silica_voids(2.1229, 0) -> 2.1229
template <class R>
R silica_voids(R es, R f);

}  // namespace optconst
