// The residual and order of an inverted film at the edges a caller can reach with any
// arguments: Delta across +-180, NaN and infinite values, periods that are no period.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "ellcalc/inversion.hpp"

namespace ellcalc {
namespace {

template <class R>
void residual_takes_delta_across_the_cut_and_keeps_nan() {
  const R nan = std::numeric_limits<R>::quiet_NaN(), inf = std::numeric_limits<R>::infinity();
  EXPECT_EQ(residual<R>(10, 179, 10, -179), R{2});
  EXPECT_EQ(residual<R>(10, -170, 10, 545), R{5});  // 545 is -175
  EXPECT_EQ(residual<R>(40, 0, 37, 180), R{180});
  EXPECT_EQ(residual<R>(43, 10, 40, 9), R{3});
  for (const R bad : {nan, inf}) EXPECT_TRUE(std::isnan(residual<R>(40, 10, 40, bad)));
  EXPECT_TRUE(std::isnan(residual<R>(nan, 10, 40, 10)));
  EXPECT_EQ(residual<R>(inf, 10, 40, 10), inf);
}

template <class R>
void the_order_is_the_nearest_non_negative_one_and_always_defined() {
  const R nan = std::numeric_limits<R>::quiet_NaN(), inf = std::numeric_limits<R>::infinity();
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
  residual_takes_delta_across_the_cut_and_keeps_nan<float>();
  residual_takes_delta_across_the_cut_and_keeps_nan<double>();
  the_order_is_the_nearest_non_negative_one_and_always_defined<float>();
  the_order_is_the_nearest_non_negative_one_and_always_defined<double>();
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
