#pragma once

#include <span>

namespace optconst {

// A measured dielectric function on a uniform grid of photon energies: entry i (from 1)
// belongs to the energy ei + (i - 1) * ps. e1 holds the real part (for aluminium its
// negative), e2 the loss part, both positive for an absorbing material. The entries of
// table<R> are the recorded decimals converted straight to R.
template <class R>
struct table {
  std::span<const R> e1;
  std::span<const R> e2;
  double ei;  // energy of entry 1, eV
  double ps;  // energy step, eV
};

// The four tables of real type R.
template <class R>
struct tables {
  static const table<R> si_crystal;    // sec:   58 entries, 0.3 to 6.0 eV
  static const table<R> si_amorphous;  // sea:  101 entries, 1.0 to 6.0 eV
  static const table<R> aluminium;     // al:    49 entries, 0.7 to 5.5 eV, e1 holds -eps1
  static const table<R> nitride;       // si3n4: 44 entries, 1.5 to 5.8 eV
};
extern template struct tables<float>;
extern template struct tables<double>;

}  // namespace optconst
