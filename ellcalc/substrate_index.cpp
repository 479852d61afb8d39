#include "ellcalc/substrate_index.hpp"

#include <cmath>

#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

template <class R>
cplx_of<R> substrate_index(R phi, R ps, R de) {
  const R rad = stored<R>(phi * real_traits<R>::deg);
  const R s2 = stored<R>(std::sin(double{rad}) * std::sin(double{rad}));
  const cplx_of<R> rho = ratio_of_psi_delta<R>(ps, de);
  const R t2 = stored<R>(std::tan(double{rad}) * std::tan(double{rad}));
  const cplx_of<R> q = narrow<R>((4.0 * s2 * cplx_d(rho)) / ((1.0 + cplx_d(rho)) * (1.0 + cplx_d(rho))));
  const cplx_of<R> eps = narrow<R>(t2 * (1.0 - cplx_d(q)));
  return console::csqrt<R>(eps);
}

template cplx_of<float> substrate_index<float>(float, float, float);
template cplx_of<double> substrate_index<double>(double, double, double);

}  // namespace ellcalc
