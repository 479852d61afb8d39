#include "console/reader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

namespace console {
namespace {

// Reads `answer` into the targets; returns the error text ("" when none).
std::string read(std::string_view answer, std::vector<target> targets) {
  text_source in(answer);
  const auto e = read_list(in, targets);
  return e ? std::string(e->context) + ": " + e->message : "";
}

float real_of(std::string_view answer, float start = -7.0f) {
  float v = start;
  EXPECT_EQ(read(answer, {v}), "") << answer;
  return v;
}

std::int32_t integer_of(std::string_view answer, std::int32_t start = -7) {
  std::int32_t v = start;
  EXPECT_EQ(read(answer, {v}), "") << answer;
  return v;
}

TEST(ReadReal, NumberForms) {
  EXPECT_EQ(real_of("632.8\n"), 632.8f);
  EXPECT_EQ(real_of("  \t70\n"), 70.0f);
  EXPECT_EQ(real_of("-45\n"), -45.0f);
  EXPECT_EQ(real_of("+.5\n"), 0.5f);
  EXPECT_EQ(real_of("5.\n"), 5.0f);
  EXPECT_EQ(real_of("1.5d-3\n"), 0.0015f);
  EXPECT_EQ(real_of("1.5E-3\n"), 0.0015f);
  EXPECT_EQ(real_of("1.5-3\n"), 0.0015f);
  EXPECT_EQ(real_of("1.5+3\n"), 1500.0f);
  EXPECT_EQ(real_of("1e+2\n"), 100.0f);
  EXPECT_EQ(real_of("12abc\n"), 12.0f);
  EXPECT_EQ(real_of("3.5 7\n"), 3.5f);
  EXPECT_EQ(real_of("1.2.3\n"), 1.2f);
  EXPECT_EQ(real_of("0007\n"), 7.0f);
  EXPECT_EQ(real_of("7"), 7.0f);  // no line end
}

TEST(ReadReal, RoundsTheDecimalTextTwiceLikeTheWidenedItem) {
  // To the nearest double first, then to the nearest float.
  EXPECT_EQ(real_of("0.1\n"), static_cast<float>(0.1));
  EXPECT_EQ(real_of("1e39\n"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(real_of("-1e39\n"), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(real_of("1e-50\n"), 0.0f);
  double d = 0;
  EXPECT_EQ(read("4.9406564584124654e-324\n", {d}), "");
  EXPECT_EQ(d, std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(read("1e99999999\n", {d}), "");
  EXPECT_EQ(d, std::numeric_limits<double>::infinity());
  EXPECT_EQ(read("-0\n", {d}), "");
  EXPECT_TRUE(std::signbit(d));
  // A long mantissa: 1 followed by 900 zeros and a 1 after the point rounds as its value.
  EXPECT_EQ(read("1." + std::string(900, '0') + "1\n", {d}), "");
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(read("0." + std::string(900, '0') + "1e905\n", {d}), "");
  EXPECT_EQ(d, 10000.0);
}

TEST(ReadReal, NullAnswersKeepTheValue) {
  EXPECT_EQ(real_of("/\n", 39.44f), 39.44f);
  EXPECT_EQ(real_of(",\n", 39.44f), 39.44f);
  EXPECT_EQ(real_of(" , 5\n", 39.44f), 39.44f);
  EXPECT_EQ(real_of("+,\n", 39.44f), 39.44f);
  EXPECT_EQ(real_of("./\n", 39.44f), 39.44f);
  EXPECT_EQ(real_of("\n\n\n  \n8\n", 39.44f), 8.0f);  // empty lines do not answer
  EXPECT_EQ(real_of("3*\n", 1.5f), 1.5f);
}

TEST(ReadInteger, DigitsAndTheSignExponent) {
  EXPECT_EQ(integer_of("4\n"), 4);
  EXPECT_EQ(integer_of("-1\n"), -1);
  EXPECT_EQ(integer_of("12abc\n"), 12);
  EXPECT_EQ(integer_of("12+3\n"), 12000);
  EXPECT_EQ(integer_of("12-3\n"), 0);
  EXPECT_EQ(integer_of("1234-2\n"), 12);
  EXPECT_EQ(integer_of("-99-1\n"), -9);
  EXPECT_EQ(integer_of("0+99999999\n"), 0);
}

TEST(ReadInteger, OutOfRangeValuesAreHeldAtTheLimits) {
  EXPECT_EQ(integer_of("2147483647\n"), 2147483647);
  EXPECT_EQ(integer_of("2147483648\n"), 2147483647);
  EXPECT_EQ(integer_of("-2147483648\n"), -2147483647 - 1);
  EXPECT_EQ(integer_of("-99999999999999999999\n"), -2147483647 - 1);
  EXPECT_EQ(integer_of("1+99999999\n"), 2147483647);
}

TEST(ReadInteger, PointOrExponentLetterIsAnError) {
  std::int32_t v = 0;
  EXPECT_EQ(read("12.5\n", {v}), "invalid integer: read unexpected character");
  EXPECT_EQ(read("1e5\n", {v}), "invalid integer: read unexpected character");
  EXPECT_EQ(read("12D\n", {v}), "invalid integer: read unexpected character");
  EXPECT_EQ(read(".,\n", {v}), "invalid integer: read unexpected character");
  EXPECT_EQ(v, 0);
}

TEST(ReadErrors, IncomprehensibleAnswers) {
  float v = 1.0f;
  EXPECT_EQ(read("abc\n", {v}), "invalid number: incomprehensible list input");
  EXPECT_EQ(read("-\n", {v}), "invalid number: incomprehensible list input");
  EXPECT_EQ(read("+ 5\n", {v}), "invalid number: incomprehensible list input");
  EXPECT_EQ(read(".x\n", {v}), "invalid number: incomprehensible list input");
  EXPECT_EQ(read("1.5e\n", {v}), "exponent field: incomprehensible list input");
  EXPECT_EQ(read("1.5e+\n", {v}), "exponent field: incomprehensible list input");
  EXPECT_EQ(read("1.5+ 3\n", {v}), "exponent field: incomprehensible list input");
  EXPECT_EQ(read("1e123456789\n", {v}), "exponent field: incomprehensible list input");
  EXPECT_EQ(read("*5\n", {v}), "bad repetition count: incomprehensible list input");
  EXPECT_EQ(read("0*5\n", {v}), "bad repetition count: incomprehensible list input");
  EXPECT_EQ(read("-2*5\n", {v}), "bad repetition count: incomprehensible list input");
  EXPECT_EQ(read("99999999999*5\n", {v}), "bad repetition count: incomprehensible list input");
  EXPECT_EQ(read("2*3*4\n", {v}), "bad repetition count: incomprehensible list input");
  EXPECT_EQ(v, 1.0f);
}

TEST(ReadComplex, ParenthesisedPairs) {
  cplx c{1, 1};
  EXPECT_EQ(read("(3.882,-0.019)\n", {c}), "");
  EXPECT_EQ(c.re, 3.882f);
  EXPECT_EQ(c.im, -0.019f);
  EXPECT_EQ(read("  ( 4 ,\n\n -0.5 \n )  junk\n", {c}), "");
  EXPECT_EQ(c.re, 4.0f);
  EXPECT_EQ(c.im, -0.5f);
  EXPECT_EQ(read("2*(1,2)\n", {c}), "");
  EXPECT_EQ(c.re, 1.0f);
  EXPECT_EQ(read(",\n", {c}), "");
  EXPECT_EQ(read("/\n", {c}), "");
  EXPECT_EQ(read("2* \n", {c}), "");
  EXPECT_EQ(c.re, 1.0f);
  EXPECT_EQ(c.im, 2.0f);
}

TEST(ReadComplex, Errors) {
  cplx c{};
  EXPECT_EQ(read("3.882 -0.019\n", {c}), "no star: incomprehensible list input");
  EXPECT_EQ(read("abc\n", {c}), "complex format: incomprehensible list input");
  EXPECT_EQ(read("-1\n", {c}), "complex format: incomprehensible list input");
  EXPECT_EQ(read("0*(1,2)\n", {c}), "complex format: incomprehensible list input");
  EXPECT_EQ(read("2*x\n", {c}), "complex format: incomprehensible list input");
  EXPECT_EQ(read("(,1)\n", {c}), "no real part: incomprehensible list input");
  EXPECT_EQ(read("(+,1)\n", {c}), "no real part: incomprehensible list input");
  EXPECT_EQ(read("(1 2)\n", {c}), "no comma: incomprehensible list input");
  EXPECT_EQ(read("(1,)\n", {c}), "no imaginary part: incomprehensible list input");
  EXPECT_EQ(read("(1,2]\n", {c}), "no ): incomprehensible list input");
  EXPECT_EQ(read("(1e,2)\n", {c}), "exponent field: incomprehensible list input");
  EXPECT_EQ(read("(1,2\n", {c}), "list in: end of file");
  EXPECT_EQ(read("3*", {c}), "lread: end of file");
}

TEST(ReadList, SeveralValuesAcrossLines) {
  float h[5] = {9, 9, 9, 9, 9};
  EXPECT_EQ(read("1,2\n3 4 5\n", {h[0], h[1], h[2], h[3], h[4]}), "");
  EXPECT_EQ(std::vector<float>(h, h + 5), (std::vector<float>{1, 2, 3, 4, 5}));
  EXPECT_EQ(read("6,,7 , 8\n", {h[0], h[1], h[2], h[3], h[4]}), "list in: end of file");
  EXPECT_EQ(std::vector<float>(h, h + 5), (std::vector<float>{6, 2, 7, 8, 5}));
  EXPECT_EQ(read("2*0.5, 3*\n", {h[0], h[1], h[2], h[3], h[4]}), "");
  EXPECT_EQ(std::vector<float>(h, h + 5), (std::vector<float>{0.5, 0.5, 7, 8, 5}));
  EXPECT_EQ(read("2*,1 1/ 2 2\n", {h[0], h[1], h[2], h[3], h[4]}), "");
  EXPECT_EQ(std::vector<float>(h, h + 5), (std::vector<float>{0.5, 0.5, 1, 1, 5}));
  EXPECT_EQ(read("1,\n2,3,4,5\n", {h[0], h[1], h[2], h[3], h[4]}), "");
  EXPECT_EQ(std::vector<float>(h, h + 5), (std::vector<float>{1, 2, 3, 4, 5}));
  EXPECT_EQ(read("1 2abc\n", {h[0], h[1], h[2], h[3], h[4]}), "invalid number: incomprehensible list input");
}

TEST(ReadList, TheRestOfTheLineIsDiscarded) {
  text_source in("1 2 3\n4\n");
  float a = 0;
  EXPECT_FALSE(read_list(in, std::vector<target>{a}));
  EXPECT_EQ(a, 1.0f);
  EXPECT_FALSE(read_list(in, std::vector<target>{a}));
  EXPECT_EQ(a, 4.0f);
}

TEST(ReadList, EndOfInput) {
  float a = 0;
  EXPECT_EQ(read("", {a}), "list in: end of file");
  EXPECT_EQ(read("\n \n", {a}), "list in: end of file");

  // A last answer without line end meets the end; the next read finds it already met.
  text_source in("5");
  EXPECT_FALSE(read_list(in, std::vector<target>{a}));
  EXPECT_EQ(a, 5.0f);
  EXPECT_TRUE(in.ended());
  const auto e = read_list(in, std::vector<target>{a});
  ASSERT_TRUE(e);
  EXPECT_EQ(*e, (read_error{"read start", "end of file"}));

  // With its line end, the next read meets the end while looking for a value.
  text_source ended_line("5\n");
  EXPECT_FALSE(read_list(ended_line, std::vector<target>{a}));
  EXPECT_FALSE(ended_line.ended());
  EXPECT_EQ(*read_list(ended_line, std::vector<target>{a}), (read_error{"list in", "end of file"}));
}

TEST(ReadList, CarriageReturnsCountAsBlanks) {
  EXPECT_EQ(real_of("\r\n12.5\r\n"), 12.5f);
  cplx c{};
  EXPECT_EQ(read("(1,\r\n2)\r\n", {c}), "");
  EXPECT_EQ(c.im, 2.0f);
}

TEST(TextSource, KeepsItsOwnCopyOfTheText) {
  static_assert(!std::is_copy_constructible_v<text_source> && !std::is_move_constructible_v<text_source>);
  // The string is gone by the time of the reads (the sanitizer build would see a stale read).
  text_source in(std::string("1.25\n") + std::string(40, ' ') + "2.5\n");
  float a = 0;
  EXPECT_FALSE(read_list(in, std::vector<target>{a}));
  EXPECT_EQ(a, 1.25f);
  EXPECT_FALSE(read_list(in, std::vector<target>{a}));
  EXPECT_EQ(a, 2.5f);
}

}  // namespace
}  // namespace console
