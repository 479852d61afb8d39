#include "console/complex.hpp"

namespace console {

double modulus(cplx_d z) {
  double big = std::fabs(z.re);
  double small = std::fabs(z.im);
  if (small > big) {
    const double t = big;
    big = small;
    small = t;
  }
  if (big + small == big) return big;
  const double q = small / big;
  return big * std::sqrt(1.0 + q * q);
}

cplx csqrt(cplx_d z) {
  const double m = modulus(z);
  if (m == 0.0) return {0.0f, 0.0f};
  if (z.re > 0.0) {
    const double re = std::sqrt((m + z.re) / 2.0);
    return narrow({re, z.im / (2.0 * re)});
  }
  double t = std::sqrt((m - z.re) / 2.0);
  if (z.im < 0.0) t = -t;
  return narrow({z.im / (2.0 * t), t});
}

cplx_d cexp(cplx_d z) {
  const double e = std::exp(z.re);
  return {e * std::cos(z.im), e * std::sin(z.im)};
}

}  // namespace console
