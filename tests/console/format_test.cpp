// The number fields Iw, Fw.d and Ew.d as rendered alone, and the format texts that place
// them among the other edit descriptors.
#include "console/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "console/fields.hpp"
#include "console/format_writer.hpp"

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

// The programs' own fields (F9.3, F8.2, ...) meet printf's digits over many values in the
// field sweep and the format fuzz target; here the others, and what printf cannot show.
TEST(FixedField, RoundingSignOverflowAndNonFiniteValues) {
  expect_fields(fixed, {
      // The exact binary value is rounded, ties to even.
      {0.125, 5, 2, " 0.12"}, {0.375, 5, 2, " 0.38"}, {2.5, 3, 0, " 2."}, {3.5, 3, 0, " 4."},
      // 0.1f is 0.100000001490116..., just below the tie 0.1000000015 of 9 decimals
      {0.1f, 12, 9, " 0.100000001"},
      {1.0005f, 6, 3, " 1.000"},  // 1.0005f is just below 1.0005
      {9.9996, 6, 3, "10.000"},
      // Overflow drops the lone zero, or fills the field with asterisks.
      {0.5, 4, 3, ".500"}, {-0.5, 6, 4, "-.5000"}, {0.5, 3, 3, "***"},
      // Non-finite values keep the field width.
      {nan, 9, 3, "      NaN"}, {-nan, 9, 3, "      NaN"}, {inf, 9, 3, " Infinity"}, {-inf, 9, 3, "-Infinity"},
      {-inf, 8, 3, "    -Inf"}, {inf, 7, 2, "    Inf"}, {inf, 3, 1, "Inf"}, {-inf, 3, 1, "***"}, {nan, 2, 1, "**"},
  });
}

TEST(ExponentField, FractionWidthExponentsAndNonFiniteValues) {
  expect_fields(exponent, {
      {0.125, 9, 2, " 0.12E+00"},  // exact tie: to even
      {5.0, 7, 1, "0.5E+01"}, {5.0, 8, 1, " 0.5E+01"},
      // The width decides the leading zero.
      {1.0, 12, 7, ".1000000E+01"}, {-1.0, 13, 7, "-.1000000E+01"},
      {1.0, 11, 7, "***********"}, {-1.0, 12, 7, "************"},
      // Three-digit exponents take the place of the letter E.
      {1.234567e-120, 14, 7, " 0.1234567-119"}, {1e99, 14, 7, " 0.1000000+100"}, {1e98, 14, 7, " 0.1000000E+99"},
      // Non-finite values keep the field width.
      {nan, 14, 7, "           NaN"}, {-inf, 14, 7, "     -Infinity"},
  });
}

class string_sink final : public line_sink {
 public:
  void put(const char* text, std::size_t size) override { out.append(text, size); }
  std::string out;
};

std::string write(std::string_view format, std::vector<value> values = {}) {
  format_program program;
  EXPECT_EQ(parse_format(format, program), format_error::none) << format;
  string_sink sink;
  execute_format(format, program, values, sink);
  return sink.out;
}

// count integer values: 1, 2, ... 9, 0, 1, ...
std::vector<value> integers(int count) {
  std::vector<value> v;
  for (int k = 1; k <= count; ++k) v.emplace_back(std::int32_t{k % 10});
  return v;
}

format_error parse(std::string_view format) {
  format_program program;
  return parse_format(format, program);
}

// The programs' own prompts and lines (complex values in two fields, slashes, 1H0, $,
// tabs forward, nested groups with slashes) are pinned by the session transcripts.
TEST(FormatWrite, LinesFieldsGroupsAndReversion) {
  const std::tuple<const char*, std::vector<value>, std::string> writes[] = {
      // Slashes end lines, and a trailing slash leaves an empty line.
      {"(' a'/' b'//)", {}, " a\n b\n\n\n"},
      // Pending movement becomes blanks only before a character.
      {"(' a',5X)", {}, " a\n"},
      {"(' a',5X,/,'b')", {}, " a\nb\n"},
      {"(F5.1,1X,F5.1,1X)", {1.0, 2.0}, "  1.0   2.0\n"},
      // A tab moves to a column of the line, also back over written text.
      {"('abc',T2,'Z')", {}, "aZc\n"},
      {"('abcdef',T2,'Z',T8,'y')", {}, "aZcdef y\n"},
      // Groups repeat and nest.
      {"(2(I2,2(1X,I1)),'.')", integers(6), " 1 2 3 4 5 6.\n"},
      // Writing stops at the first field without a value.
      {"(' a',I2,' b',I2,' c')", {std::int32_t{1}}, " a 1 b\n"},
      {"(4(1X,I1),' end')", integers(2), " 1 2\n"},
      // Extra values restart at the last outermost group.
      {"(' x',I2)", integers(2), " x 1\n x 2\n"},
      {"(' h',2(1X,I1))", integers(3), " h 1 2\n 3\n"},
      // A format without fields writes its text once, whatever it is given.
      {"(' a')", {std::int32_t{1}}, " a\n"},
      // The group it restarts at has no field: the values left over are dropped.
      {"(I1,2(' z'))", integers(2), "1 z z\n"},
      // Reversion takes the last outermost parenthesis with its count: not the first
      // outermost group, not the group nested in the last one, and all its repetitions on
      // each new pass; a pass that runs out of values stops before its field.
      {"(I1,2(' a',I1),' m',2(' b',I1,2(' c',I1)),' e')", integers(18),
       "1 a2 a3 m b4 c5 c6 b7 c8 c9 e\n"
       " b0 c1 c2 b3 c4 c5 e\n"
       " b6 c7 c8 b\n"},
      // A repeat count on a descriptor makes no parenthesis: the group before it is resumed.
      {"(2(' a',I1),' m',2I1)", integers(6), " a1 a2 m34\n a5 a6 m\n"},
      // Quotes and blanks.
      {"(\"say \"\"hi\"\"\")", {}, "say \"hi\"\n"},
      {"( ' a' , F 5 . 1 , 4H b c )", {1.0}, " a  1.0 b c\n"},
      {"(i2,f4.1,e9.2)", {std::int32_t{3}, 1.0, 1.0}, " 3 1.0 0.10E+01\n"},
      // Values of another kind are converted.
      {"(F5.1,I3)", {std::int32_t{2}, 7.9}, "  2.0  7\n"},
      {"(I3)", {1e30}, "***\n"},
      {"(I4,I2)", {std::nan(""), -std::numeric_limits<double>::infinity()}, " NaN**\n"},
  };
  for (const auto& [format, values, text] : writes) EXPECT_EQ(write(format, values), text) << format;
}

TEST(FormatParse, RejectsWhatItDoesNotKnowAndLimitsTheNumberOfInstructions) {
  for (const char* bad : {"", "F5.1", "(F5.1", "(F5)", "(E9.0)", "(Q)", "('abc)", "(5H ab)", "(0(I2))",
                          "(I0)", "(I1000)", "(3T5)", "(T)", "(F5.1))", "(F5.1) x", "(2P,F5.1)"})
    EXPECT_EQ(parse(bad), format_error::syntax) << bad;
  std::string format = "(";
  for (int i = 0; i < 299; ++i) format += "1X,";
  EXPECT_EQ(parse(format + "1X)"), format_error::none);
  EXPECT_EQ(parse(format + "1X,1X)"), format_error::too_complicated);
}

}  // namespace
}  // namespace console
