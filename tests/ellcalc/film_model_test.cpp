// What a caller of the film model and of the inversions can reach with any arguments and
// the package's tests cannot: an inverse at an index below sin phi, and the residual and
// order of an inverted film at the edges (NaN and infinite values, ties, periods that are
// no period), in both precisions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "ellcalc/film1.hpp"
#include "ellcalc/inversion.hpp"

namespace ellcalc {
namespace {

TEST(Film1, AnInverseAtAnIndexBelowSinPhiIsNoNumber) {
  const film1_result<float> r = film1<float>(632.8f, 70.0f, {3.866f, -0.028f}, 3, 39.44f, 78.24f, 0.5f, 100.0f);
  EXPECT_FALSE(std::isfinite(r.an));
  EXPECT_FALSE(std::isfinite(r.ep));
}

template <class R>
void expect_residual_and_order_at_the_edges() {
  const R nan = std::numeric_limits<R>::quiet_NaN(), inf = std::numeric_limits<R>::infinity();
  // The residual keeps a NaN of the measured Delta; Delta half a turn off is 180 off.
  for (const R bad : {nan, inf}) EXPECT_TRUE(std::isnan(residual<R>(40, 10, 40, bad)));
  EXPECT_EQ(residual<R>(inf, 10, 40, 10), inf);
  EXPECT_EQ(residual<R>(40, 0, 37, 180), R{180});

  // The order is the nearest non-negative one, and always defined.
  const auto at = [](R ep, R per, R near) { return near_order<R>(ep, per, near); };
  EXPECT_EQ(at(10, 100, 60).order, 1);  // a tie goes up
  EXPECT_EQ(at(10, 100, 59).order, 0);
  // At order 0 the thickness is the one given, bit for bit.
  const R folded = static_cast<R>(92.87197);
  for (const R near : {-inf, R{0}, R{100}}) {
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

}  // namespace
}  // namespace ellcalc
