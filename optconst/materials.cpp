#include "optconst/materials.hpp"

#include "optconst/effective_medium.hpp"
#include "optconst/table_lookup.hpp"
#include "optconst/tables.hpp"

namespace optconst {

using console::cplx_of;

namespace {

template <class R>
constexpr cplx_of<R> vacuum{R{1}, R{0}};

// eps1 - i eps2 from a table that holds eps1 and eps2.
template <class R>
cplx_of<R> from_table(const table<R>& tb, R en) {
  const table_values<R> v = lookup<R>(tb, en);
  return {v.e1, -v.e2};
}

}  // namespace

template <class R>
cplx_of<R> sec(R en) {
  return from_table<R>(tables<R>::si_crystal, en);
}

template <class R>
cplx_of<R> sea(R en, const std::array<R, 2>& fr) {
  return emix<R>(from_table<R>(tables<R>::si_amorphous, en), vacuum<R>, fr[0]);
}

template <class R>
cplx_of<R> al(R en) {
  const table_values<R> v = lookup<R>(tables<R>::aluminium, en);
  return {-v.e1, -v.e2};
}

template <class R>
cplx_of<R> si3n4(R en, const std::array<R, 2>& fr) {
  return emix<R>(from_table<R>(tables<R>::nitride, en), vacuum<R>, fr[0]);
}

#define OPTCONST_MATERIALS(R)                                         \
  template cplx_of<R> sec<R>(R);                                      \
  template cplx_of<R> sea<R>(R, const std::array<R, 2>&);             \
  template cplx_of<R> al<R>(R);                                       \
  template cplx_of<R> si3n4<R>(R, const std::array<R, 2>&);
OPTCONST_MATERIALS(float)
OPTCONST_MATERIALS(double)

}  // namespace optconst
