#include "console/fields.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace console {
namespace {

// The text that render(field, args...) leaves in a field of width w.
template <class... A>
std::string rendered(void (*render)(char*, A...), int w, A... args) {
  std::string f(static_cast<std::size_t>(w), '?');
  render(f.data(), args...);
  return f;
}

std::string integer(std::int32_t v, int w) { return rendered(render_integer, w, v, w); }
std::string fixed(double v, int w, int d) { return rendered(render_fixed, w, v, w, d); }
std::string exponent(double v, int w, int d) { return rendered(render_exponent, w, v, w, d); }

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::nan("");

TEST(IntegerField, RightJustifiedOrAsterisks) {
  EXPECT_EQ(integer(0, 2), " 0");
  EXPECT_EQ(integer(7, 2), " 7");
  EXPECT_EQ(integer(-5, 2), "-5");
  EXPECT_EQ(integer(100, 2), "**");
  EXPECT_EQ(integer(-10, 2), "**");
  EXPECT_EQ(integer(10000, 5), "10000");
  EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::min(), 11), "-2147483648");
  EXPECT_EQ(integer(std::numeric_limits<std::int32_t>::min(), 10), "**********");
}

TEST(FixedField, RoundsTheExactBinaryValueTiesToEven) {
  EXPECT_EQ(fixed(0.5, 9, 3), "    0.500");
  EXPECT_EQ(fixed(632.8f, 8, 2), "  632.80");
  EXPECT_EQ(fixed(39.44f, 8, 3), "  39.440");
  EXPECT_EQ(fixed(0.125, 5, 2), " 0.12");   // exact tie: to even
  EXPECT_EQ(fixed(0.375, 5, 2), " 0.38");
  EXPECT_EQ(fixed(2.5, 3, 0), " 2.");
  EXPECT_EQ(fixed(3.5, 3, 0), " 4.");
  // 0.1f is 0.100000001490116..., just below the tie 0.1000000015 of 9 decimals: rounds down
  EXPECT_EQ(fixed(0.1f, 12, 9), " 0.100000001");
  EXPECT_EQ(fixed(1.0005f, 6, 3), " 1.000");  // 1.0005f is just below 1.0005
  EXPECT_EQ(fixed(9.9996, 6, 3), "10.000");
}

TEST(FixedField, SignOnlyWhenADigitShows) {
  EXPECT_EQ(fixed(-0.0004, 9, 3), "    0.000");
  EXPECT_EQ(fixed(-0.0, 9, 3), "    0.000");
  EXPECT_EQ(fixed(-0.0005, 9, 3), "   -0.001");  // -0.0005 in binary lies just beyond the tie
  EXPECT_EQ(fixed(-0.028f, 9, 5), " -0.02800");
  EXPECT_EQ(fixed(-1.85226, 9, 5), " -1.85226");
}

TEST(FixedField, OverflowDropsTheLoneZeroOrFillsAsterisks) {
  EXPECT_EQ(fixed(0.5, 4, 3), ".500");
  EXPECT_EQ(fixed(-0.5, 6, 4), "-.5000");
  EXPECT_EQ(fixed(0.5, 3, 3), "***");
  EXPECT_EQ(fixed(123456.789, 9, 3), "*********");
  EXPECT_EQ(fixed(12345.678, 9, 3), "12345.678");
  EXPECT_EQ(fixed(-2345.678, 9, 3), "-2345.678");
  EXPECT_EQ(fixed(-12345.678, 9, 3), "*********");
  EXPECT_EQ(fixed(1e300, 9, 3), "*********");
  EXPECT_EQ(fixed(std::numeric_limits<double>::max(), 9, 3), "*********");
  EXPECT_EQ(fixed(1e-300, 9, 3), "    0.000");
}

TEST(ExponentField, FractionBetweenOneTenthAndOne) {
  EXPECT_EQ(exponent(1.0, 14, 7), " 0.1000000E+01");
  EXPECT_EQ(exponent(-1.0, 14, 7), "-0.1000000E+01");
  EXPECT_EQ(exponent(0.0, 14, 7), " 0.0000000E+00");
  EXPECT_EQ(exponent(-0.0, 14, 7), " 0.0000000E+00");
  EXPECT_EQ(exponent(1.0e-5, 14, 7), " 0.1000000E-04");
  EXPECT_EQ(exponent(0.999999996, 14, 7), " 0.1000000E+01");  // the rounding carries
  EXPECT_EQ(exponent(0.03148110, 14, 7), " 0.3148110E-01");
  EXPECT_EQ(exponent(0.125, 9, 2), " 0.12E+00");              // exact tie: to even
  EXPECT_EQ(exponent(5.0, 7, 1), "0.5E+01");
  EXPECT_EQ(exponent(5.0, 8, 1), " 0.5E+01");
}

TEST(ExponentField, WidthDecidesTheLeadingZero) {
  EXPECT_EQ(exponent(0.3148110e-1, 15, 7), "  0.3148110E-01");
  EXPECT_EQ(exponent(-0.3195043, 15, 7), " -0.3195043E+00");
  EXPECT_EQ(exponent(1.0, 12, 7), ".1000000E+01");
  EXPECT_EQ(exponent(-1.0, 13, 7), "-.1000000E+01");
  EXPECT_EQ(exponent(1.0, 11, 7), "***********");
  EXPECT_EQ(exponent(-1.0, 12, 7), "************");
}

TEST(ExponentField, ThreeDigitExponentsTakeTheLetterSPlace) {
  EXPECT_EQ(exponent(1.234567e-120, 14, 7), " 0.1234567-119");
  EXPECT_EQ(exponent(-1.234567e200, 14, 7), "-0.1234567+201");
  EXPECT_EQ(exponent(1e99, 14, 7), " 0.1000000+100");
  EXPECT_EQ(exponent(1e98, 14, 7), " 0.1000000E+99");
  EXPECT_EQ(exponent(4.9406564584124654e-324, 14, 7), " 0.4940656-323");
}

TEST(NonFiniteValues, KeepTheFieldWidth) {
  EXPECT_EQ(fixed(nan, 9, 3), "      NaN");
  EXPECT_EQ(fixed(-nan, 9, 3), "      NaN");
  EXPECT_EQ(fixed(inf, 9, 3), " Infinity");
  EXPECT_EQ(fixed(-inf, 9, 3), "-Infinity");
  EXPECT_EQ(fixed(-inf, 8, 3), "    -Inf");
  EXPECT_EQ(fixed(inf, 7, 2), "    Inf");
  EXPECT_EQ(fixed(inf, 3, 1), "Inf");
  EXPECT_EQ(fixed(-inf, 3, 1), "***");
  EXPECT_EQ(fixed(nan, 2, 1), "**");
  EXPECT_EQ(exponent(nan, 14, 7), "           NaN");
  EXPECT_EQ(exponent(-inf, 14, 7), "     -Infinity");
}

}  // namespace
}  // namespace console
