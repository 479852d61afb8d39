#include "optconst/effective_medium.hpp"

#include "console/stored.hpp"

namespace optconst {

using console::cplx;
using console::cplx_d;
using console::narrow;
using console::stored;

cplx emix(const cplx& ea, const cplx& eb, const float& f) {
  const cplx b = narrow(0.75 * double{f} * (cplx_d(ea) - eb) + cplx_d(eb) / 4.0 - cplx_d(ea) / 2.0);
  const cplx d = narrow(cplx_d(b) * b + cplx_d(ea) * eb / 2.0);
  const cplx r = console::csqrt(d);
  const cplx r1 = narrow(cplx_d(r) - b);
  const cplx r2 = narrow(-cplx_d(b) - r);
  const cplx m = narrow((1.0 - double{f}) * cplx_d(ea) + double{f} * cplx_d(eb));
  const float d1 = stored(console::modulus(cplx_d(r1) - m));
  const float d2 = stored(console::modulus(cplx_d(r2) - m));
  // Equal distances take r1; a distance that is not a number takes r2.
  return d1 <= d2 ? r1 : r2;
}

}  // namespace optconst
