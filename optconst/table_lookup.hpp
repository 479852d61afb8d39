#pragma once

#include "optconst/tables.hpp"

namespace optconst {

// Reads a table at the photon energy en (eV) by the four-point cubic: e1 and e2 at en.
// Node indices are clamped to the table, so below the grid the first entry repeats and
// above it the last; any energy, also a non-finite one, gives a defined result.
//   lookup(si_crystal, 1.5, e1, e2) -> e1 = 13.488, e2 = 0.038 (entry 13)
void lookup(const table& tb, const float& en, float& e1, float& e2);

}  // namespace optconst
