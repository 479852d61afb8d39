// film_sweep (point by point and many points at once) against film1 kind 1, to the bit,
// over sequences of points in which the angle, the substrate and the film index come in
// runs, alternate, or change one at a time, with zeros of either sign, infinities and NaNs
// of distinct payloads among them.
#include "ellcalc/film_sweep.hpp"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <vector>

#include "ellcalc/film1.hpp"
#include "tests/test_support.hpp"

namespace ellcalc {
namespace {

using test_support::bits;
using test_support::bits_t;
using test_support::nan_with;

// Every field of the result as bits, the outcome included.
template <class R>
std::array<bits_t<R>, 8> bits_of(const film1_result<R>& r) {
  return {bits(r.an),  bits(r.ep),          bits(r.psa),          bits(r.dea),
          bits(r.per), r.outcome.converged, bits(r.outcome.s), bits(r.outcome.dss)};
}

template <class R>
struct point {
  R ol, phi;
  console::cplx_of<R> cn2;
  R an, ep;
};

// Runs the points through one evaluator, point by point and all at once, and checks each
// against film1 kind 1.
template <class R>
void expect_film1_at_each(const std::vector<point<R>>& points) {
  const std::size_t n = points.size();
  std::vector<R> ol(n), phi(n), an(n), ep(n);
  std::vector<console::cplx_of<R>> cn2(n);
  for (std::size_t i = 0; i < n; ++i)
    ol[i] = points[i].ol, phi[i] = points[i].phi, cn2[i] = points[i].cn2, an[i] = points[i].an, ep[i] = points[i].ep;
  std::vector<film1_result<R>> many(n);
  film_sweep<R>().evaluate_many(n, ol.data(), phi.data(), cn2.data(), an.data(), ep.data(), many.data());
  film_sweep<R> sweep;
  for (std::size_t i = 0; i < n; ++i) {
    const point<R>& p = points[i];
    const auto want = bits_of(film1<R>(p.ol, p.phi, p.cn2, 1, R{0}, R{0}, p.an, p.ep));
    const auto where = testing::Message() << "point " << i << ": ol " << p.ol << " phi " << p.phi << " cn2 ("
                                          << p.cn2.re << ", " << p.cn2.im << ") an " << p.an << " ep " << p.ep;
    ASSERT_EQ(bits_of(sweep.evaluate(p.ol, p.phi, p.cn2, p.an, p.ep)), want) << where;
    ASSERT_EQ(bits_of(many[i]), want) << where;
  }
}

template <class R>
class FilmSweep : public ::testing::Test {};
using Reals = ::testing::Types<float, double>;
TYPED_TEST_SUITE(FilmSweep, Reals);

TYPED_TEST(FilmSweep, EqualsFilm1OverRandomSequences) {
  using R = TypeParam;
  using lim = std::numeric_limits<R>;
  const std::array<R, 8> special{R{0},           -R{0},           lim::infinity(),   -lim::infinity(),
                                 nan_with<R>(1), -nan_with<R>(2), lim::denorm_min(), lim::max()};
  std::mt19937 g(20240611);
  const auto uniform = [&](double lo, double hi) { return static_cast<R>(test_support::uniform(g, lo, hi)); };
  const auto chance = [&](double p) { return test_support::uniform(g, 0.0, 1.0) < p; };
  const auto odd = [&] { return special[std::uniform_int_distribution<std::size_t>(0, special.size() - 1)(g)]; };

  // The invariants: a current set, the set before it, and changes of one quantity (often
  // to a special value) or of all.
  point<R> now{0, 70, {R(3.866), R(-0.028)}, R(1.46), 0};
  point<R> before = now;
  std::vector<point<R>> points;
  for (int i = 0; i < 40000; ++i) {
    if (chance(0.02)) std::swap(now, before);
    if (chance(0.02)) {
      before = now;
      // The angle, the two parts of the substrate index, the film index (each within its
      // range), or all of them.
      R* const quantities[] = {&now.phi, &now.cn2.re, &now.cn2.im, &now.an};
      const double lo[] = {0, 0.5, -2, 1}, hi[] = {89, 5, 0, 3};
      const int which = std::uniform_int_distribution<int>(0, 4)(g);
      if (which < 4)
        *quantities[which] = chance(0.5) ? odd() : uniform(lo[which], hi[which]);
      else
        now = {0, uniform(0, 89), {uniform(0.5, 5), uniform(-2, 0)}, uniform(1, 3), 0};
    }
    point<R> p = now;
    p.ol = chance(0.01) ? odd() : uniform(200, 1200);
    p.ep = chance(0.01) ? odd() : uniform(-300, 1000);
    points.push_back(p);
  }
  expect_film1_at_each(points);
}

// Two sets of invariants that == cannot tell apart (0 and -0) or that are unordered
// (NaNs of different payloads) give different results; alternating between them must
// give each its own.
TYPED_TEST(FilmSweep, TellsApartZerosOfEitherSignAndNaNPayloads) {
  using R = TypeParam;
  const point<R> base{R(632.8), R(70), {R(3.866), R(-0.028)}, R(1.46), R(100)};
  const R nan1 = nan_with<R>(1), nan2 = nan_with<R>(2);
  std::vector<std::array<point<R>, 2>> pairs(5, {base, base});
  pairs[0][0].an = R{0}, pairs[0][1].an = -R{0};
  pairs[1][0].an = nan1, pairs[1][1].an = nan2;
  pairs[2][0].phi = nan1, pairs[2][1].phi = nan2;
  pairs[3][0].cn2.re = nan1, pairs[3][1].cn2.re = nan2;
  pairs[4][0].cn2.im = nan1, pairs[4][1].cn2.im = nan2;
  for (const auto& [a, b] : pairs) {
    ASSERT_NE(bits_of(film1<R>(a.ol, a.phi, a.cn2, 1, R{0}, R{0}, a.an, a.ep)),
              bits_of(film1<R>(b.ol, b.phi, b.cn2, 1, R{0}, R{0}, b.an, b.ep)));
    expect_film1_at_each<R>({a, b, b, a, a, b, a});
  }
}

}  // namespace
}  // namespace ellcalc
