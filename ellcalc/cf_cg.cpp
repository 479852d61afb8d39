#include "ellcalc/cf_cg.hpp"

namespace ellcalc {

using console::cplx_d;
using console::cplx_of;

template <class R>
cplx_of<R> cf(cplx_of<R> a, cplx_of<R> b) {
  return console::narrow<R>((cplx_d(a) - cplx_d(b)) / (cplx_d(a) + cplx_d(b)));
}

template <class R>
cplx_of<R> cg(cplx_of<R> a, cplx_of<R> b) {
  return console::narrow<R>((cplx_d(a) + cplx_d(b)) / (1.0 + cplx_d(a) * cplx_d(b)));
}

template cplx_of<float> cf<float>(cplx_of<float>, cplx_of<float>);
template cplx_of<double> cf<double>(cplx_of<double>, cplx_of<double>);
template cplx_of<float> cg<float>(cplx_of<float>, cplx_of<float>);
template cplx_of<double> cg<double>(cplx_of<double>, cplx_of<double>);

}  // namespace ellcalc
