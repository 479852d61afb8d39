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
using silica_coefficients = std::array<float, 27>;

// The unstressed words, with the stressed ones still zero.
inline constexpr silica_coefficients unstressed_silica = {
    0.6961663f, 0.0684043f,  0.4079426f, 0.1162414f, 0.8974794f, 9.896161f,  // unstressed pairs
    0.004679148f, 0.01351206f, 97.934f,                                      // their C^2
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,                                      // first polarisation
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,                                      // second polarisation
    0.0f, 0.0f, 0.0f,                                                        // C'^2, first
    0.0f, 0.0f, 0.0f};                                                       // C'^2, second

// First word (0-based) of each coefficient set: its three (B, C) pairs and its three C^2.
inline constexpr int unstressed_pairs = 0;
inline constexpr int unstressed_squares = 6;
inline constexpr int stressed_pairs[2] = {9, 15};
inline constexpr int stressed_squares[2] = {21, 24};

inline constexpr double q = 1.239854;  // um eV: wavelength = q / energy

// Sellmeier permittivity 1 + sum Bk lsq / (lsq - Ck^2) at lsq (um^2), with the oscillator
// strengths in the pairs of sio2 starting at word `pairs` and the squares starting at
// `squares`.
//   sellmeier(unstressed_silica, 0.4004, 0, 6) -> 2.1229 (unstressed silica at 632.8 nm)
float sellmeier(const silica_coefficients& sio2, const double& lsq, const int& pairs, const int& squares);

// Square of the wavelength (um^2) for the photon energy en (eV), rounded once.
float wavelength_squared(const float& en);

// Unstressed silica without voids at the photon energy en (eV).
float silica(const float& en);

// A real permittivity es mixed with voids at the volume fraction f: the effective-medium
// root for a real material and vacuum, taken without any choice.
//   silica_voids(2.1229, 1) -> 1     silica_voids(2.1229, 0) -> 2.1229
float silica_voids(const float& es, const float& f);

}  // namespace optconst
