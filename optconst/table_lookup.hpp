#pragma once

#include "optconst/tables.hpp"

namespace optconst {

template <class R>
struct table_values {
  R e1, e2;
};

// Reads a table at the photon energy en (eV) by the four-point cubic: e1 and e2 at en.
// Node indices are clamped to the table, so below the grid the first entry repeats and
// above it the last; any energy, also a non-finite one, gives a defined result.
//   lookup(tables<float>::si_crystal, 1.5f) -> e1 = 13.488, e2 = 0.038 (entry 13)
template <class R>
table_values<R> lookup(const table<R>& tb, R en);

}  // namespace optconst
