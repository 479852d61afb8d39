// The fitter where a C++ caller's arguments, not the physics, decide: no measurements,
// known layers that do not match them, ranges that never end, and the fitter reused from
// one site to the next with its buffers; and the film model the fit takes with its
// derivatives. Then the stack of layers where only C++ reaches it: the sweep gives the bits
// of the plain call whatever changes from point to point, and the single-precision
// instantiation follows the double one.
#include <gtest/gtest.h>

#include <cmath>
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

TEST(film_fit, no_measurements_layers_that_do_not_match_and_an_endless_range_end) {
  film_fitter fitter;
  film_fit_options o;
  EXPECT_TRUE(std::isnan(fitter.fit({}, o).thickness));
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

// The same fitter, back to a film alone after a fit over known layers: nothing of the
// stack is kept.
TEST(film_fit, a_fitter_reused_after_known_layers_keeps_nothing_of_them) {
  film_fitter fitter;
  film_fit_options o;
  o.fit_index = true;
  const std::vector<stack_layer<double>> under(6, {{2.0, -0.1}, 5.0});
  for (const double t : {35.0, 268.0, 1234.5}) {
    const std::vector<fit_measurement> ms = measured(1.52, t, {60, 65, 70});
    const film_fit_result alone = fitter.fit(ms, o);
    EXPECT_NE(fitter.fit(ms, o, under, 2).thickness, alone.thickness);
    const film_fit_result again = fitter.fit(ms, o);
    EXPECT_EQ(again.thickness, alone.thickness);
    EXPECT_EQ(again.chi2, alone.chi2);
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

TEST(stack, single_precision_follows_double) {
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
  }
}

}  // namespace
}  // namespace ellcalc
