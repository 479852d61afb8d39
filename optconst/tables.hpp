#pragma once

#include <span>

namespace optconst {

// A measured dielectric function on a uniform grid of photon energies: entry i (from 1)
// belongs to the energy ei + (i - 1) * ps. e1 holds the real part (for aluminium its
// negative), e2 the loss part, both positive for an absorbing material.
struct table {
  std::span<const float> e1;
  std::span<const float> e2;
  double ei;  // energy of entry 1, eV
  double ps;  // energy step, eV
};

extern const table si_crystal;    // sec:   58 entries, 0.3 to 6.0 eV
extern const table si_amorphous;  // sea:  101 entries, 1.0 to 6.0 eV
extern const table aluminium;     // al:    49 entries, 0.7 to 5.5 eV, e1 holds -eps1
extern const table nitride;       // si3n4: 44 entries, 1.5 to 5.8 eV

}  // namespace optconst
