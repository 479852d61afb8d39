#include <gtest/gtest.h>

#include <cmath>

#include "figures.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"

namespace optconst {
namespace {

using optconst_test::f5;

const float en6328 = static_cast<float>(1239.854 / double{632.8f});  // 632.8 nm

float stressed(int pol, float en) {
  return sellmeier(wavelength_squared(en), stressed_pairs[pol], stressed_squares[pol]);
}

TEST(StressFit, ZeroStressKeepsTheCoefficients) {
  const stress_fit r = bir_fit(0.0f);
  ASSERT_TRUE(r.converged);
  EXPECT_EQ(f5(silica(en6328)), "2.12290");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(r.evaluations[i], 1);
    EXPECT_EQ(r.u[i], 0.0f);
    EXPECT_EQ(r.v[i], 0.0f);
    for (int k = 0; k < 6; ++k) EXPECT_EQ(sio2[stressed_pairs[i] + k], sio2[k]) << "word " << k + 1;
    EXPECT_EQ(f5(stressed(i, en6328)), "2.12290");
  }
}

TEST(StressFit, Compression300MPa) {
  ASSERT_TRUE(bir_fit(-300.0f).converged);
  const float n0 = std::sqrt(silica(en6328));
  // The index changes follow the stress-optic coefficients near 643.8 nm.
  EXPECT_NEAR(std::sqrt(stressed(0, en6328)) - n0, 2 * 4.19e-06 * 300, 2e-5);
  EXPECT_NEAR(std::sqrt(stressed(1, en6328)) - n0, (6.8e-07 + 4.19e-06) * 300, 2e-5);
  // C3 is not shifted; its square is recomputed from it.
  EXPECT_EQ(sio2[stressed_pairs[0] + 5], sio2[5]);
  EXPECT_EQ(sio2[stressed_squares[1] + 2], sio2[5] * sio2[5]);
}

TEST(StressFit, ConvergesForUsualStressesOfBothSigns) {
  for (float s : {-450.0f, -150.0f, -1.0f, 1.0f, 150.0f, 450.0f, 3000.0f}) {
    const stress_fit r = bir_fit(s);
    EXPECT_TRUE(r.converged) << s;
    EXPECT_LT(r.evaluations[0], 100) << s;
    EXPECT_LT(r.evaluations[1], 100) << s;
    // Compression raises the index, tension lowers it.
    EXPECT_EQ(stressed(0, en6328) > silica(en6328), s < 0.0f) << s;
  }
}

TEST(StressFit, GivesUpAfter500Steps) {
  ASSERT_TRUE(bir_fit(-300.0f).converged);
  const float before = sio2[stressed_pairs[0]];
  for (float s : {1e30f, 1e5f, INFINITY}) {
    const stress_fit r = bir_fit(s);
    EXPECT_FALSE(r.converged) << s;
    EXPECT_TRUE(r.evaluations[0] == 501 || r.evaluations[1] == 501) << s;
  }
  EXPECT_EQ(sio2[stressed_pairs[0]], before);
}

}  // namespace
}  // namespace optconst
