#include "optconst/materials.hpp"

#include "optconst/effective_medium.hpp"
#include "optconst/table_lookup.hpp"
#include "optconst/tables.hpp"

namespace optconst {

using console::cplx;

namespace {

constexpr cplx vacuum{1.0f, 0.0f};

// eps1 - i eps2 from a table that holds eps1 and eps2.
cplx from_table(const table& tb, const float& en) {
  float e1 = 0.0f;
  float e2 = 0.0f;
  lookup(tb, en, e1, e2);
  return {e1, -e2};
}

}  // namespace

void sec(const float& en, cplx& eps) { eps = from_table(si_crystal, en); }

void sea(const float& en, cplx& eps, const std::array<float, 2>& fr) {
  eps = emix(from_table(si_amorphous, en), vacuum, fr[0]);
}

void al(const float& en, cplx& eps) {
  float e1 = 0.0f;
  float e2 = 0.0f;
  lookup(aluminium, en, e1, e2);
  eps = {-e1, -e2};
}

void si3n4(const float& en, cplx& eps, const std::array<float, 2>& fr) {
  eps = emix(from_table(nitride, en), vacuum, fr[0]);
}

}  // namespace optconst
