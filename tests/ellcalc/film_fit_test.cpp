// The fitter where a caller's arguments, not the physics, decide: measurements that are
// no numbers, ranges that never end, known layers that change nothing, and the fitter
// reused from one site to the next with its buffers; and the film model the fit takes with
// its derivatives. Then the stack of layers where only C++ reaches it: the sweep gives the
// bits of the plain call whatever changes from point to point, the single-precision
// instantiation follows the double one, and a film on the media seen on top of known
// layers is the stack with the film on top, which the fit relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "ellcalc/film1.hpp"
#include "ellcalc/film_fit.hpp"
#include "ellcalc/fit_model.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/stack.hpp"
#include "tests/test_support.hpp"

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

TEST(film_fit, measurements_that_are_no_numbers_and_an_endless_range_end) {
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

  // An endless range ends, and says it was not searched whole.
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

using console::cplx_d;
using test_support::same_bits;
using test_support::uniform;

template <class R>
std::vector<stack_layer<R>> random_layers(std::mt19937_64& g, int count) {
  std::vector<stack_layer<R>> layers;
  for (int l = 0; l < count; ++l) {
    const double k = uniform(g, 0, 1) < 0.3 ? -uniform(g, 0, 0.5) : 0.0;
    layers.push_back({console::narrow<R>({uniform(g, 1.3, 4.0), k}), static_cast<R>(uniform(g, 0, 300))});
  }
  return layers;
}

TEST(stack, the_sweep_gives_the_bits_of_the_plain_call) {
  std::mt19937_64 g(5);
  stack_sweep<double> sweep;
  std::vector<stack_layer<double>> layers = random_layers<double>(g, 3);
  for (int i = 0; i < 3000; ++i) {
    // Now one thing changes, now another, now nothing.
    switch (i % 5) {
      case 0: layers = random_layers<double>(g, 1 + i % 4); break;
      case 1: layers[0].thickness = uniform(g, 0, 500); break;
      case 2: layers.back().index = {uniform(g, 1.3, 2.5), 0.0}; break;
      default: break;
    }
    const cplx_d substrate{3.866, i % 7 == 0 ? -0.5 : -0.028};
    const double wavelength = uniform(g, 300, 900), angle = i % 3 == 0 ? 70.0 : uniform(g, 0, 85);
    const stack_result<double> a = sweep.evaluate(layers, substrate, wavelength, angle);
    const stack_result<double> b = stack_reflection<double>(layers, substrate, wavelength, angle);
    ASSERT_TRUE(same_bits(a.psi, b.psi) && same_bits(a.delta, b.delta) && same_bits(a.Rp, b.Rp) &&
                same_bits(a.rs.re, b.rs.re) && same_bits(a.rp.im, b.rp.im))
        << i;
  }
}

TEST(stack, single_precision_follows_double_and_a_film_over_layers_is_the_film_on_their_media) {
  std::mt19937_64 g(6);
  for (int i = 0; i < 2000; ++i) {
    const std::vector<stack_layer<float>> narrow = random_layers<float>(g, 1 + i % 3);
    std::vector<stack_layer<double>> wide;
    for (const stack_layer<float>& l : narrow) wide.push_back({cplx_d(l.index), l.thickness});
    const float angle = static_cast<float>(uniform(g, 40, 80));
    const stack_result<float> s = stack_reflection<float>(narrow, {3.866f, -0.028f}, 632.8f, angle);
    const stack_result<double> d = stack_reflection<double>(wide, {3.866f, -0.028f}, 632.8f, angle);
    EXPECT_NEAR(s.psi, d.psi, 2e-3) << i;
    EXPECT_NEAR(std::remainder(s.delta - d.delta, 360.0), 0.0, 2e-2) << i;
    // A transparent film of 1.5 over these layers, both ways.
    const double t = uniform(g, 0, 1000);
    const media<double> m = stack_media<double>(wide, {3.866, -0.028}, 632.8, angle);
    const film1_result<double> film = film1_in<double>(m, 632.8, 1, 0, 0, 1.5, t);
    wide.insert(wide.begin(), {{1.5, 0.0}, t});
    const stack_result<double> whole = stack_reflection<double>(wide, {3.866, -0.028}, 632.8, angle);
    EXPECT_NEAR(film.psa, whole.psi, 1e-9) << i;
    EXPECT_NEAR(std::remainder(film.dea - whole.delta, 360.0), 0.0, 1e-9) << i;
  }
}

}  // namespace
}  // namespace ellcalc
