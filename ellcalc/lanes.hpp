// Several points at a time: W lanes of doubles (GCC vector extensions), with the elementary
// functions a sweep needs written for lanes.
//
// The routines' contract is that an elementary function is the double library function, rounded
// where its result is stored. The functions here are not the library's: each result is within a few
// units in the last place of the true value, and where a result is to be stored in single
// precision, rounds_alike tells whether every double within a relative 2^-40 of it rounds to the
// same float. Where it does, the library's result (itself within one unit in the last place) gives
// that float too; where it does not (about one value in 30,000, and every NaN), the caller computes
// the point again with the library.
//
//   using L = lanes<4>;
//   L::vd x = {0.5, 1.0, -2.0, 100.0}, s, c;
//   L::sincos(x, s, c);              // s, c within a few ulp of sin x, cos x
//   L::vl ok = L::in_sincos_range(x) & L::rounds_alike(s);
//
// Everything is inline and forced so: a kernel compiled for a wider instruction set takes these
// with it, and no vector crosses a call (a file that includes this one builds with -Wno-psabi:
// g++'s note on how wider vectors would cross one is moot).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace ellcalc {

// atan of c = j / 32, j = 0 ... 32 (the rest of the table zero, so that any index taken from the
// low six bits stays inside it). Filled once from the library's atan.
const std::array<double, 64>& atan_of_32nds();

#define ELLCALC_LANE [[gnu::always_inline]] static inline

template <int W>
struct lane_types {
  typedef double vd __attribute__((vector_size(8 * W)));
  typedef float vf __attribute__((vector_size(4 * W)));
  typedef std::int64_t vl __attribute__((vector_size(8 * W)));
  typedef std::int32_t vi __attribute__((vector_size(4 * W)));
};

template <int W>
struct lanes {
  static constexpr int width = W;
  using vd = typename lane_types<W>::vd;
  using vf = typename lane_types<W>::vf;
  using vl = typename lane_types<W>::vl;  // a comparison of vd: 0 or -1 per lane
  using vi = typename lane_types<W>::vi;  // a comparison of vf

  // W floats from memory, widened.
  ELLCALC_LANE vd load(const float* p) {
    vf x;
    std::memcpy(&x, p, sizeof x);
    return widen(x);
  }

  ELLCALC_LANE vd widen(vf x) { return __builtin_convertvector(x, vd); }

  // Each lane rounded to float, ties to even, as a store does.
  ELLCALC_LANE vf narrow(vd x) { return __builtin_convertvector(x, vf); }

  // Each lane rounded to float and widened again: the value a stored float holds.
  ELLCALC_LANE vd stored(vd x) { return widen(narrow(x)); }

  ELLCALC_LANE vd select(vl m, vd a, vd b) { return m ? a : b; }

  // The bits of each lane (a cast between vectors of one size keeps the bits).
  ELLCALC_LANE vl bits(vd x) { return (vl)x; }
  ELLCALC_LANE vd from_bits(vl b) { return (vd)b; }

  static constexpr std::int64_t sign_bit = INT64_MIN;

  ELLCALC_LANE vd abs(vd x) { return from_bits(bits(x) & ~sign_bit); }

  // |a| with the sign of s.
  ELLCALC_LANE vd with_sign_of(vd a, vd s) { return from_bits((bits(a) & ~sign_bit) | (bits(s) & sign_bit)); }

  // Complex division (ar + i ai) / (br + i bi) exactly as console's operator/ computes it (Smith's,
  // scaled by the divisor's smaller component over its larger), lane by lane and to the bit: the
  // same operations on the same operands in each branch.
  ELLCALC_LANE void divide(vd ar, vd ai, vd br, vd bi, vd& re, vd& im) {
    const vl by_re = abs(br) >= abs(bi);
    const vd big = select(by_re, br, bi);
    const vd small = select(by_re, bi, br);
    const vd r = small / big;
    const vd den = big + small * r;
    re = (select(by_re, ar, ai) + select(by_re, ai, ar) * r) / den;
    im = (select(by_re, ai, ai * r) - select(by_re, ar * r, ar)) / den;
  }

  // Adding 1.5 * 2^52 to a value below 2^51 in magnitude leaves it rounded to an integer in the low
  // bits of the significand (ties to even); subtracting it again gives that integer as a double.
  static constexpr double round_shift = 0x1.8p52;

  // Whether every double within a relative 2^-40 of y rounds to the float y rounds to; false for
  // NaN. Rounding is monotonic, so comparing the ends of the interval is enough.
  ELLCALC_LANE vl rounds_alike(vd y) {
    constexpr double slack = 0x1p-40;
    const vi same = narrow(y * (1.0 - slack)) == narrow(y * (1.0 + slack));
    return __builtin_convertvector(same, vl);
  }

  // sin x and cos x for |x| <= 2^19 (other lanes: anything; in_sincos_range says which): x less the
  // nearest multiple k pi/2, with pi/2 in three parts (the first two of 33 bits, so that k times
  // them is exact), then the Taylor series on [-pi/4, pi/4] and the quadrant k mod 4. Relative
  // error a few ulp.
  ELLCALC_LANE vl in_sincos_range(vd x) { return abs(x) <= 0x1p19; }

  ELLCALC_LANE void sincos(vd x, vd& s, vd& c) {
    constexpr double two_over_pi = 0x1.45f306dc9c883p-1;
    constexpr double half_pi_1 = 0x1.921fb54400000p+0;
    constexpr double half_pi_2 = 0x1.0b4611a600000p-34;
    constexpr double half_pi_3 = 0x1.3198a2e037073p-69;
    const vd shifted = x * two_over_pi + round_shift;
    const vd k = shifted - round_shift;
    const vl quadrant = bits(shifted) & 3;
    const vd r = ((x - k * half_pi_1) - k * half_pi_2) - k * half_pi_3;
    const vd r2 = r * r;
    // sin r = r - r^3/3! + ... + r^15/15!; cos r = 1 - r^2/2! + ... + r^16/16!: the first term left
    // out is below 2^-53 relative on [-pi/4, pi/4].
    vd ps = r2 * (-1.0 / 1307674368000.0) + 1.0 / 6227020800.0;
    ps = ps * r2 + -1.0 / 39916800.0;
    ps = ps * r2 + 1.0 / 362880.0;
    ps = ps * r2 + -1.0 / 5040.0;
    ps = ps * r2 + 1.0 / 120.0;
    ps = ps * r2 + -1.0 / 6.0;
    const vd sin_r = r + r * r2 * ps;
    vd pc = r2 * (1.0 / 20922789888000.0) + -1.0 / 87178291200.0;
    pc = pc * r2 + 1.0 / 479001600.0;
    pc = pc * r2 + -1.0 / 3628800.0;
    pc = pc * r2 + 1.0 / 40320.0;
    pc = pc * r2 + -1.0 / 720.0;
    pc = pc * r2 + 1.0 / 24.0;
    const vd cos_r = (1.0 - r2 * 0.5) + r2 * r2 * pc;
    // Quadrant q: sin x = (sin r, cos r, -sin r, -cos r)[q],
    //             cos x = (cos r, -sin r, -cos r, sin r)[q].
    const vl odd = (quadrant & 1) != 0;
    const vd s0 = select(odd, cos_r, sin_r);
    const vd c0 = select(odd, sin_r, cos_r);
    s = select((quadrant & 2) != 0, -s0, s0);
    c = select(((quadrant + 1) & 2) != 0, -c0, c0);
  }

  // atan2(y, x) in radians, relative error a few ulp, with the sign of a zero y kept as the library
  // keeps it; `near` says in which lanes the result can be trusted (false where both are zero or
  // both infinite, or either is NaN). With q the ratio small / large of |y| and |x|, in [0, 1], and
  // c the nearest 32nd to q (found in single precision), atan q = atan c + atan u, u = (small -
  // large c) / (large + small c) = (q - c) / (1 + q c), whose series to u^9 is exact to 2^-60 for
  // |u| <= 1/48. The product large c is rounded, which costs at most an absolute 2^-52 on a result
  // of at least atan(1/32) when c is not zero (and nothing when it is).
  ELLCALC_LANE vd atan2(vd y, vd x, vl& near) {
    constexpr double pi = 0x1.921fb54442d18p+1;
    constexpr double half_pi = 0x1.921fb54442d18p+0;
    const vd ay = abs(y);
    const vd ax = abs(x);
    const vl swap = ay > ax;
    const vd small = select(swap, ax, ay);
    const vd large = select(swap, ay, ax);
    const vf q = narrow(small) / narrow(large);
    const vd shifted = widen(q) * 32.0 + round_shift;
    const vd c = (shifted - round_shift) * (1.0 / 32.0);
    const vl j = bits(shifted) & 63;
    const std::array<double, 64>& table = atan_of_32nds();
    vd atan_c;
    for (int k = 0; k < W; ++k) atan_c[k] = table[static_cast<std::size_t>(j[k])];
    const vd u = (small - large * c) / (large + small * c);
    near = abs(u) <= 1.0 / 48.0;
    const vd u2 = u * u;
    vd p = u2 * (1.0 / 9.0) + -1.0 / 7.0;
    p = p * u2 + 1.0 / 5.0;
    p = p * u2 + -1.0 / 3.0;
    vd a = atan_c + (u + u * u2 * p);
    a = select(swap, half_pi - a, a);
    a = select(x < 0.0, pi - a, a);
    return with_sign_of(a, y);
  }
};

#undef ELLCALC_LANE

}  // namespace ellcalc
