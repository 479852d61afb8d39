// The stress fit of silica and the silica it leaves to the mixtures.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "optconst/ceps.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"

namespace optconst {
namespace {

using console::cplx;

const float en6328 = static_cast<float>(1239.854 / double{632.8f});  // 632.8 nm

float stressed(const silica_coefficients& sio2, int pol, float en) {
  return sellmeier<float>(sio2, wavelength_squared(en), stressed_pairs[pol], stressed_squares[pol]);
}

TEST(StressFit, ConvergesForUsualStressesOfEitherSign) {
  for (float s : {-450.0f, -150.0f, -1.0f, 0.0f, 1.0f, 150.0f, 450.0f, 3000.0f}) {
    const stress_fit r = bir_fit(s);
    EXPECT_TRUE(r.converged) << s;
    EXPECT_EQ(r.evaluations[0] == 1 && r.evaluations[1] == 1, s == 0.0f) << s;  // nothing to fit at 0
    EXPECT_LT(r.evaluations[0], 100) << s;
    EXPECT_LT(r.evaluations[1], 100) << s;
    // Compression raises the index, tension lowers it.
    EXPECT_EQ(stressed(r.sio2, 0, en6328) > silica(en6328), s < 0.0f) << s;
    EXPECT_EQ(stressed(r.sio2, 1, en6328) > silica(en6328), s < 0.0f) << s;
  }
}

TEST(StressFit, GivesUpAfter500Steps) {
  for (float s : {1e30f, 1e5f, INFINITY}) {
    const stress_fit r = bir_fit(s);
    EXPECT_FALSE(r.converged) << s;
    EXPECT_TRUE(r.evaluations[0] == 501 || r.evaluations[1] == 501) << s;
    EXPECT_EQ(r.sio2, unstressed_silica) << s;
  }
}

// Only silica itself (material 3) is stressed; the mixtures hold unstressed silica.
TEST(Ceps, StressDoesNotLeakIntoTheMixtures) {
  const std::array<float, 2> fr{0.2f, 0.5f};
  std::array<std::array<cplx, 2>, 10> unstressed{};
  const stress_fit none = bir_fit(0.0f);
  ASSERT_TRUE(none.converged);
  for (std::int32_t nat = 1; nat <= 9; ++nat) unstressed[nat] = ceps(fr, en6328, nat, none.sio2);
  for (float s : {-300.0f, 450.0f}) {
    const stress_fit r = bir_fit(s);
    ASSERT_TRUE(r.converged);
    for (std::int32_t nat = 1; nat <= 9; ++nat) {
      const std::array<cplx, 2> eps = ceps(fr, en6328, nat, r.sio2);
      for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(eps[i].re == unstressed[nat][i].re && eps[i].im == unstressed[nat][i].im, nat != 3)
            << nat << ' ' << s << ' ' << i;
      }
    }
  }
}

// Each fit returns the block of its own stress; a later fit changes no earlier block.
TEST(StressFit, FitsForDifferentStressesGiveIndependentBlocks) {
  const std::array<float, 2> dense{0.0f, 0.0f};
  const stress_fit compressed = bir_fit(-300.0f);
  ASSERT_TRUE(compressed.converged);
  const silica_coefficients kept = compressed.sio2;
  const std::array<cplx, 2> before = ceps(dense, en6328, 3, compressed.sio2);

  const stress_fit tensile = bir_fit(450.0f);
  ASSERT_TRUE(tensile.converged);
  EXPECT_FALSE(bir_fit(1e30f).converged);
  EXPECT_EQ(compressed.sio2, kept);

  const std::array<cplx, 2> again = ceps(dense, en6328, 3, compressed.sio2);
  const std::array<cplx, 2> other = ceps(dense, en6328, 3, tensile.sio2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(again[i].re, before[i].re) << i;
    EXPECT_LT(other[i].re, before[i].re) << i;  // tension lowers the index
  }
  // Both blocks keep the unstressed words.
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(compressed.sio2[k], unstressed_silica[k]) << k;
    EXPECT_EQ(tensile.sio2[k], unstressed_silica[k]) << k;
  }
  // At -300 MPa the indices rise by about 2 * 4.19e-6 * 300 and (6.8e-7 + 4.19e-6) * 300.
  const float n0 = console::csqrt(cplx{silica(en6328), 0.0f}).re;
  EXPECT_NEAR(console::csqrt(before[0]).re - n0, 2.0 * 4.19e-6 * 300.0, 2e-5);
  EXPECT_NEAR(console::csqrt(before[1]).re - n0, (6.8e-7 + 4.19e-6) * 300.0, 2e-5);
}

}  // namespace
}  // namespace optconst
