#include "ellcalc/media.hpp"

#include <cmath>

#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

media ambient_and_substrate(const float& phi, const cplx& cn2) {
  media m{};
  const float rad = stored(phi * deg);
  m.s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
  m.a0 = {stored(std::cos(double{rad})), 0.0f};
  m.b0 = narrow(1.0 / cplx_d(m.a0));
  const cplx_d n2sq = cplx_d(cn2) * cplx_d(cn2);
  m.a2 = console::csqrt(n2sq - double{m.s2});
  m.b2 = narrow(n2sq / cplx_d(m.a2));
  return m;
}

}  // namespace ellcalc
