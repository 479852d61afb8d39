// rcoef: reflection coefficients of the film stack.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "ellcalc/film1.hpp"
#include "ellcalc/rcoef.hpp"

namespace ellcalc {
namespace {

using console::cplx;

struct stack {
  float ep, per, Rp, Rs, psi, delta;
  cplx rp, rs;
};

stack run_rcoef(float ep, float an = 1.5f, float phi = 70.0f, float ol = 632.8f) {
  const cplx cn2{3.866f, -0.028f};
  stack s{};
  s.ep = ep;
  rcoef(ol, phi, cn2, an, s.ep, s.per, s.rp, s.rs, s.Rp, s.Rs, s.psi, s.delta);
  return s;
}

TEST(Rcoef, StandardFilm) {
  const stack s = run_rcoef(100.0f);
  EXPECT_NEAR(s.per, 270.617, 0.0005);
  EXPECT_NEAR(s.psi, 43.613, 0.0005);
  EXPECT_NEAR(s.delta, 75.973, 0.0005);
  EXPECT_NEAR(s.rp.re, -0.43614, 5e-6);
  EXPECT_NEAR(s.rp.im, -0.21932, 5e-6);
  EXPECT_NEAR(s.Rp, 0.23832, 5e-6);
  EXPECT_NEAR(s.rs.re, -0.33430, 5e-6);
  EXPECT_NEAR(s.rs.im, 0.38833, 5e-6);
  EXPECT_NEAR(s.Rs, 0.26256, 5e-6);
}

TEST(Rcoef, SamePeriodAndAnglesAsTheFilmModel) {
  // Mode 1 and mode 5 print the same period, Psi and Delta for the same inputs.
  for (float an : {1.44f, 1.5f, 2.1f}) {
    for (float ep : {5.0f, 100.0f, 400.0f, -50.0f}) {
      const stack s = run_rcoef(ep, an, 65.0f, 500.0f);
      const float ol = 500.0f, phi = 65.0f, ps = 0.0f, de = 0.0f;
      const cplx cn2{3.866f, -0.028f};
      const std::int32_t kind = 1;
      float n = an, d = ep, psa, dea, per;
      film1(ol, phi, cn2, kind, ps, de, n, d, psa, dea, per);
      EXPECT_EQ(s.ep, d);
      EXPECT_EQ(s.per, per);
      EXPECT_EQ(s.psi, psa);
      EXPECT_EQ(s.delta, dea);
    }
  }
}

TEST(Rcoef, PeriodicInTheThickness) {
  const stack a = run_rcoef(60.0f);
  const stack b = run_rcoef(60.0f + a.per);
  EXPECT_NEAR(a.rp.re, b.rp.re, 2e-5);
  EXPECT_NEAR(a.rp.im, b.rp.im, 2e-5);
  EXPECT_NEAR(a.rs.re, b.rs.re, 2e-5);
  EXPECT_NEAR(a.rs.im, b.rs.im, 2e-5);
}

TEST(Rcoef, NegativeThicknessIsFoldedIntoTheKeptValue) {
  const stack s = run_rcoef(-50.0f);
  EXPECT_NEAR(s.ep, 220.617, 0.0005);
  const stack direct = run_rcoef(s.ep);
  EXPECT_EQ(s.psi, direct.psi);
  EXPECT_EQ(s.delta, direct.delta);
}

TEST(Rcoef, NormalIncidence) {
  const stack s = run_rcoef(100.0f, 1.5f, 0.0f);
  EXPECT_FLOAT_EQ(s.rp.re, -s.rs.re);
  EXPECT_FLOAT_EQ(s.rp.im, -s.rs.im);
  EXPECT_FLOAT_EQ(s.Rp, s.Rs);
  EXPECT_NEAR(s.psi, 45.0, 1e-4);
  EXPECT_NEAR(std::fabs(s.delta), 180.0, 1e-4);
}

}  // namespace
}  // namespace ellcalc
