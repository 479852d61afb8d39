#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "figures.hpp"
#include "optconst/ceps.hpp"
#include "optconst/stress_fit.hpp"

namespace optconst {
namespace {

using console::cplx;
using optconst_test::f5;

// ceps at 632.8 nm, as the dialogue converts it, with n and k of the first result.
struct result {
  std::array<cplx, 2> eps;
  cplx n;
};

result at632(std::int32_t nat, float f1, float f2) {
  result r{};
  ceps({f1, f2}, static_cast<float>(1239.854 / double{632.8f}), nat, r.eps);
  r.n = console::csqrt(r.eps[0]);
  EXPECT_TRUE(nat == 3 || (r.eps[0].re == r.eps[1].re && r.eps[0].im == r.eps[1].im)) << nat;
  return r;
}

TEST(Ceps, VacuumAndNumbersOffTheMenu) {
  for (std::int32_t nat : {1, 0, -1, 10, -2147483647 - 1, 2147483647}) {
    for (const cplx& e : at632(nat, 0.3f, 0.7f).eps) {
      EXPECT_EQ(e.re, 1.0f) << nat;
      EXPECT_EQ(e.im, 0.0f) << nat;
    }
  }
}

TEST(Ceps, StressedSilicaGivesTwoPolarisationsWithVoids) {
  ASSERT_TRUE(bir_fit(-300.0f).converged);
  result r = at632(3, 0.0f, 0.9f);
  EXPECT_EQ(f5(r.n.re), "1.45953");
  EXPECT_EQ(f5(console::csqrt(r.eps[1]).re), "1.45848");
  EXPECT_EQ(r.eps[0].im, 0.0f);
  r = at632(3, 1.0f, 0.0f);
  EXPECT_EQ(r.eps[0].re, 1.0f);
  EXPECT_EQ(r.eps[1].re, 1.0f);
  ASSERT_TRUE(bir_fit(0.0f).converged);
  r = at632(3, 0.1f, 0.0f);
  EXPECT_EQ(f5(r.eps[0].re), "1.98831");
  EXPECT_EQ(f5(r.eps[1].re), "1.98831");
}

// Each mixture at both ends of fr(2) and inside; a stress fitted for silica must not
// leak into any mixture.
class Mixtures : public ::testing::TestWithParam<float> {};

TEST_P(Mixtures, FollowTheirRecipes) {
  ASSERT_TRUE(bir_fit(GetParam()).converged);
  // Sub-oxide: x = 0 is amorphous silicon, x = 2 silica whatever the voids, x = 1 between.
  EXPECT_EQ(f5(at632(5, 0.0f, 0.0f).n.re), "4.51453");
  for (float f1 : {0.0f, 0.5f, 0.9f}) EXPECT_EQ(f5(at632(5, f1, 1.0f).n.re), "1.45702") << f1;
  result r = at632(5, 0.0f, 0.6078431f);
  EXPECT_EQ(f5(r.eps[0].re), "6.17235");
  EXPECT_EQ(f5(r.eps[0].im), "-0.35347");
  EXPECT_EQ(f5(r.n.re), "2.48544");
  EXPECT_EQ(f5(r.n.im), "-0.07111");
  // Nitride with silica.
  r = at632(7, 0.0f, 0.5f);
  EXPECT_EQ(f5(r.eps[0].re), "3.01075");
  EXPECT_EQ(r.eps[0].im, 0.0f);
  // Polycrystalline: fr(2) = 0 is amorphous with voids, fr(2) = 1 crystalline.
  EXPECT_EQ(f5(at632(8, 0.5f, 0.0f).eps[0].re), "6.82341");
  r = at632(8, 0.0f, 1.0f);
  EXPECT_EQ(f5(r.n.re), "3.88092");
  EXPECT_EQ(f5(r.n.im), "-0.01946");
  r = at632(8, 0.0f, 0.5f);
  EXPECT_EQ(f5(r.eps[0].re), "17.57508");
  EXPECT_EQ(f5(r.eps[0].im), "-1.04910");
  // Porous silicon: crystalline with voids, then silica.
  r = at632(9, 0.5f, 0.0f);
  EXPECT_EQ(f5(r.eps[0].re), "5.40785");
  EXPECT_EQ(f5(r.eps[0].im), "-0.04114");
  r = at632(9, 0.5f, 0.5f);
  EXPECT_EQ(f5(r.eps[0].re), "3.51552");
  EXPECT_EQ(f5(r.eps[0].im), "-0.01550");
}

INSTANTIATE_TEST_SUITE_P(AnyStress, Mixtures, ::testing::Values(0.0f, -300.0f, 450.0f));

}  // namespace
}  // namespace optconst
