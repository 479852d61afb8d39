// The stack of layers where only C++ reaches it: the sweep gives the bits of the plain
// call whatever changes from point to point, the single-precision instantiation follows
// the double one, and a film on the media seen on top of known layers is the stack with
// the film on top, which the fit relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "ellcalc/film1.hpp"
#include "ellcalc/stack.hpp"
#include "tests/test_support.hpp"

namespace ellcalc {
namespace {

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
