// The lanes' elementary functions against the library's, and film_at_many, in every build of the
// lanes the processor has, against film_at to the bit.
#include "ellcalc/lanes.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "ellcalc/film_at_many.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "tests/test_support.hpp"

namespace ellcalc {
namespace {

using L = lanes<4>;
using test_support::bits;

// The arguments the sweep meets and those that stress the functions: multiples of pi/4 and pi/2
// (the reductions' edges), the floats nearest them far out, tiny and huge values.
std::vector<double> arguments() {
  std::vector<double> x;
  std::mt19937 g(7);
  for (int i = 0; i < 200000; ++i) x.push_back(test_support::uniform(g, -100.0, 100.0));
  for (int i = 0; i < 50000; ++i) x.push_back(std::ldexp(test_support::uniform(g, -1.0, 1.0), i % 70 - 50));
  for (int k = -4000; k <= 4000; ++k) {
    const float near = static_cast<float>(k * 0.78539816339744830962);
    for (float v : {near, std::nextafter(near, 1e30f), std::nextafter(near, -1e30f)}) x.push_back(v);
  }
  return x;
}

// Within 4 ulp of the library wherever the lanes give a result, and never a different float where
// rounds_alike vouches for it.
void expect_close_and_rounded_alike(double fast, double library, bool vouched, const char* what, double arg) {
  ASSERT_LE(std::fabs(fast - library), 4 * std::fabs(library) * std::numeric_limits<double>::epsilon())
      << what << " of " << arg;
  if (vouched) {
    ASSERT_EQ(bits(static_cast<float>(fast)), bits(static_cast<float>(library))) << what << " of " << arg;
  }
}

TEST(Lanes, SinCosWithinAFewUlpOfTheLibrary) {
  const std::vector<double> xs = arguments();
  for (std::size_t i = 0; i + 4 <= xs.size(); i += 4) {
    const L::vd x = {xs[i], xs[i + 1], xs[i + 2], xs[i + 3]};
    L::vd s, c;
    L::sincos(x, s, c);
    const L::vl s_ok = L::rounds_alike(s), c_ok = L::rounds_alike(c), in = L::in_sincos_range(x);
    for (int k = 0; k < 4; ++k) {
      ASSERT_NE(in[k], 0) << x[k];
      expect_close_and_rounded_alike(s[k], std::sin(x[k]), s_ok[k] != 0, "sin", x[k]);
      expect_close_and_rounded_alike(c[k], std::cos(x[k]), c_ok[k] != 0, "cos", x[k]);
    }
  }
  const double inf = std::numeric_limits<double>::infinity();
  const L::vl out = L::in_sincos_range(L::vd{0x1p19 * 1.0000001, -inf, std::nan(""), 0x1p19});
  EXPECT_TRUE(out[0] == 0 && out[1] == 0 && out[2] == 0 && out[3] != 0);
}

TEST(Lanes, Atan2WithinAFewUlpOfTheLibraryInEveryQuadrant) {
  const std::vector<double> xs = arguments();
  std::mt19937 g(11);
  for (std::size_t i = 0; i + 4 <= xs.size(); i += 4) {
    L::vd y = {xs[i], xs[i + 1], xs[i + 2], xs[i + 3]}, x;
    for (int k = 0; k < 4; ++k) x[k] = xs[(i * 7 + static_cast<std::size_t>(k) * 13) % xs.size()];
    // Now and then a ratio of exactly 0, 1 or a 32nd, and zeros of either sign.
    if (i % 40 == 0) x[0] = y[0] * 0.03125, y[1] = -0.0, x[2] = -y[2], y[3] = 0.0;
    L::vl near;
    const L::vd a = L::atan2(y, x, near);
    const L::vl vouched = L::rounds_alike(a);
    for (int k = 0; k < 4; ++k) {
      const double want = std::atan2(y[k], x[k]);
      ASSERT_EQ(near[k] != 0, y[k] != 0 || x[k] != 0) << y[k] << ", " << x[k];
      if (near[k] == 0) continue;
      expect_close_and_rounded_alike(a[k], want, vouched[k] != 0, "atan2", y[k]);
      ASSERT_EQ(std::signbit(a[k]), std::signbit(want)) << y[k] << ", " << x[k];
    }
  }
  // Both zero, both infinite, or a NaN: not trusted.
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  L::vl near;
  L::atan2(L::vd{0.0, inf, nan, 1.0}, L::vd{-0.0, -inf, 1.0, nan}, near);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(near[k], 0) << k;
}

TEST(Lanes, RoundsAlikeOnlyAwayFromTheMidpointsBetweenFloats) {
  const double mid = 1.0 + 0x1p-24;  // halfway between 1 and the next float
  const L::vl r = L::rounds_alike(L::vd{1.0, mid, mid * (1 + 0x1p-30), std::nan("")});
  EXPECT_TRUE(r[0] != 0 && r[1] == 0 && r[2] != 0 && r[3] == 0);
}

// Every build of the lanes against film_at, over films on absorbing and weakly reflecting
// substrates, block sizes that leave remainders, and thicknesses and wavelengths that are zero,
// negative, huge (beyond the lanes' sine), infinite or NaN.
TEST(FilmAtMany, EveryLaneSetGivesFilmAtsBits) {
  std::mt19937 g(20261207);
  const auto uniform = [&](double lo, double hi) { return static_cast<float>(test_support::uniform(g, lo, hi)); };
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> odd{0.0f, -0.0f, inf, -inf, std::nanf(""), 1e30f, -1e-30f, 4e6f};
  for (lane_set set : {lane_set::sse2, lane_set::avx2, lane_set::avx512}) {
    if (!has_lane_set(set)) continue;
    for (int film = 0; film < 300; ++film) {
      const media<float> m = ambient_and_substrate<float>(uniform(0, 89), {uniform(0.3f, 5), uniform(-4, 0)});
      const float an = uniform(1, 3);
      const film_invariants<float> f = film_setup<float>(m, an, normal_component<float>(an, m.s2));
      const std::size_t n = static_cast<std::size_t>(film % 7 == 0 ? film % 70 : 1000);
      std::vector<float> ol(n), ep(n);
      for (std::size_t i = 0; i < n; ++i) {
        ol[i] = i % 97 == 5 ? odd[i % odd.size()] : uniform(200, 2000);
        ep[i] = i % 89 == 3 ? odd[(i / 89) % odd.size()] : uniform(-500, 3000);
      }
      std::vector<film1_result<float>> got(n);
      film_at_many_on(set, f, ol.data(), ep.data(), got.data(), n);
      for (std::size_t i = 0; i < n; ++i) {
        const film1_result<float> want = film_at<float>(f, ol[i], ep[i]);
        ASSERT_EQ(bits(got[i].psa), bits(want.psa)) << static_cast<int>(set) << " ol " << ol[i] << " ep " << ep[i];
        ASSERT_EQ(bits(got[i].dea), bits(want.dea)) << static_cast<int>(set) << " ol " << ol[i] << " ep " << ep[i];
        ASSERT_EQ(bits(got[i].per), bits(want.per));
        ASSERT_EQ(bits(got[i].ep), bits(want.ep));
        ASSERT_EQ(bits(got[i].an), bits(want.an));
      }
    }
  }
}

}  // namespace
}  // namespace ellcalc
