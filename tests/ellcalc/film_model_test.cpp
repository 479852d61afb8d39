// The film model: cf/cg, psd, cres and film1, on the calculator's standard sample (632.8 nm,
// 70 degrees, substrate (3.866, -0.028)) unless a test says otherwise.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/cres.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/psd.hpp"

namespace ellcalc {
namespace {

using console::cplx;
using console::cplx_d;

// Admittances of ambient and substrate, as film1 forms them.
struct geometry {
  float s2;
  cplx a0, b0, a2, b2;
};

geometry standard_geometry(float phi_deg = 70.0f, cplx cn2 = {3.866f, -0.028f}) {
  const float rad = static_cast<float>(phi_deg * 0.017453292);
  geometry g{};
  g.s2 = static_cast<float>(std::sin(double{rad}) * std::sin(double{rad}));
  g.a0 = {static_cast<float>(std::cos(double{rad})), 0.0f};
  g.b0 = console::narrow(1.0 / cplx_d(g.a0));
  const cplx_d n2sq = cplx_d(cn2) * cplx_d(cn2);
  g.a2 = console::csqrt(n2sq - double{g.s2});
  g.b2 = console::narrow(n2sq / cplx_d(g.a2));
  return g;
}

struct film_result {
  float an, ep, psa, dea, per;
};

film_result run_film1(std::int32_t kind, float an, float ep, float ps = 39.44f, float de = 78.24f) {
  const float ol = 632.8f, phi = 70.0f;
  const cplx cn2{3.866f, -0.028f};
  film_result r{an, ep, 0.0f, 0.0f, 0.0f};
  film1(ol, phi, cn2, kind, ps, de, r.an, r.ep, r.psa, r.dea, r.per);
  return r;
}

TEST(CfCg, IdentitiesOfTheTwoCombinations) {
  const cplx a{1.3f, -0.2f}, b{0.4f, 0.7f}, zero{};
  cplx r, s;
  cf(r, a, a);
  EXPECT_EQ(r.re, 0.0f);
  EXPECT_EQ(r.im, 0.0f);
  cf(r, a, b);
  cf(s, b, a);
  EXPECT_FLOAT_EQ(r.re, -s.re);
  EXPECT_FLOAT_EQ(r.im, -s.im);
  cf(r, cplx{2.0f, 0.0f}, cplx{1.0f, 0.0f});
  EXPECT_FLOAT_EQ(r.re, 1.0f / 3.0f);
  cg(r, a, zero);
  EXPECT_EQ(r.re, a.re);
  EXPECT_EQ(r.im, a.im);
  cg(r, zero, b);
  EXPECT_EQ(r.re, b.re);
  EXPECT_EQ(r.im, b.im);
}

TEST(Psd, FilmAndBareSubstrate) {
  const geometry g = standard_geometry();
  const float an = 1.5f, ak = 0.0f, ol = 632.8f;
  float psi, delta;
  const float ep = 100.0f;
  psd(an, ak, ep, ol, g.a0, g.a2, g.b0, g.b2, g.s2, psi, delta);
  EXPECT_NEAR(psi, 43.613, 0.0005);
  EXPECT_NEAR(delta, 75.973, 0.0005);

  const float bare = 0.0f;
  psd(an, ak, bare, ol, g.a0, g.a2, g.b0, g.b2, g.s2, psi, delta);
  EXPECT_NEAR(psi, 10.457, 0.0005);
  EXPECT_NEAR(delta, 178.846, 0.0005);
}

TEST(Psd, PeriodicInTheThickness) {
  const geometry g = standard_geometry();
  const float an = 1.5f, ak = 0.0f, ol = 632.8f;
  const double period = ol / (2.0 * std::sqrt(double{an} * an - g.s2));
  for (float ep : {10.0f, 100.0f, 180.0f}) {
    float p1, d1, p2, d2;
    const float later = static_cast<float>(ep + period);
    psd(an, ak, ep, ol, g.a0, g.a2, g.b0, g.b2, g.s2, p1, d1);
    psd(an, ak, later, ol, g.a0, g.a2, g.b0, g.b2, g.s2, p2, d2);
    EXPECT_NEAR(p1, p2, 2e-3) << ep;
    EXPECT_NEAR(d1, d2, 2e-3) << ep;
  }
}

// Film admittances of a film of index an.
void film_admittances(const geometry& g, float an, cplx& x1, cplx& b1) {
  x1 = {static_cast<float>(std::sqrt(double{an} * an - g.s2)), 0.0f};
  b1 = console::narrow(cplx_d(x1) + double{g.s2} / cplx_d(x1));
}

cplx rho_of(float ps, float de) {
  return console::narrow(std::tan(ps * 0.017453292) * console::cexp(cplx_d(0.0, de * 0.017453292)));
}

TEST(Cres, ReturnsThePhaseFactorOfAFilmThatFitsExactly) {
  const geometry g = standard_geometry();
  const float an = 1.5f, ak = 0.0f, ol = 632.8f, ep = 100.0f;
  float psi, delta;
  psd(an, ak, ep, ol, g.a0, g.a2, g.b0, g.b2, g.s2, psi, delta);
  cplx x1, b1, z;
  film_admittances(g, an, x1, b1);
  cres(g.a0, x1, g.a2, g.b0, b1, g.b2, rho_of(psi, delta), z);
  EXPECT_NEAR(console::modulus(z), 1.0, 1e-4);
  const double beta = 12.566371 * ep * x1.re / ol;
  EXPECT_NEAR(z.re, std::cos(beta), 1e-4);
  EXPECT_NEAR(z.im, -std::sin(beta), 1e-4);
}

TEST(Cres, PicksTheRootOfSmallerModulusForAnInexactFit) {
  const geometry g = standard_geometry();
  cplx x1, b1, z;
  film_admittances(g, 1.5f, x1, b1);
  cres(g.a0, x1, g.a2, g.b0, b1, g.b2, rho_of(39.44f, 78.24f), z);
  EXPECT_NEAR(console::modulus(z), 1.043, 0.0005);
}

TEST(Film1, ForwardKind) {
  const film_result r = run_film1(1, 1.5f, 100.0f);
  EXPECT_EQ(r.an, 1.5f);
  EXPECT_EQ(r.ep, 100.0f);
  EXPECT_NEAR(r.per, 270.617, 0.0005);
  EXPECT_NEAR(r.psa, 43.613, 0.0005);
  EXPECT_NEAR(r.dea, 75.973, 0.0005);

  // A thickness beyond one period is used as it stands.
  const film_result later = run_film1(1, 1.5f, 400.0f);
  EXPECT_EQ(later.ep, 400.0f);
}

TEST(Film1, NegativeThicknessIsFoldedOnce) {
  const film_result folded = run_film1(1, 1.5f, -50.0f);
  EXPECT_NEAR(folded.ep, 220.617, 0.0005);
  const film_result direct = run_film1(1, 1.5f, folded.ep);
  EXPECT_EQ(folded.psa, direct.psa);
  EXPECT_EQ(folded.dea, direct.dea);
  // Folded once only: minus two periods stays negative.
  const film_result twice = run_film1(1, 1.5f, -600.0f);
  EXPECT_LT(twice.ep, 0.0f);
}

TEST(Film1, ThicknessAtFixedIndex) {
  const film_result r = run_film1(3, 1.5f, 100.0f);
  EXPECT_NEAR(r.ep, 92.872, 0.0005);
  EXPECT_NEAR(r.an, 1.5, 1e-6);
  EXPECT_NEAR(r.psa, 39.384, 0.0005);
  EXPECT_NEAR(r.dea, 76.285, 0.0005);
}

TEST(Film1, ThicknessAndIndex) {
  const film_result r = run_film1(4, 1.5f, 100.0f);
  EXPECT_NEAR(r.an, 1.47352, 5e-6);
  EXPECT_NEAR(r.ep, 95.274, 0.0005);
  EXPECT_NEAR(r.per, 278.77, 0.005);
  EXPECT_NEAR(r.psa, 39.44, 0.003);
  EXPECT_NEAR(r.dea, 78.24, 0.003);
  // Every kind other than 1 and 3 searches both.
  const film_result other = run_film1(7, 1.5f, 100.0f);
  EXPECT_EQ(other.an, r.an);
  EXPECT_EQ(other.ep, r.ep);
}

TEST(Film1, RoundTripsThroughTheInverseKinds) {
  const film_result fwd = run_film1(1, 1.5f, 100.0f);
  const film_result thick = run_film1(3, 1.5f, 0.0f, fwd.psa, fwd.dea);
  EXPECT_NEAR(thick.ep, 100.0, 0.002);
  const film_result both = run_film1(4, 1.45f, 0.0f, fwd.psa, fwd.dea);
  EXPECT_NEAR(both.an, 1.5, 1e-5);
  EXPECT_NEAR(both.ep, 100.0, 0.002);
  // A thin film, near the bottom of its period.
  const film_result thin = run_film1(1, 2.0f, 5.0f);
  const film_result back = run_film1(4, 1.9f, 0.0f, thin.psa, thin.dea);
  EXPECT_NEAR(back.an, 2.0, 2e-3);
  EXPECT_NEAR(back.ep, 5.0, 0.01);
}

TEST(Film1, FilmIndexBelowSinPhi) {
  // Forward: the period is not finite but Psi and Delta are.
  const film_result fwd = run_film1(1, 0.5f, 100.0f);
  EXPECT_FALSE(std::isfinite(fwd.per));
  EXPECT_TRUE(std::isfinite(fwd.psa));
  EXPECT_TRUE(std::isfinite(fwd.dea));
  // Inverse: nothing finite comes back, and nothing traps.
  const film_result inv = run_film1(3, 0.5f, 100.0f);
  EXPECT_FALSE(std::isfinite(inv.an));
  EXPECT_FALSE(std::isfinite(inv.ep));
}

}  // namespace
}  // namespace ellcalc
