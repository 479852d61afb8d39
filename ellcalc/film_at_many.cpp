#include "ellcalc/film_at_many.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "ellcalc/lanes.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

const std::array<double, 64>& atan_of_32nds() {
  static const std::array<double, 64> table = [] {
    std::array<double, 64> t{};
    for (int j = 0; j <= 32; ++j) t[static_cast<std::size_t>(j)] = std::atan(j / 32.0);
    return t;
  }();
  return table;
}

namespace {

// film_at<float> over a block of points, W lanes at a time, in three passes over the block (so that
// the long chains of divisions of neighbouring lanes overlap), with the single-precision values
// stored where film_at stores them. A point whose sine, cosine, Psi or Delta might round otherwise
// than the library's is computed again by film_at.
constexpr std::size_t block = 64;

template <int W>
struct block_state {
  using vd = typename lanes<W>::vd;
  using vl = typename lanes<W>::vl;
  static constexpr std::size_t chunks = block / W;
  std::array<vd, chunks> thickness, period, e_re, e_im, rho_re, rho_im;
  std::array<vl, chunks> exact;
};

template <int W>
[[gnu::always_inline]] inline void lane_block(const film_invariants<float>& f, const float* ol, const float* ep,
                                              film1_result<float>* out, block_state<W>& b) {
  using L = lanes<W>;
  using vd = typename L::vd;
  using vl = typename L::vl;
  constexpr std::size_t chunks = block_state<W>::chunks;
  // thickness_period, then the phase factor e = exp(-i beta) of stack_at.
  for (std::size_t c = 0; c < chunks; ++c) {
    const vd wavelength = L::load(ol + c * W);
    vd thickness = L::load(ep + c * W);
    const vd period = L::stored(wavelength / (double{f.xi1} + f.xi1));
    b.thickness[c] = L::select(thickness < 0.0, L::stored(thickness + period), thickness);
    b.period[c] = period;
    const vd x = -L::stored(b.thickness[c] * real_traits<float>::four_pi * double{f.faces.a1re} / wavelength);
    vd sin_x, cos_x;
    L::sincos(x, sin_x, cos_x);
    b.exact[c] = L::in_sincos_range(x) & L::rounds_alike(cos_x) & L::rounds_alike(sin_x);
    b.e_re[c] = L::stored(cos_x);
    b.e_im[c] = L::stored(sin_x);
  }
  // The Airy sums for p and s, and their ratio rho = rp / rs (psi_delta).
  for (std::size_t c = 0; c < chunks; ++c) {
    const vd e_re = b.e_re[c];
    const vd e_im = b.e_im[c];
    const auto airy = [&](console::cplx top, console::cplx bottom, vd& re, vd& im) {
      const double bottom_re = bottom.re;
      const double bottom_im = bottom.im;
      const vd b_re = L::stored(bottom_re * e_re - bottom_im * e_im);
      const vd b_im = L::stored(bottom_re * e_im + bottom_im * e_re);
      const double a_re = top.re;
      const double a_im = top.im;
      L::divide(a_re + b_re, a_im + b_im, 1.0 + (a_re * b_re - a_im * b_im), a_re * b_im + a_im * b_re, re, im);
      re = L::stored(re);
      im = L::stored(im);
    };
    vd rp_re, rp_im, rs_re, rs_im;
    airy(f.faces.rp01, f.faces.rp12, rp_re, rp_im);
    airy(f.faces.rs01, f.faces.rs12, rs_re, rs_im);
    L::divide(rp_re, rp_im, rs_re, rs_im, b.rho_re[c], b.rho_im[c]);
  }
  // atan |rho| and the argument of rho, in degrees: within a few ulp of the library's atan and
  // atan2 divided by deg (multiplying by the reciprocal adds one more).
  constexpr double per_radian = 1.0 / real_traits<float>::deg;
  for (std::size_t c = 0; c < chunks; ++c) {
    const vd rho_re = L::stored(b.rho_re[c]);
    const vd rho_im = L::stored(b.rho_im[c]);
    const vd squared = rho_re * rho_re + rho_im * rho_im;
    vd modulus;
    for (int k = 0; k < W; ++k) modulus[k] = std::sqrt(squared[k]);
    vl psi_near, delta_near;
    const vd psi = L::atan2(modulus, vd{} + 1.0, psi_near) * per_radian;
    const vd delta = L::atan2(rho_im, rho_re, delta_near) * per_radian;
    const vl exact = b.exact[c] & psi_near & delta_near & L::rounds_alike(psi) & L::rounds_alike(delta);
    for (int k = 0; k < W; ++k) {
      const std::size_t i = c * W + static_cast<std::size_t>(k);
      if (exact[k] == 0) {
        out[i] = film_at<float>(f, ol[i], ep[i]);
        continue;
      }
      film1_result<float> r{};
      r.an = f.an;
      r.ep = static_cast<float>(b.thickness[c][k]);
      r.per = static_cast<float>(b.period[c][k]);
      r.psa = static_cast<float>(psi[k]);
      r.dea = static_cast<float>(delta[k]);
      out[i] = r;
    }
  }
}

template <int W>
[[gnu::always_inline]] inline void points(const film_invariants<float>& f, const float* ol, const float* ep,
                                          film1_result<float>* out, std::size_t n) {
  block_state<W> b;
  std::size_t i = 0;
  for (; i + block <= n; i += block) lane_block<W>(f, ol + i, ep + i, out + i, b);
  if (i == n) return;
  // The last points, in a block filled up with copies of the last one.
  std::array<float, block> ol_rest, ep_rest;
  std::array<film1_result<float>, block> out_rest;
  for (std::size_t k = 0; k < block; ++k) {
    ol_rest[k] = ol[std::min(i + k, n - 1)];
    ep_rest[k] = ep[std::min(i + k, n - 1)];
  }
  lane_block<W>(f, ol_rest.data(), ep_rest.data(), out_rest.data(), b);
  std::copy(out_rest.begin(), out_rest.begin() + static_cast<std::ptrdiff_t>(n - i), out + i);
}

// One build of the lanes per instruction set.
[[gnu::target("avx512f,avx512dq")]] void points_avx512(const film_invariants<float>& f, const float* ol,
                                                       const float* ep, film1_result<float>* out, std::size_t n) {
  points<8>(f, ol, ep, out, n);
}

[[gnu::target("avx2")]] void points_avx2(const film_invariants<float>& f, const float* ol, const float* ep,
                                         film1_result<float>* out, std::size_t n) {
  points<4>(f, ol, ep, out, n);
}

void points_sse2(const film_invariants<float>& f, const float* ol, const float* ep, film1_result<float>* out,
                 std::size_t n) {
  points<2>(f, ol, ep, out, n);
}

}  // namespace

bool has_lane_set(lane_set s) {
  switch (s) {
    case lane_set::sse2: return true;
    case lane_set::avx2: return __builtin_cpu_supports("avx2");
    case lane_set::avx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
  }
  return false;
}

void film_at_many_on(lane_set s, const film_invariants<float>& f, const float* ol, const float* ep,
                     film1_result<float>* out, std::size_t n) {
  switch (s) {
    case lane_set::avx512: return points_avx512(f, ol, ep, out, n);
    case lane_set::avx2: return points_avx2(f, ol, ep, out, n);
    case lane_set::sse2: return points_sse2(f, ol, ep, out, n);
  }
}

template <>
void film_at_many<float>(const film_invariants<float>& f, const float* ol, const float* ep, film1_result<float>* out,
                         std::size_t n) {
  static const lane_set best = has_lane_set(lane_set::avx512) ? lane_set::avx512
                               : has_lane_set(lane_set::avx2) ? lane_set::avx2
                                                              : lane_set::sse2;
  film_at_many_on(best, f, ol, ep, out, n);
}

template <>
void film_at_many<double>(const film_invariants<double>& f, const double* ol, const double* ep,
                          film1_result<double>* out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out[i] = film_at<double>(f, ol[i], ep[i]);
}

}  // namespace ellcalc
