// The continue pass as the dialogue runs it: the Newton steps from the first state, and
// the solving again when they land on the mirror state or fail; gaus3, the 3x3 solver of
// each step. The session transcripts pin the figures of passes with changed thicknesses,
// the package's tests the thin-film scaling of generated passes and the stripped wafer.
// Then what neither can see: the solution array, the solver events, and each derivative
// of the propagated uncertainty alone.
#include "waferbow/continue_pass.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "waferbow/gaus3.hpp"
#include "waferbow/measured_stress.hpp"
#include "waferbow/prediction.hpp"
#include "waferbow/regression.hpp"
#include "waferbow/units.hpp"

namespace waferbow {
namespace {

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
continue_prediction pass(const wafer& w, double cd1, double cd2, float newtons, vector3* xs = nullptr) {
  vector3 zeros{};
  return predict_continue_pass(w.state(), metres_of_um(cd1), metres_of_um(cd2), moment_of_newtons(newtons), w.d,
                               xs ? *xs : zeros);
}

// What the Newton steps from the first state alone give, from the solution array *xs
// (zeros when none is given), which they leave as they end.
continue_prediction newton_only(const wafer& w, double cd1, double cd2, float newtons, vector3* xs = nullptr) {
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

// What the Newton steps from the first state alone reach: the connected state, which the
// pass keeps as it is, solution array included; the mirror state (the silica in tension);
// or nothing (a NaN bow).
enum class newton_end { connected, mirror, failed };

struct pass_case {
  wafer w;
  double cd1, cd2;  // um
  float newtons;
  newton_end newton;
  bool settled;
  double bow;  // um, of a settled pass, whose silica stays compressive
};

// Under moments, solved again where the Newton steps fail or land on the mirror. The
// etch-backs without moment, and the halved oxide, are the session transcripts'.
TEST(ContinuePass, MirrorAndFailedStepsAreSolvedAgainAndConnectedStatesKept) {
  const wafer thick{1000.0, 0.1, 525.0, 50.0, 1.805, 0.863};
  const wafer plain{10.0, 0.1, 525.0, 1.0, 2.28, 0.863};
  const pass_case cases[] = {
      // A moment that reverses the bow while the silica stays compressive; a thick film.
      {default_wafer, 525.0, 1.0, 0.05f, newton_end::connected, true, -12.74},
      {thick, 400.0, 25.0, 0.0f, newton_end::connected, true, 866.07},
      // The mirror under +0.05 N solves the conditions under -0.05 N: it bends the same way
      // as the first state (12.7 um), but with the silica in tension.
      {default_wafer, 525.0, 1.0, -0.05f, newton_end::mirror, true, 32.63},
      {default_wafer, 525.0, 1.0, -0.1f, newton_end::mirror, true, 55.14},
      // A thinner oxide and a moment that reverses the bow.
      {default_wafer, 525.0, 0.2, 0.08f, newton_end::failed, true, -34.49},
      {default_wafer, 400.0, 0.5, 0.08f, newton_end::mirror, true, -74.08},
      // 1 N is far beyond any moment the energy of the first state can balance; the other
      // pass's stages end only on nearly flat states (radii of 1E11 m and more) that meet
      // the energy but not the moment condition. Neither settles, and the result stays.
      {default_wafer, 525.0, 1.0, 1.0f, newton_end::connected, false, 0.0},
      {plain, 525.0, 0.2, 0.02f, newton_end::connected, false, 0.0},
  };
  for (const pass_case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cd1 << " um under " << c.cd2 << " um, " << c.newtons << " N");
    vector3 xs{}, xs_newton{};
    const continue_prediction n = newton_only(c.w, c.cd1, c.cd2, c.newtons, &xs_newton);
    const continue_prediction p = pass(c.w, c.cd1, c.cd2, c.newtons, &xs);
    if (c.newton == newton_end::connected) {
      expect_same(p, n);
      EXPECT_EQ(xs, xs_newton);
    }
    if (c.newton == newton_end::mirror) {
      ASSERT_GT(n.report.stress_sio2_int, 75.0);
    }
    if (c.newton == newton_end::failed) {
      ASSERT_TRUE(std::isnan(n.bow));
    }
    EXPECT_EQ(p.settled, c.settled);
    if (!c.settled) continue;
    EXPECT_NEAR(p.bow, c.bow, 0.01);
    EXPECT_LT(p.report.stress_sio2_int, -75.0);
  }
  // The bows solved again lie on the straight lines that the same wafers follow under
  // smaller moments.
  const double slope = (pass(default_wafer, 525.0, 0.2, 0.15f).bow + 34.49) / 0.07;  // um per N
  EXPECT_NEAR(pass(default_wafer, 525.0, 0.2, 0.05f).bow, -34.49 - 0.03 * slope, 0.5);
  const double b2 = pass(default_wafer, 400.0, 0.5, 0.02f).bow, b3 = pass(default_wafer, 400.0, 0.5, 0.03f).bow;
  EXPECT_NEAR(-74.08, b3 + (b3 - b2) * 5, 1.0);
}

// Without any layer every matrix is zero: each step reports gaus3's first failure and
// takes x, y, z from what the solution array already held.
TEST(Regression, UnsolvableStepsKeepTheSolutionArray) {
  vector3 xs{100.0, 99.0, 101.0};
  const continue_prediction p = newton_only(default_wafer, 0.0, 0.0, 0.0f, &xs);
  EXPECT_EQ(xs, (vector3{100.0, 99.0, 101.0}));
  EXPECT_EQ((vector3{p.g.x, p.g.y, p.g.z}), xs);
  ASSERT_EQ(p.events.size(), static_cast<std::size_t>(max_regressions));
  for (const solver_event& e : p.events) EXPECT_EQ(e.status, gaus3_status::singular);
}

TEST(Sagitta, BothSidesOfTheCentre) {
  EXPECT_NEAR(sagitta(-125.0, 0.1), -1.0e-5, 1e-12);
  EXPECT_NEAR(sagitta(0.05, 0.1), 0.05, 1e-12);  // half circle
}

// The moment prompt shows t * 1E6 rounded to single precision (1000 N in the session
// transcripts); beyond that range the rounding gives the largest float or an infinity,
// never an out-of-range conversion.
TEST(Units, MomentInNewtons) {
  constexpr float largest = std::numeric_limits<float>::max(), inf = std::numeric_limits<float>::infinity();
  const std::pair<double, float> moments[] = {
      {static_cast<double>(largest) / mega, largest}, {1.0e300, inf}, {-1.0e300, -inf},
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
}

}  // namespace
}  // namespace waferbow
