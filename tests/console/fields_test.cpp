#include "console/fields.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <tuple>

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

struct field_case {
  double v;
  int w, d;
  const char* text;
};

// Each value rendered by `field` (fixed or exponent) in its width gives the text.
void expect_fields(std::string (*field)(double, int, int), std::initializer_list<field_case> cases) {
  for (const field_case& c : cases) EXPECT_EQ(field(c.v, c.w, c.d), c.text) << c.v << " in " << c.w << '.' << c.d;
}

TEST(IntegerField, RightJustifiedOrAsterisks) {
  constexpr std::int32_t least = std::numeric_limits<std::int32_t>::min();
  const std::tuple<std::int32_t, int, const char*> cases[] = {
      {0, 2, " 0"},    {7, 2, " 7"},         {-5, 2, "-5"},          {100, 2, "**"},
      {-10, 2, "**"}, {10000, 5, "10000"}, {least, 11, "-2147483648"}, {least, 10, "**********"}};
  for (const auto& [v, w, text] : cases) EXPECT_EQ(integer(v, w), text) << v << " in " << w;
}

TEST(FixedField, RoundsTheExactBinaryValueTiesToEven) {
  expect_fields(fixed, {{0.5, 9, 3, "    0.500"}, {632.8f, 8, 2, "  632.80"}, {39.44f, 8, 3, "  39.440"},
                        {0.125, 5, 2, " 0.12"},  // exact tie: to even
                        {0.375, 5, 2, " 0.38"}, {2.5, 3, 0, " 2."}, {3.5, 3, 0, " 4."},
                        // 0.1f is 0.100000001490116..., just below the tie 0.1000000015 of 9 decimals
                        {0.1f, 12, 9, " 0.100000001"},
                        {1.0005f, 6, 3, " 1.000"},  // 1.0005f is just below 1.0005
                        {9.9996, 6, 3, "10.000"}});
}

TEST(FixedField, SignOnlyWhenADigitShows) {
  expect_fields(fixed, {{-0.0004, 9, 3, "    0.000"}, {-0.0, 9, 3, "    0.000"},
                        {-0.0005, 9, 3, "   -0.001"},  // -0.0005 in binary lies just beyond the tie
                        {-0.028f, 9, 5, " -0.02800"}, {-1.85226, 9, 5, " -1.85226"}});
}

TEST(FixedField, OverflowDropsTheLoneZeroOrFillsAsterisks) {
  expect_fields(fixed, {{0.5, 4, 3, ".500"}, {-0.5, 6, 4, "-.5000"}, {0.5, 3, 3, "***"},
                        {123456.789, 9, 3, "*********"}, {12345.678, 9, 3, "12345.678"},
                        {-2345.678, 9, 3, "-2345.678"}, {-12345.678, 9, 3, "*********"}, {1e300, 9, 3, "*********"},
                        {std::numeric_limits<double>::max(), 9, 3, "*********"}, {1e-300, 9, 3, "    0.000"}});
}

TEST(ExponentField, FractionBetweenOneTenthAndOne) {
  expect_fields(exponent, {{1.0, 14, 7, " 0.1000000E+01"}, {-1.0, 14, 7, "-0.1000000E+01"},
                           {0.0, 14, 7, " 0.0000000E+00"}, {-0.0, 14, 7, " 0.0000000E+00"},
                           {1.0e-5, 14, 7, " 0.1000000E-04"},
                           {0.999999996, 14, 7, " 0.1000000E+01"},  // the rounding carries
                           {0.03148110, 14, 7, " 0.3148110E-01"},
                           {0.125, 9, 2, " 0.12E+00"},  // exact tie: to even
                           {5.0, 7, 1, "0.5E+01"}, {5.0, 8, 1, " 0.5E+01"}});
}

TEST(ExponentField, WidthDecidesTheLeadingZero) {
  expect_fields(exponent, {{0.3148110e-1, 15, 7, "  0.3148110E-01"}, {-0.3195043, 15, 7, " -0.3195043E+00"},
                           {1.0, 12, 7, ".1000000E+01"}, {-1.0, 13, 7, "-.1000000E+01"},
                           {1.0, 11, 7, "***********"}, {-1.0, 12, 7, "************"}});
}

TEST(ExponentField, ThreeDigitExponentsTakeTheLetterSPlace) {
  expect_fields(exponent, {{1.234567e-120, 14, 7, " 0.1234567-119"}, {-1.234567e200, 14, 7, "-0.1234567+201"},
                           {1e99, 14, 7, " 0.1000000+100"}, {1e98, 14, 7, " 0.1000000E+99"},
                           {4.9406564584124654e-324, 14, 7, " 0.4940656-323"}});
}

TEST(NonFiniteValues, KeepTheFieldWidth) {
  expect_fields(fixed, {{nan, 9, 3, "      NaN"}, {-nan, 9, 3, "      NaN"}, {inf, 9, 3, " Infinity"},
                        {-inf, 9, 3, "-Infinity"}, {-inf, 8, 3, "    -Inf"}, {inf, 7, 2, "    Inf"},
                        {inf, 3, 1, "Inf"}, {-inf, 3, 1, "***"}, {nan, 2, 1, "**"}});
  expect_fields(exponent, {{nan, 14, 7, "           NaN"}, {-inf, 14, 7, "     -Infinity"}});
}

}  // namespace
}  // namespace console
