// The fitter where a caller's arguments, not the physics, decide: measurements that are
// no numbers, ranges that never end, known layers that change nothing, and the fitter
// reused from one site to the next with its buffers; and the film model the fit takes with
// its derivatives.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ellcalc/film1.hpp"
#include "ellcalc/film_fit.hpp"
#include "ellcalc/fit_model.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/stack.hpp"

namespace ellcalc {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
const console::cplx_d silicon{3.866, -0.028};

// Exact measurements of a film of index an and thickness t at these angles.
std::vector<fit_measurement> measured(double an, double t, std::initializer_list<double> angles) {
  std::vector<fit_measurement> ms;
  for (const double phi : angles) {
    const film1_result<double> r = film1<double>(632.8, phi, silicon, 1, 0, 0, an, t);
    ms.push_back({632.8, phi, silicon, an, r.psa, r.dea, 0.02, 0.05});
  }
  return ms;
}

TEST(film_fit, measurements_that_are_no_numbers_give_nan_and_end) {
  film_fitter fitter;
  film_fit_options o;
  EXPECT_TRUE(std::isnan(fitter.fit({}, o).thickness));
  for (const double bad : {nan, inf}) {
    for (const bool stacked : {false, true}) {
      for (const bool free_index : {false, true}) {
        std::vector<fit_measurement> ms = measured(1.5, 300, {60, 70});
        ms[1].ps = bad;
        const std::vector<stack_layer<double>> under(stacked ? 2 : 0, {{1.46, 0}, 2.0});
        o.fit_index = free_index;
        const film_fit_result r = fitter.fit(ms, o, under, stacked ? 1 : 0);
        EXPECT_TRUE(std::isnan(r.thickness)) << bad << stacked << free_index;
        EXPECT_FALSE(r.converged);
      }
    }
  }
  o.fit_index = false;
  // Known layers that do not match the measurements: nothing is read beyond them.
  const std::vector<stack_layer<double>> one{{{1.46, 0}, 2.0}};
  EXPECT_TRUE(std::isnan(fitter.fit(measured(1.5, 300, {60, 70}), o, one, 1).thickness));
}

TEST(film_fit, an_endless_range_ends_and_says_it_was_not_searched_whole) {
  film_fitter fitter;
  film_fit_options o;
  o.max_thickness = 1e300;
  for (const double ak : {0.0, -0.05}) {
    std::vector<fit_measurement> ms = measured(1.5, 300, {60, 65, 70});
    for (fit_measurement& x : ms) x.ak = ak;
    EXPECT_FALSE(fitter.fit(ms, o).converged) << ak;
  }
}

TEST(film_fit, layers_of_no_thickness_and_the_stack_model_give_the_film_alone) {
  film_fitter fitter;
  film_fit_options o;
  o.fit_index = true;
  for (const double t : {35.0, 268.0, 1234.5}) {
    const std::vector<fit_measurement> ms = measured(1.52, t, {60, 65, 70});
    const film_fit_result alone = fitter.fit(ms, o);
    const std::vector<stack_layer<double>> under(6, {{2.0, -0.1}, 0.0});
    const film_fit_result stacked = fitter.fit(ms, o, under, 2);
    EXPECT_NEAR(alone.thickness, t, 1e-6);
    EXPECT_NEAR(stacked.thickness, t, 1e-6);
    EXPECT_NEAR(stacked.film_index, 1.52, 1e-8);
    EXPECT_NEAR(stacked.sigma_thickness, alone.sigma_thickness, 1e-6 * alone.sigma_thickness);
    EXPECT_TRUE(stacked.converged && !stacked.ambiguous);
    // The same fitter, back to a film alone: nothing of the stack is kept.
    const film_fit_result again = fitter.fit(ms, o);
    EXPECT_EQ(again.thickness, alone.thickness);
    EXPECT_EQ(again.chi2, alone.chi2);
  }
}

TEST(film_fit, an_absorbing_film_over_a_layer_is_found_by_its_thickness) {
  const std::vector<stack_layer<double>> under(3, {{1.457, 0}, 2.0});
  for (const double t : {8.0, 40.0, 150.0}) {
    std::vector<fit_measurement> ms;
    for (const double phi : {60.0, 65.0, 70.0}) {
      const stack_layer<double> layers[2] = {{{4.2, -0.9}, t}, under[0]};
      const stack_result<double> r = stack_reflection<double>(layers, silicon, 632.8, phi);
      ms.push_back({632.8, phi, silicon, 4.2, r.psi, r.delta, 0.02, 0.05, -0.9});
    }
    film_fitter fitter;
    const film_fit_result r = fitter.fit(ms, film_fit_options{}, under, 1);
    EXPECT_NEAR(r.thickness, t, 1e-6) << t;
    EXPECT_LT(r.residual, 1e-8);
  }
}

// The fit's film: film_at's Psi and Delta to the bit, and derivatives that are those of
// central differences of film_at, on a bare substrate and on media over a layer.
TEST(film_fit, the_model_is_film_at_and_its_derivatives_its_slopes) {
  const stack_layer<double> oxide[1] = {{{1.457, 0}, 50.0}};
  for (const double phi : {55.0, 75.0}) {
    for (const media<double>& m : {ambient_and_substrate<double>(phi, silicon),
                                   stack_media<double>(oxide, silicon, 632.8, phi)}) {
      const auto film = [&](double an) { return film_setup<double>(m, an, normal_component<double>(an, m.s2)); };
      for (const double an : {1.2, 1.5, 2.3}) {
        const film_invariants<double> f = film(an);
        const interface_slopes dn = interface_slopes_of(m, an);
        for (const double t : {0.0, 1e-3, 37.0, 480.5, 1999.0, -20.0}) {
          const film1_result<double> at = film_at<double>(f, 632.8, t);
          const film_reflection r = film_reflection_at(f, 632.8, t);
          EXPECT_EQ(psi_of(r), at.psa) << phi << ' ' << an << ' ' << t;
          EXPECT_EQ(delta_of(r), at.dea) << phi << ' ' << an << ' ' << t;
          if (t < 0) continue;
          const film_slopes d = film_slopes_of(f, &dn, 632.8, r);
          const double ht = 1e-5, hn = 1e-7;
          const film1_result<double> t1 = film_at<double>(f, 632.8, t + ht), t0 = film_at<double>(f, 632.8, t - ht);
          const film1_result<double> n1 = film_at<double>(film(an + hn), 632.8, t);
          const film1_result<double> n0 = film_at<double>(film(an - hn), 632.8, t);
          EXPECT_NEAR(d.psi_t, (t1.psa - t0.psa) / (2 * ht), 1e-6 + 1e-6 * std::fabs(d.psi_t));
          EXPECT_NEAR(d.delta_t, (t1.dea - t0.dea) / (2 * ht), 1e-6 + 1e-6 * std::fabs(d.delta_t));
          EXPECT_NEAR(d.psi_n, (n1.psa - n0.psa) / (2 * hn), 1e-4 + 1e-6 * std::fabs(d.psi_n));
          EXPECT_NEAR(d.delta_n, (n1.dea - n0.dea) / (2 * hn), 1e-4 + 1e-6 * std::fabs(d.delta_n));
          EXPECT_TRUE(std::isnan(film_slopes_of(f, nullptr, 632.8, r).psi_n));
        }
      }
    }
  }
}

}  // namespace
}  // namespace ellcalc
