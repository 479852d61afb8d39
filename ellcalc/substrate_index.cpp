#include "ellcalc/substrate_index.hpp"

#include <cmath>

namespace ellcalc {

using console::cplx;
using console::cplx_d;

void substrate_index(const float& phi, const float& ps, const float& de, cplx& cn2) {
  const float rad = static_cast<float>(phi * 0.017453292);
  const float s2 = static_cast<float>(std::pow(std::sin(double{rad}), 2));
  const cplx rho = console::narrow(std::tan(ps * 0.017453292) * console::cexp(cplx_d(0.0, de * 0.017453292)));
  const float t2 = static_cast<float>(std::pow(std::tan(double{rad}), 2));
  const cplx q = console::narrow((4.0 * s2 * cplx_d(rho)) / ((1.0 + cplx_d(rho)) * (1.0 + cplx_d(rho))));
  const cplx eps = console::narrow(t2 * (1.0 - cplx_d(q)));
  cn2 = console::csqrt(eps);
}

}  // namespace ellcalc
