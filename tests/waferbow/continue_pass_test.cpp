// The continue pass as the dialogue runs it: the Newton steps from the first state, and
// the solving again when they land on the mirror state or fail; gaus3, the 3x3 solver of
// each step. The session transcripts pin the figures of passes with changed thicknesses.
// Then the package's pass and measured stress: what the Python tests cannot see (the
// solution array, the solver events) and each derivative of the propagated uncertainty alone.
#include "waferbow/continue_pass.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "tests/test_support.hpp"
#include "waferbow/film_change.hpp"
#include "waferbow/gaus3.hpp"
#include "waferbow/measured_stress.hpp"
#include "waferbow/prediction.hpp"
#include "waferbow/regression.hpp"
#include "waferbow/units.hpp"

namespace waferbow {
namespace {

using test_support::same_bits;

struct wafer {
  double f, d, d1, d2, p1, p2;  // as answered: um, m, um, um, 1E5 MPa, 1E5 MPa
  first_state state() const {
    first_state s{};
    stress_report r{};
    first_calculation(f, d, d1, d2, p1, p2, 0.0, s, r);
    return s;
  }
};

const wafer default_wafer{10.0, static_cast<double>(0.1f), 525.0, 1.0, static_cast<double>(2.28f),
                          static_cast<double>(0.863f)};

// A continue pass to the thicknesses cd1, cd2 (um) under the moment answered in N, with
// the solution array *xs (zeros when none is given).
continue_prediction pass(const wafer& w, double cd1, double cd2, float newtons = 0.0f, vector3* xs = nullptr) {
  vector3 zeros{};
  return predict_continue_pass(w.state(), metres_of_um(cd1), metres_of_um(cd2), moment_of_newtons(newtons), w.d,
                               xs ? *xs : zeros);
}

// What the Newton steps from the first state alone give, from the solution array *xs
// (zeros when none is given), which they leave as they end.
continue_prediction newton_only(const wafer& w, double cd1, double cd2, float newtons = 0.0f, vector3* xs = nullptr) {
  continue_prediction p{};
  vector3 zeros{};
  const first_state s = w.state();
  const double h1 = metres_of_um(cd1), h2 = metres_of_um(cd2), t = moment_of_newtons(newtons);
  regression(s, h1, h2, t, xs ? *xs : zeros, p.regressions, p.g, p.events);
  predicted_state(s, h1, h2, t, w.d, p.g, p.bow, p.report);
  return p;
}

// Same bits in every printed value (NaNs compare equal to NaNs).
void expect_same(const continue_prediction& a, const continue_prediction& b) {
  const auto same = [](double u, double v) { return u == v || (std::isnan(u) && std::isnan(v)); };
  EXPECT_EQ(a.regressions, b.regressions);
  EXPECT_EQ(a.events.size(), b.events.size());
  for (const stress_field& f : stress_fields) EXPECT_TRUE(same(a.report.*f.member, b.report.*f.member)) << f.name;
  EXPECT_TRUE(same(a.g.x, b.g.x) && same(a.g.y, b.g.y) && same(a.g.z, b.g.z) && same(a.g.wx, b.g.wx));
  EXPECT_TRUE(same(a.bow, b.bow));
}

// The thin-film scaling of the first bow: times the new silica over the old, times the
// square of the old silicon over the new.
double scaled_bow(const wafer& w, double cd1, double cd2) { return w.f * (cd2 / w.d2) * (w.d1 / cd1) * (w.d1 / cd1); }

// A thin thermal oxide etched back, no moment: the Newton steps reach the mirror state
// (-0.359 um, the silica turned from -455 to +455 MPa) or run away (10000 steps, NaN).
TEST(ContinuePass, EtchedBackOxideKeepsItsBendingDirection) {
  const wafer a{1.165, 0.15, 704.846, 0.0136, 1.805, 0.863};
  ASSERT_LT(newton_only(a, 713.719, 0.0043).bow, 0.0);
  const continue_prediction pa = pass(a, 713.719, 0.0043);
  EXPECT_NEAR(pa.bow, 0.359, 0.0005);
  EXPECT_NEAR(pa.bow, scaled_bow(a, 713.719, 0.0043), 0.005 * pa.bow);
  EXPECT_NEAR(pa.report.stress_sio2_int, -455.2, 0.1);
  EXPECT_GT(pa.regressions, 19);  // the 19 steps to the mirror, then the solving again
  EXPECT_TRUE(pa.settled);

  const wafer b{1.814, 0.1, 696.036, 0.0849, 1.805, 0.863};
  const continue_prediction nb = newton_only(b, 814.091, 0.0264);
  ASSERT_EQ(nb.regressions, max_regressions);
  ASSERT_TRUE(std::isnan(nb.bow));
  const continue_prediction pb = pass(b, 814.091, 0.0264);
  EXPECT_NEAR(pb.bow, 0.41, 0.005);
  EXPECT_NEAR(pb.bow, scaled_bow(b, 814.091, 0.0264), 0.005 * pb.bow);
  EXPECT_LE(pb.regressions, 99999);
  EXPECT_TRUE(pb.events.empty());
  EXPECT_TRUE(pb.settled);
}

// Passes whose Newton steps reach the connected state keep every value and their count:
// halving the oxide of the default wafer; a moment that reverses the bow while the silica
// stays compressive; a thick film.
TEST(ContinuePass, ConnectedStatesAreKept) {
  const continue_prediction half = pass(default_wafer, 525.0, 0.5);
  expect_same(half, newton_only(default_wafer, 525.0, 0.5));
  EXPECT_NEAR(half.bow, 5.01, 0.01);
  EXPECT_TRUE(half.settled);

  const continue_prediction reversed = pass(default_wafer, 525.0, 1.0, 0.05f);
  expect_same(reversed, newton_only(default_wafer, 525.0, 1.0, 0.05f));
  EXPECT_NEAR(reversed.bow, -12.74, 0.01);
  EXPECT_LT(reversed.report.stress_sio2_int, -80.0);

  const wafer thick{1000.0, 0.1, 525.0, 50.0, 1.805, 0.863};
  expect_same(pass(thick, 400.0, 25.0), newton_only(thick, 400.0, 25.0));
}

// The mirror of the state under +0.05 N solves the conditions under -0.05 N: it even bends
// the same way as the first state (12.7 um), but with the silica in tension. The connected
// state bends further, the silica still compressive; so under -0.1 N.
TEST(ContinuePass, MirrorUnderAMomentIsSolvedAgain) {
  const continue_prediction mirror = newton_only(default_wafer, 525.0, 1.0, -0.05f);
  ASSERT_NEAR(mirror.bow, 12.74, 0.01);
  ASSERT_GT(mirror.report.stress_sio2_int, 80.0);
  for (const auto& [newtons, bow] : {std::pair{-0.05f, 32.63}, std::pair{-0.1f, 55.14}}) {
    SCOPED_TRACE(newtons);
    ASSERT_GT(newton_only(default_wafer, 525.0, 1.0, newtons).report.stress_sio2_int, 80.0);
    const continue_prediction p = pass(default_wafer, 525.0, 1.0, newtons);
    EXPECT_NEAR(p.bow, bow, 0.01);
    EXPECT_LT(p.report.stress_sio2_int, -80.0);
  }
}

// A thinner oxide and a moment that reverses the bow: the Newton steps from the first
// state fail (0.2 um of silica) or reach the mirror (400 um of silicon under 0.5 um of
// silica: -90.2 um, the silica in tension). Solved again, both bows lie on the straight
// line that the same wafers follow under smaller moments, the silica still compressive.
TEST(ContinuePass, MomentReversingTheBowIsFollowedAcrossTheFlatWafer) {
  ASSERT_TRUE(std::isnan(newton_only(default_wafer, 525.0, 0.2, 0.08f).bow));
  const continue_prediction thin = pass(default_wafer, 525.0, 0.2, 0.08f);
  EXPECT_NEAR(thin.bow, -34.49, 0.01);
  EXPECT_LT(thin.report.stress_sio2_int, -75.0);
  const double slope = (pass(default_wafer, 525.0, 0.2, 0.15f).bow - thin.bow) / 0.07;  // um per N
  EXPECT_NEAR(pass(default_wafer, 525.0, 0.2, 0.05f).bow, thin.bow - 0.03 * slope, 0.5);

  ASSERT_GT(newton_only(default_wafer, 400.0, 0.5, 0.08f).report.stress_sio2_int, 75.0);
  const continue_prediction thinner = pass(default_wafer, 400.0, 0.5, 0.08f);
  EXPECT_NEAR(thinner.bow, -74.08, 0.01);
  EXPECT_LT(thinner.report.stress_sio2_int, -75.0);
  const double b2 = pass(default_wafer, 400.0, 0.5, 0.02f).bow, b3 = pass(default_wafer, 400.0, 0.5, 0.03f).bow;
  EXPECT_NEAR(thinner.bow, b3 + (b3 - b2) * 5, 1.0);
}

// 1 N is far beyond any moment the energy of the first state can balance: neither the
// Newton steps nor the stages find a state, and the pass keeps its result, the solution
// array included. So does a pass whose stages end only on nearly flat states (radii of
// 1E11 m and more) that meet the energy but not the moment condition.
TEST(ContinuePass, WithoutAConnectedStateTheResultStays) {
  vector3 xs{}, xs_newton{};
  const continue_prediction p = pass(default_wafer, 525.0, 1.0, 1.0f, &xs);
  expect_same(p, newton_only(default_wafer, 525.0, 1.0, 1.0f, &xs_newton));
  EXPECT_EQ(xs, xs_newton);
  EXPECT_FALSE(p.settled);

  const wafer plain{10.0, 0.1, 525.0, 1.0, 2.28, 0.863};
  expect_same(pass(plain, 525.0, 0.2, 0.02f), newton_only(plain, 525.0, 0.2, 0.02f));
  EXPECT_FALSE(pass(plain, 525.0, 0.2, 0.02f).settled);
}

// Generated first states, compressive and tensile films with the bow their stress gives,
// and continue passes with no moment (silica 0.2 to 3 times, silicon 0.6 to 1.2 times its
// first thickness): the predicted bow follows the thin-film scaling, within 0.5% while the
// silica stays below 0.1% of the silicon, within 4% below 1%.
TEST(ContinuePass, ThinFilmsFollowTheirScaling) {
  std::mt19937_64 random(20261206);
  const auto uniform = [&random](double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(random() >> 11) * 0x1.0p-53;
  };
  int changed = 0;
  for (int k = 0; k < 400; ++k) {
    const double thinnest = k % 2 == 0 ? 1e-3 : 1e-2;  // largest silica / silicon ratio
    const double tolerance = k % 2 == 0 ? 0.005 : 0.04;
    const double d1 = uniform(300.0, 1000.0);
    const double d2 = d1 * std::exp(uniform(std::log(1e-5), std::log(thinnest)));
    const double stress = uniform(20.0, 500.0) * (k % 4 < 2 ? -1.0 : 1.0);  // MPa
    wafer w{0.0, uniform(0.075, 0.3), d1, d2, uniform(1.3, 2.3), uniform(0.7, 0.9)};
    // Bow of that stress: curvature 6 stress h2 / (E h1^2), a compressive film convex.
    const double h1 = d1 / mega, h2 = d2 / mega;
    w.f = -6 * stress * h2 / (w.p1 * modulus_unit * h1 * h1) * w.d * w.d / 8 * mega;
    const double cd1 = d1 * uniform(0.6, 1.2);
    const double cd2 = std::min(d2 * uniform(0.2, 3.0), cd1 * thinnest);
    const continue_prediction p = pass(w, cd1, cd2);
    const double expected = scaled_bow(w, cd1, cd2);
    EXPECT_NEAR(p.bow, expected, tolerance * std::fabs(expected))
        << "bow " << w.f << " um, " << d1 << " um under " << d2 << " um, to " << cd1 << " and " << cd2;
    if (p.regressions != newton_only(w, cd1, cd2).regressions) ++changed;
  }
  EXPECT_GT(changed, 0);  // some of them did land on the mirror or fail
}

// The Newton search alone, the sagitta and the moment's unit, which the dialogue shows.
TEST(Regression, UnchangedWaferConvergesInOneStep) {
  const continue_prediction p = newton_only(default_wafer, 525.0, 1.0);
  const first_state s = default_wafer.state();
  EXPECT_EQ(p.regressions, 1);
  for (const auto& [got, first] : {std::pair{p.g.x, s.c1}, std::pair{p.g.y, s.r1}, std::pair{p.g.z, s.r2}})
    EXPECT_NEAR(got, first, 1e-6 * first);
  EXPECT_NEAR(p.g.wx, p.g.w, p.g.w / 10000);
  EXPECT_NEAR(p.bow, 10.0, 0.0005);
}

// Without any layer every matrix is zero: each step reports gaus3's first failure and
// takes x, y, z from what the solution array already held.
TEST(Regression, UnsolvableStepsKeepTheSolutionArray) {
  vector3 xs{100.0, 99.0, 101.0};
  const continue_prediction p = newton_only(default_wafer, 0.0, 0.0, 0.0f, &xs);
  EXPECT_EQ(p.regressions, max_regressions);
  EXPECT_EQ(xs, (vector3{100.0, 99.0, 101.0}));
  EXPECT_EQ((vector3{p.g.x, p.g.y, p.g.z}), xs);
  ASSERT_EQ(p.events.size(), static_cast<std::size_t>(max_regressions));
  for (const solver_event& e : p.events) EXPECT_EQ(e.status, gaus3_status::singular);
}

TEST(Sagitta, BothSidesOfTheCentre) {
  EXPECT_NEAR(sagitta(-125.0, 0.1), -1.0e-5, 1e-12);
  EXPECT_NEAR(sagitta(0.05, 0.1), 0.05, 1e-12);  // half circle
  EXPECT_TRUE(std::isnan(sagitta(0.04, 0.1)));   // radius below half the chord
}

// The moment prompt shows t * 1E6 rounded to single precision; beyond that range the
// rounding gives the largest float or an infinity, never an out-of-range conversion.
TEST(Units, MomentInNewtons) {
  constexpr float largest = std::numeric_limits<float>::max(), inf = std::numeric_limits<float>::infinity();
  const std::pair<double, float> moments[] = {
      {moment_of_newtons(1000.0f), 1000.0f}, {static_cast<double>(largest) / mega, largest}, {1.0e300, inf},
      {-1.0e300, -inf},
      // Just above the largest float, below the midpoint to infinity: rounds down.
      {(static_cast<double>(largest) + std::ldexp(1.0, 102)) / mega, largest}};
  for (const auto& [t, newtons] : moments) EXPECT_EQ(newtons_of_moment(t), newtons) << t;
  EXPECT_TRUE(std::isnan(newtons_of_moment(std::nan(""))));
}

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Builds a matrix from its rows, as the equations read.
matrix3 rows(double a11, double a12, double a13, double a21, double a22, double a23, double a31, double a32,
             double a33) {
  return {a11, a21, a31, a12, a22, a32, a13, a23, a33};
}

// gaus3 from x = (7, 8, 9) gives the status and leaves x (a NaN here: any NaN there).
void expect_gaus3(const matrix3& a, const vector3& b, gaus3_status status, const vector3& want) {
  vector3 x{7, 8, 9};
  EXPECT_EQ(gaus3(a, b, x), status);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(std::isnan(want[i]) ? std::isnan(x[i]) : x[i] == want[i]) << i << ": " << x[i];
}

// Regular systems of small integers, so every product is exact; then what the order of
// the elimination makes of singular and non-finite ones.
TEST(Gaus3, SolutionsAndFailures) {
  expect_gaus3(rows(1, 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, gaus3_status::solved, {1, 2, 3});
  expect_gaus3(rows(2, 1, 1, 1, 3, 2, 1, 0, 4), {3, 1, 13}, gaus3_status::solved, {1, -2, 3});
  // Third row (0, 0, 1 | 5): the last variable is B(3) whatever the others are.
  expect_gaus3(rows(2, 1, 7, 1, 3, -4, 0, 0, 1), {39, -13, 5}, gaus3_status::solved, {1, 2, 5});
  // AA(2,2) = 1*1 - 1*1 = 0: the second variable comes from the first row.
  expect_gaus3(rows(1, 2, 1, 1, 1, 1, 2, 1, 1), {8, 6, 7}, gaus3_status::solved, {1, 2, 3});

  // A zero determinant leaves x untouched. Third column all zero: every AA(i,j) is zero.
  expect_gaus3(rows(1, 2, 0, 3, 4, 0, 5, 6, 0), {1, 1, 1}, gaus3_status::singular, {7, 8, 9});
  // A(3,3) = 0 but A(2,3) not: the elimination by A(3,3) still makes D zero although the
  // system is regular (its solution would be (1, 1, 1)).
  expect_gaus3(rows(1, 1, 1, 1, 2, 1, 1, 1, 0), {3, 4, 2}, gaus3_status::singular, {7, 8, 9});

  // With finite entries the other two failures are preceded by D = 0; an infinity makes D
  // a NaN, which is not 0, and the solution goes on until the next exact zero test. The
  // later failures keep the components not reached.
  expect_gaus3(rows(inf, 1, 0, 1, 1, 0, 1, 1, 0), {1, 1, 1}, gaus3_status::no_x2, {nan, 8, 9});
  expect_gaus3(rows(inf, 1, 0, 1, inf, 0, 1, 1, 0), {1, 1, 1}, gaus3_status::no_x3, {nan, nan, 9});

  // A(3,3) = 0, A(2,3) = 1: the elimination by A(3,3) leaves AA = -(A(3,j) A(i,3)), whose
  // determinant is zero in exact arithmetic, but A(3,1) A(1,3) = 1E400 overflows, so D is
  // an infinity, X(1) and X(2) are zeros and X(3) can only come from the second row:
  // 7 - 0 - 0 = 7 (the first row would give 5E-200).
  expect_gaus3(rows(1, 1, 1e200, 1, 1, 1, 1e200, 1e-200, 0), {5, 7, 0}, gaus3_status::solved, {0, 0, 7});

  // A(3,3) = A(2,3) = 0, A(1,3) = 1: with finite entries AA(2,1) = AA(2,2) = 0 and D = 0,
  // so only a NaN gets this far (here from inf * 0), and X(1), X(2) are NaNs. X(3) then
  // comes from the first row: it is set (a NaN too) instead of being left as it was.
  expect_gaus3(rows(1, 1, 1, 1, 1, 0, inf, 1, 0), {1, 1, 1}, gaus3_status::solved, {nan, nan, nan});

  // NaN entries spread without failing.
  expect_gaus3(rows(nan, 0, 0, 0, 1, 0, 0, 0, 1), {1, 2, 3}, gaus3_status::solved, {nan, nan, nan});
}

// The package's pass and measured stress, from first states with the silica modulus as
// the package takes it.
const double package_p2 = static_cast<double>(0.863f);
const wafer package_wafer{10.0, 0.1, 525.0, 1.0, 2.28, package_p2};

// From a flat bare wafer the package's pass is the dialogue's to the bit, the solution
// array and the events included: a pass that settles at once, one solved again in stages,
// one that does not settle.
TEST(FilmChange, FromAFlatBareWaferIsTheDialoguesPass) {
  const wafer firsts[] = {package_wafer, {1.165, 0.15, 704.846, 0.0136, 1.805, package_p2}};
  const double passes[][3] = {{525.0, 0.5, 0.0}, {713.719, 0.0043, 0.0}, {525.0, 1.0, 1.0}};
  for (const wafer& w : firsts) {
    for (const auto& [d1, d2, newtons] : passes) {
      SCOPED_TRACE(d2);
      vector3 xs_dialogue{7.0, 8.0, 9.0};
      vector3 xs_package = xs_dialogue;
      const double t = moment_of_newtons(static_cast<float>(newtons));
      const continue_prediction a = pass(w, d1, d2, static_cast<float>(newtons), &xs_dialogue);
      const film_change b = predict_film_change(w.state(), metres_of_um(d1), metres_of_um(d2), t, w.d, 0.0, xs_package);
      EXPECT_EQ(xs_dialogue, xs_package);
      EXPECT_EQ(a.regressions, b.pass.regressions);
      EXPECT_EQ(a.events.size(), b.pass.events.size());
      EXPECT_EQ(a.settled, b.pass.settled);
      EXPECT_TRUE(same_bits(a.bow, b.pass.bow));
      for (const stress_field& f : stress_fields) EXPECT_TRUE(same_bits(a.report.*f.member, b.pass.report.*f.member));
    }
  }
}

// A strip takes no Newton step: the solution array stays, no event, settled.
TEST(FilmChange, StripTakesNoStep) {
  vector3 xs{1.0, 2.0, 3.0};
  const film_change c = predict_film_change(package_wafer.state(), metres_of_um(525.0), 0.0, 0.0, 0.1, -2.0, xs);
  EXPECT_EQ(xs, (vector3{1.0, 2.0, 3.0}));
  EXPECT_TRUE(c.pass.events.empty());
  EXPECT_EQ(c.pass.regressions, 0);
  EXPECT_TRUE(c.pass.settled);
  EXPECT_NEAR(c.pass.bow, -2.0, 1e-8);  // in by the single-precision um, out by 1E6
  EXPECT_TRUE(std::isnan(c.stress_stoney));
}

// Each uncertainty alone, in the thin-film limit where the film stress goes as the bow,
// the square of the silicon thickness, its modulus and the inverse of the silica
// thickness: the propagated deviation is the relative one times that power.
TEST(MeasuredStress, EachDerivativeOfTheFilmStress) {
  const measured_wafer w{12.0, 0.0, 0.15, 675.0, 0.5, 1.805, 0.863, 0.0};
  const double stress = std::fabs(film_stress(w));
  // The uncertainties, and the deviation of the stress over the stress.
  const std::pair<measurement_sigma, double> cases[] = {
      {{0.12, 0, 0, 0, 0}, 0.01},          // bow, 1%
      {{0, 0.12, 0, 0, 0}, 0.01},          // initial bow, as much as the bow
      {{0, 0, 6.75, 0, 0}, 0.02},          // silicon, 1%, squared
      {{0, 0, 0, 0.005, 0}, 0.01},         // silica, 1%, inverse
      {{0, 0, 0, 0, 0.01805}, 0.01},       // modulus, 1%
  };
  for (const auto& [u, relative] : cases) {
    SCOPED_TRACE(relative);
    EXPECT_NEAR(film_stress_sigma(w, u) / stress, relative, 0.002 * relative);
  }
  EXPECT_EQ(film_stress_sigma(w, {0, 0, 0, 0, 0}), 0.0);
  EXPECT_TRUE(std::isnan(film_stress_sigma({12.0, 12.0, 0.15, 675.0, 0.5, 1.805, 0.863, 0.0}, {0.1, 0, 0, 0, 0})));
}

}  // namespace
}  // namespace waferbow
