#include "ellcalc/cf_cg.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;

void cf(cplx& r, const cplx& a, const cplx& b) {
  r = console::narrow((cplx_d(a) - cplx_d(b)) / (cplx_d(a) + cplx_d(b)));
}

void cg(cplx& r, const cplx& a, const cplx& b) {
  r = console::narrow((cplx_d(a) + cplx_d(b)) / (1.0 + cplx_d(a) * cplx_d(b)));
}

}  // namespace ellcalc
