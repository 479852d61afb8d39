// Complex numbers of the calculators: a stored value is a pair of reals of the routine's
// real type R (`cplx_of<R>`: `cplx` for single precision, `cplx_d` itself for double);
// formulas are carried in double precision (`cplx_d`) and rounded to R only where the
// result is stored in a named quantity (`narrow<R>`, single precision by default). With
// R = double the rounding is the identity, so the same formula runs wholly in double.
//
//   cplx x1 = ...;                       // stored, single precision
//   cplx b1 = narrow(x1 + s2 / x1);      // the formula in double, one rounding per part
//   cplx_of<R> b1 = narrow<R>(...);      // the same in a routine templated on R
//
// The arithmetic is the plain textbook one, with no recovery rules for infinities: a
// product or quotient that meets an infinity or a zero divisor gives what the formulas
// give (often a NaN), and nothing traps.
//
// Header-only: the numerical libraries of the programs use it without the rest of the
// console layer.
#pragma once

#include <cmath>
#include <type_traits>

namespace console {

struct cplx {
  float re = 0.0f;
  float im = 0.0f;
};

struct cplx_d {
  double re = 0.0;
  double im = 0.0;

  constexpr cplx_d() = default;
  constexpr cplx_d(double r, double i) : re(r), im(i) {}
  // Widening is exact and implicit, so stored values enter formulas directly.
  constexpr cplx_d(cplx c) : re(c.re), im(c.im) {}  // NOLINT(google-explicit-constructor)
};

// The stored complex value of real type R: the single-precision pair, or the double one.
template <class R>
using cplx_of = std::conditional_t<std::is_same_v<R, float>, cplx, cplx_d>;

// Rounds each part to R (ties to even), as storing does; the identity for double.
template <class R = float>
constexpr cplx_of<R> narrow(cplx_d z) {
  static_assert(std::is_same_v<R, float> || std::is_same_v<R, double>);
  if constexpr (std::is_same_v<R, float>) {
    return {static_cast<float>(z.re), static_cast<float>(z.im)};
  } else {
    return z;
  }
}

constexpr cplx_d operator+(cplx_d a, cplx_d b) { return {a.re + b.re, a.im + b.im}; }
constexpr cplx_d operator-(cplx_d a, cplx_d b) { return {a.re - b.re, a.im - b.im}; }
constexpr cplx_d operator-(cplx_d a) { return {-a.re, -a.im}; }
constexpr cplx_d operator*(cplx_d a, cplx_d b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// Smith's division: scale by the ratio of the divisor's smaller to its larger component.
// A zero divisor gives NaN parts.
constexpr cplx_d operator/(cplx_d a, cplx_d b) {
  if (std::fabs(b.re) >= std::fabs(b.im)) {
    const double r = b.im / b.re;
    const double den = b.re + b.im * r;
    return {(a.re + a.im * r) / den, (a.im - a.re * r) / den};
  }
  const double r = b.re / b.im;
  const double den = b.re * r + b.im;
  return {(a.re * r + a.im) / den, (a.im * r - a.re) / den};
}

// A real operand acts on both parts; a real divided by a complex is (x, 0) / z.
constexpr cplx_d operator+(cplx_d a, double x) { return {a.re + x, a.im}; }
constexpr cplx_d operator+(double x, cplx_d a) { return {x + a.re, a.im}; }
constexpr cplx_d operator-(cplx_d a, double x) { return {a.re - x, a.im}; }
constexpr cplx_d operator-(double x, cplx_d a) { return {x - a.re, -a.im}; }
constexpr cplx_d operator*(cplx_d a, double x) { return {a.re * x, a.im * x}; }
constexpr cplx_d operator*(double x, cplx_d a) { return {x * a.re, x * a.im}; }
constexpr cplx_d operator/(cplx_d a, double x) { return {a.re / x, a.im / x}; }
constexpr cplx_d operator/(double x, cplx_d a) { return cplx_d(x, 0.0) / a; }

// Modulus in double precision: the larger part times sqrt(1 + (smaller/larger)^2), or the
// larger part alone when adding the smaller one to it changes nothing.
//   modulus({3, 4}) -> 5,  modulus({1e30, 1}) -> 1e30,  modulus({0, 0}) -> 0
inline double modulus(cplx_d z) {
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

// Principal square root, both parts rounded to R (single precision by default): the real
// part is never negative, and on the negative real axis the imaginary part is positive.
//   csqrt({-4, 0}) -> (0, 2),  csqrt({-4, -0.0}) -> (0, 2),  csqrt({0, 0}) -> (0, 0)
template <class R = float>
cplx_of<R> csqrt(cplx_d z) {
  const double m = modulus(z);
  if (m == 0.0) return narrow<R>({0.0, 0.0});
  if (z.re > 0.0) {
    const double re = std::sqrt((m + z.re) / 2.0);
    return narrow<R>({re, z.im / (2.0 * re)});
  }
  double t = std::sqrt((m - z.re) / 2.0);
  if (z.im < 0.0) t = -t;
  return narrow<R>({z.im / (2.0 * t), t});
}

// exp(a + ib) = e^a (cos b, sin b), in double precision.
inline cplx_d cexp(cplx_d z) {
  const double e = std::exp(z.re);
  return {e * std::cos(z.im), e * std::sin(z.im)};
}

}  // namespace console
