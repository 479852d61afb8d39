#include "optconst/effective_medium.hpp"

#include "console/stored.hpp"

namespace optconst {

using console::cplx_d;
using console::cplx_of;
using console::narrow;
using console::stored;

template <class R>
cplx_of<R> emix(cplx_of<R> ea, cplx_of<R> eb, R f) {
  const cplx_of<R> b = narrow<R>(0.75 * double{f} * (cplx_d(ea) - eb) + cplx_d(eb) / 4.0 - cplx_d(ea) / 2.0);
  const cplx_of<R> d = narrow<R>(cplx_d(b) * b + cplx_d(ea) * eb / 2.0);
  const cplx_of<R> r = console::csqrt<R>(d);
  const cplx_of<R> r1 = narrow<R>(cplx_d(r) - b);
  const cplx_of<R> r2 = narrow<R>(-cplx_d(b) - r);
  const cplx_of<R> m = narrow<R>((1.0 - double{f}) * cplx_d(ea) + double{f} * cplx_d(eb));
  const R d1 = stored<R>(console::modulus(cplx_d(r1) - m));
  const R d2 = stored<R>(console::modulus(cplx_d(r2) - m));
  // Equal distances take r1; a distance that is not a number takes r2.
  return d1 <= d2 ? r1 : r2;
}

template cplx_of<float> emix<float>(cplx_of<float>, cplx_of<float>, float);
template cplx_of<double> emix<double>(cplx_of<double>, cplx_of<double>, double);

}  // namespace optconst
