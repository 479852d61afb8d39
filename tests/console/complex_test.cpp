#include "console/complex.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace console {
namespace {

TEST(Complex, ModulusScalesByTheLargerPart) {
  EXPECT_EQ(modulus({3, 4}), 5.0);
  EXPECT_EQ(modulus({-4, 3}), 5.0);
  EXPECT_EQ(modulus({0, 0}), 0.0);
  EXPECT_EQ(modulus({1e30, 1}), 1e30);  // the smaller part changes nothing
  EXPECT_EQ(modulus({1e300, 1e300}), 1e300 * std::sqrt(2.0));
  EXPECT_TRUE(std::isinf(modulus({std::numeric_limits<double>::infinity(), 1})));
}

TEST(Complex, PrincipalSquareRoot) {
  // A zero imaginary part counts as not negative, also -0.
  const std::pair<cplx_d, cplx> roots[] = {
      {{-4, 0}, {0, 2}}, {{-4, -0.0}, {0, 2}}, {{3, -4}, {2, -1}}, {{-3, -4}, {1, -2}}, {{0, 0}, {0, 0}}};
  for (const auto& [z, root] : roots) {
    const cplx r = csqrt(z);
    EXPECT_EQ(r.re, root.re) << z.re << ' ' << z.im;
    EXPECT_EQ(r.im, root.im) << z.re << ' ' << z.im;
  }
}

TEST(Complex, SmithDivision) {
  // Both branches, and a scaling that avoids the overflow of the textbook formula.
  const std::array<cplx_d, 3> quotients[] = {{cplx_d(1, 2), cplx_d(3, 4), cplx_d(11.0 / 25, 2.0 / 25)},
                                             {cplx_d(1, 2), cplx_d(4, 3), cplx_d(10.0 / 25, 5.0 / 25)},
                                             {cplx_d(1e300, 1e300), cplx_d(1e300, 1e300), cplx_d(1, 0)}};
  for (const auto& [a, b, q] : quotients) {
    EXPECT_DOUBLE_EQ((a / b).re, q.re) << b.re;
    EXPECT_DOUBLE_EQ((a / b).im, q.im) << b.re;
  }
  EXPECT_TRUE(std::isnan((cplx_d(1, 0) / cplx_d(0, 0)).re));
}

// A stored value keeps single precision even when the optimiser sees it widened again
// right away: g++ 12's vectoriser drops the rounding of both parts of narrow() when the
// result feeds a complex product (the build turns the vectoriser off for this).
[[gnu::noinline]] double rounding_left_out(double b, cplx& product) {
  const cplx e = narrow(cexp(cplx_d(0.0, -b)));
  product = narrow(cplx_d(cplx{0.3f, 0.1f}) * cplx_d(e));
  volatile double re = e.re;
  return re - static_cast<double>(static_cast<float>(re));
}

TEST(Complex, ExponentialAndNarrowingToSinglePrecision) {
  const cplx_d e = cexp({0, 3.141592653589793});
  EXPECT_DOUBLE_EQ(e.re, -1.0);
  const cplx n = narrow({0.1, 1e300});
  EXPECT_EQ(n.re, 0.1f);
  EXPECT_TRUE(std::isinf(n.im));
  // The stored parts are rounded to single precision.
  cplx product{};
  EXPECT_EQ(rounding_left_out(1.234567, product), 0.0);
  EXPECT_EQ(product.re, 0x1.8c0a9p-3f);
}

}  // namespace
}  // namespace console
