// The film model: cf/cg, psd, cres, film1 and the reflection computation, on the standard sample
// (632.8 nm, 70 degrees, substrate (3.866, -0.028)) unless a test says otherwise. The
// session transcripts pin the printed figures; these check what holds for any input. Then
// the residual and order of an inverted film at the edges a caller can reach with any
// arguments: Delta across +-180, NaN and infinite values, periods that are no period.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/cres.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/inversion.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/modes.hpp"
#include "ellcalc/psd.hpp"

namespace ellcalc {
namespace {

using console::cplx;
using console::cplx_d;

const cplx substrate{3.866f, -0.028f};

using film_result = film1_result<float>;

film_result run_film1(std::int32_t kind, float an, float ep, float ps = 39.44f, float de = 78.24f) {
  return film1<float>(632.8f, 70.0f, substrate, kind, ps, de, an, ep);
}

TEST(CfCg, IdentitiesOfTheTwoCombinations) {
  const cplx a{1.3f, -0.2f}, b{0.4f, 0.7f}, zero{};
  for (const auto& [got, want] : {std::pair{cf<float>(a, a), zero}, std::pair{cg<float>(a, zero), a},
                                  std::pair{cg<float>(zero, b), b}}) {
    EXPECT_EQ(got.re, want.re);
    EXPECT_EQ(got.im, want.im);
  }
  const cplx r = cf<float>(a, b), s = cf<float>(b, a);
  EXPECT_FLOAT_EQ(r.re, -s.re);
  EXPECT_FLOAT_EQ(r.im, -s.im);
  EXPECT_FLOAT_EQ(cf<float>(cplx{2.0f, 0.0f}, cplx{1.0f, 0.0f}).re, 1.0f / 3.0f);
}

// psd is periodic in the thickness; cres returns the phase factor of a film that fits
// exactly.
TEST(PsdAndCres, PeriodInTheThicknessAndPhaseFactorOfAFilmThatFitsExactly) {
  const media<float> g = ambient_and_substrate<float>(70.0f, substrate);
  const float an = 1.5f, ak = 0.0f, ol = 632.8f, ep = 100.0f;
  const double period = ol / (2.0 * std::sqrt(double{an} * an - g.s2));
  for (float t : {10.0f, 100.0f, 180.0f}) {
    const float later = static_cast<float>(t + period);
    const psi_delta_pair<float> a = psd<float>(an, ak, t, ol, g.a0, g.a2, g.b0, g.b2, g.s2);
    const psi_delta_pair<float> b = psd<float>(an, ak, later, ol, g.a0, g.a2, g.b0, g.b2, g.s2);
    EXPECT_NEAR(a.psi, b.psi, 2e-3) << t;
    EXPECT_NEAR(a.delta, b.delta, 2e-3) << t;
  }

  const auto [psi, delta] = psd<float>(an, ak, ep, ol, g.a0, g.a2, g.b0, g.b2, g.s2);
  const cplx x1{static_cast<float>(std::sqrt(double{an} * an - g.s2)), 0.0f};
  const cplx b1 = console::narrow(cplx_d(x1) + double{g.s2} / cplx_d(x1));
  const cplx rho = console::narrow(std::tan(psi * 0.017453292) * console::cexp(cplx_d(0.0, delta * 0.017453292)));
  const cplx z = cres<float>(g.a0, x1, g.a2, g.b0, b1, g.b2, rho);
  const double beta = 12.566371 * ep * x1.re / ol;
  EXPECT_NEAR(z.re, std::cos(beta), 1e-4);
  EXPECT_NEAR(z.im, -std::sin(beta), 1e-4);
}

TEST(Film1, InverseKindsGiveBackTheFilm) {
  // The film's index and thickness, and the index kind 4 starts from.
  for (const auto& [an, ep, start_an] :
       {std::tuple{1.5f, 100.0f, 1.45f}, std::tuple{2.0f, 5.0f, 1.9f}, std::tuple{1.46f, 250.0f, 1.5f}}) {
    const film_result fwd = run_film1(1, an, ep);
    EXPECT_NEAR(run_film1(3, an, 0.0f, fwd.psa, fwd.dea).ep, ep, 0.01) << an;
    const film_result both = run_film1(4, start_an, 0.0f, fwd.psa, fwd.dea);
    EXPECT_NEAR(both.an, an, 2e-3) << an;
    EXPECT_NEAR(both.ep, ep, 0.01) << an;
  }
}

// Only the search of kind 4 can fail to settle; what it reports is what the message shows.
TEST(Film1, ReportsASearchThatDoesNotSettle) {
  for (std::int32_t kind : {1, 3}) {
    const film_result r = run_film1(kind, 1.2f, 100.0f, 5.0f, 170.0f);
    EXPECT_TRUE(r.outcome.converged) << kind;
    EXPECT_EQ(r.outcome.s, 0.0f) << kind;
    EXPECT_EQ(r.outcome.dss, 0.0f) << kind;
  }
  const film_result settled = run_film1(4, 1.5f, 100.0f);
  EXPECT_TRUE(settled.outcome.converged);
  EXPECT_LT(std::fabs(settled.outcome.dss / settled.outcome.s), 0.0005f);
  // The film index follows from the last xi1: an^2 = xi1^2 + sin^2 phi.
  EXPECT_NEAR(settled.an * settled.an, settled.outcome.s * settled.outcome.s + 0.883022f, 1e-5);

  // The searches that run away (Psi 5, Delta 170 from 1.2) or reach NaN (Psi 10, Delta 100
  // from 1.5) are pinned, message and figures, by the slow convergence session.
}

// A negative thickness is folded once only; an inverse with an index below sin phi stays
// defined.
TEST(Film1, NegativeThicknessAndIndexBelowSinPhi) {
  const film_result twice = run_film1(1, 1.5f, -600.0f);  // beyond minus two periods
  EXPECT_NEAR(twice.ep, -600.0 + 270.617, 0.001);
  const film_result inv = run_film1(3, 0.5f, 100.0f);
  EXPECT_FALSE(std::isfinite(inv.an));
  EXPECT_FALSE(std::isfinite(inv.ep));
}

TEST(Reflection, SameThicknessPeriodAndAnglesAsTheFilmModel) {
  // Mode 1 and mode 5 print the same figures for the same film.
  for (float an : {1.44f, 1.5f, 2.1f}) {
    for (float ep : {5.0f, 100.0f, 400.0f, -50.0f}) {
      const film1_result<float> f = film1<float>(500.0f, 65.0f, substrate, 1, 0.0f, 0.0f, an, ep);
      const reflection_result r = reflection<float>(500.0f, 65.0f, substrate, an, ep);
      EXPECT_EQ(r.ep, f.ep);
      EXPECT_EQ(r.per, f.per);
      EXPECT_EQ(r.psi, f.psa);
      EXPECT_EQ(r.delta, f.dea);
      EXPECT_FLOAT_EQ(r.Rp, static_cast<float>(console::modulus(r.rp) * console::modulus(r.rp)));
      EXPECT_FLOAT_EQ(r.Rs, static_cast<float>(console::modulus(r.rs) * console::modulus(r.rs)));
    }
  }
}

template <class R>
void expect_residual_and_order_at_the_edges() {
  const R nan = std::numeric_limits<R>::quiet_NaN(), inf = std::numeric_limits<R>::infinity();
  // The residual takes Delta across the cut, and keeps a NaN.
  EXPECT_EQ(residual<R>(10, 179, 10, -179), R{2});
  EXPECT_EQ(residual<R>(10, -170, 10, 545), R{5});  // 545 is -175
  EXPECT_EQ(residual<R>(40, 0, 37, 180), R{180});
  EXPECT_EQ(residual<R>(43, 10, 40, 9), R{3});
  for (const R bad : {nan, inf}) EXPECT_TRUE(std::isnan(residual<R>(40, 10, 40, bad)));
  EXPECT_TRUE(std::isnan(residual<R>(nan, 10, 40, 10)));
  EXPECT_EQ(residual<R>(inf, 10, 40, 10), inf);

  // The order is the nearest non-negative one, and always defined.
  const auto at = [](R ep, R per, R near) { return near_order<R>(ep, per, near); };
  EXPECT_EQ(at(10, 100, 1000).order, 10);  // 9.9 periods
  EXPECT_EQ(at(10, 100, 1000).ep, R{1010});
  EXPECT_EQ(at(10, 100, 60).order, 1);     // a tie goes up
  EXPECT_EQ(at(10, 100, 59).order, 0);
  // At order 0 the thickness is the one given, bit for bit.
  const R folded = static_cast<R>(92.87197);
  for (const R near : {nan, -inf, R{-500}, R{0}, R{100}}) {
    const ordered_t<R> o = at(folded, static_cast<R>(270.6), near);
    EXPECT_EQ(o.order, 0);
    EXPECT_EQ(o.ep, folded);
  }
  // No period, or no thickness: order 0, the thickness as it is.
  for (const R per : {R{0}, R{-100}, inf, nan}) EXPECT_EQ(at(10, per, 1000).order, 0);
  EXPECT_TRUE(std::isnan(at(nan, 100, 1000).ep));
  // Beyond the int32 range the order is clamped, the thickness finite.
  constexpr std::int32_t most = std::numeric_limits<std::int32_t>::max();
  for (const R near : {inf, static_cast<R>(1e30)}) {
    const ordered_t<R> o = at(10, 100, near);
    EXPECT_EQ(o.order, most);
    EXPECT_EQ(o.ep, static_cast<R>(10 + 100.0 * most));
  }
}

TEST(inversion, residual_and_order_in_both_precisions) {
  expect_residual_and_order_at_the_edges<float>();
  expect_residual_and_order_at_the_edges<double>();
}

TEST(inversion, an_inverted_film_keeps_its_model_and_moves_its_thickness) {
  const film1_result<double> f{1.5, 92.0, 39.0, 76.0, 270.0, {}};
  const inverted_film<double> r = inverted<double>(f, 39.5, 78.0, 900.0);
  EXPECT_EQ(r.order, 3);
  EXPECT_EQ(r.ep, 92.0 + 3 * 270.0);
  EXPECT_EQ(r.residual, 2.0);
  EXPECT_EQ(r.an, 1.5);
  EXPECT_EQ(r.psa, 39.0);
  EXPECT_EQ(r.per, 270.0);
}

}  // namespace
}  // namespace ellcalc
