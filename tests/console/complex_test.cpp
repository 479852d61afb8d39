#include "console/complex.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
  const cplx a = csqrt({-4, 0});
  EXPECT_EQ(a.re, 0.0f);
  EXPECT_EQ(a.im, 2.0f);
  const cplx b = csqrt({-4, -0.0});  // a zero imaginary part counts as not negative
  EXPECT_EQ(b.im, 2.0f);
  const cplx c = csqrt({3, -4});
  EXPECT_EQ(c.re, 2.0f);
  EXPECT_EQ(c.im, -1.0f);
  const cplx d = csqrt({-3, -4});
  EXPECT_EQ(d.re, 1.0f);
  EXPECT_EQ(d.im, -2.0f);
  const cplx z = csqrt({0, 0});
  EXPECT_EQ(z.re, 0.0f);
  EXPECT_EQ(z.im, 0.0f);
}

TEST(Complex, SmithDivision) {
  const cplx_d q = cplx_d(1, 2) / cplx_d(3, 4);
  EXPECT_DOUBLE_EQ(q.re, 11.0 / 25);
  EXPECT_DOUBLE_EQ(q.im, 2.0 / 25);
  const cplx_d r = cplx_d(1, 2) / cplx_d(4, 3);  // the other branch
  EXPECT_DOUBLE_EQ(r.re, 10.0 / 25);
  EXPECT_DOUBLE_EQ(r.im, 5.0 / 25);
  // Scaling avoids the overflow of the textbook formula.
  const cplx_d big = cplx_d(1e300, 1e300) / cplx_d(1e300, 1e300);
  EXPECT_DOUBLE_EQ(big.re, 1.0);
  EXPECT_DOUBLE_EQ(big.im, 0.0);
  const cplx_d zero = cplx_d(1, 0) / cplx_d(0, 0);
  EXPECT_TRUE(std::isnan(zero.re));
}

TEST(Complex, ExponentialAndNarrowing) {
  const cplx_d e = cexp({0, 3.141592653589793});
  EXPECT_DOUBLE_EQ(e.re, -1.0);
  const cplx n = narrow({0.1, 1e300});
  EXPECT_EQ(n.re, 0.1f);
  EXPECT_TRUE(std::isinf(n.im));
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

TEST(Complex, StoredPartsAreRoundedToSinglePrecision) {
  cplx product{};
  EXPECT_EQ(rounding_left_out(1.234567, product), 0.0);
  EXPECT_EQ(product.re, 0x1.8c0a9p-3f);
}

}  // namespace
}  // namespace console
