#include "ellcalc/substrate_index.hpp"

#include <cmath>

#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

void substrate_index(const float& phi, const float& ps, const float& de, cplx& cn2) {
  const float rad = stored(phi * deg);
  const float s2 = stored(std::sin(double{rad}) * std::sin(double{rad}));
  const cplx rho = ratio_of_psi_delta(ps, de);
  const float t2 = stored(std::tan(double{rad}) * std::tan(double{rad}));
  const cplx q = narrow((4.0 * s2 * cplx_d(rho)) / ((1.0 + cplx_d(rho)) * (1.0 + cplx_d(rho))));
  const cplx eps = narrow(t2 * (1.0 - cplx_d(q)));
  cn2 = console::csqrt(eps);
}

}  // namespace ellcalc
