#include "ellcalc/media.hpp"

#include <cmath>

#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

template <class R>
media<R> ambient_and_substrate(R phi, cplx_of<R> cn2) {
  media<R> m{};
  const R rad = stored<R>(phi * real_traits<R>::deg);
  m.s2 = stored<R>(std::sin(double{rad}) * std::sin(double{rad}));
  m.a0 = {stored<R>(std::cos(double{rad})), R{0}};
  m.b0 = narrow<R>(1.0 / cplx_d(m.a0));
  const cplx_d n2sq = cplx_d(cn2) * cplx_d(cn2);
  m.a2 = console::csqrt<R>(n2sq - double{m.s2});
  m.b2 = narrow<R>(n2sq / cplx_d(m.a2));
  return m;
}

template media<float> ambient_and_substrate<float>(float, cplx_of<float>);
template media<double> ambient_and_substrate<double>(double, cplx_of<double>);

}  // namespace ellcalc
