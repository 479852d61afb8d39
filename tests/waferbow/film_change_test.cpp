// The package's pass and measured stress: what the Python tests cannot see (the solution
// array, the solver events) and each derivative of the propagated uncertainty alone.
#include "waferbow/film_change.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "tests/test_support.hpp"
#include "waferbow/measured_stress.hpp"
#include "waferbow/units.hpp"

namespace waferbow {
namespace {

using test_support::same_bits;

first_state state_of(const double& f, const double& d, const double& d1, const double& d2, const double& p1) {
  first_state s{};
  stress_report r{};
  first_calculation(f, d, d1, d2, p1, static_cast<double>(0.863f), 0.0, s, r);
  return s;
}

// From a flat bare wafer the package's pass is the dialogue's to the bit, the solution
// array and the events included: a pass that settles at once, one solved again in stages,
// one that does not settle.
TEST(FilmChange, FromAFlatBareWaferIsTheDialoguesPass) {
  const std::pair<first_state, double> firsts[] = {{state_of(10.0, 0.1, 525.0, 1.0, 2.28), 0.1},
                                                   {state_of(1.165, 0.15, 704.846, 0.0136, 1.805), 0.15}};
  const double passes[][3] = {{525.0, 0.5, 0.0}, {713.719, 0.0043, 0.0}, {525.0, 1.0, 1.0}};
  for (const auto& [s, d] : firsts) {
    for (const auto& [d1, d2, newtons] : passes) {
      SCOPED_TRACE(d2);
      vector3 xs_dialogue{7.0, 8.0, 9.0};
      vector3 xs_package = xs_dialogue;
      const double h1 = metres_of_um(d1), h2 = metres_of_um(d2);
      const double t = moment_of_newtons(static_cast<float>(newtons));
      const continue_prediction a = predict_continue_pass(s, h1, h2, t, d, xs_dialogue);
      const film_change b = predict_film_change(s, h1, h2, t, d, 0.0, xs_package);
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
  const film_change c =
      predict_film_change(state_of(10.0, 0.1, 525.0, 1.0, 2.28), metres_of_um(525.0), 0.0, 0.0, 0.1, -2.0, xs);
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
  const struct {
    measurement_sigma u;
    double relative;  // the deviation of the stress over the stress
  } cases[] = {
      {{0.12, 0, 0, 0, 0}, 0.01},          // bow, 1%
      {{0, 0.12, 0, 0, 0}, 0.01},          // initial bow, as much as the bow
      {{0, 0, 6.75, 0, 0}, 0.02},          // silicon, 1%, squared
      {{0, 0, 0, 0.005, 0}, 0.01},         // silica, 1%, inverse
      {{0, 0, 0, 0, 0.01805}, 0.01},       // modulus, 1%
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.relative);
    EXPECT_NEAR(film_stress_sigma(w, c.u) / stress, c.relative, 0.002 * c.relative);
  }
  EXPECT_EQ(film_stress_sigma(w, {0, 0, 0, 0, 0}), 0.0);
  EXPECT_TRUE(std::isnan(film_stress_sigma({12.0, 12.0, 0.15, 675.0, 0.5, 1.805, 0.863, 0.0}, {0.1, 0, 0, 0, 0})));
}

}  // namespace
}  // namespace waferbow
