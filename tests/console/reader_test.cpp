#include "console/reader.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "tests/test_support.hpp"

namespace console {
namespace {

// Reads `answer` into the targets; returns the error text ("" when none).
std::string read(std::string_view answer, std::vector<target> targets) {
  text_source in(answer);
  const auto e = read_list(in, targets);
  return e ? std::string(e->context) + ": " + e->message : "";
}

// Each answer, read into a variable that holds `start`, leaves it with these bits.
template <class T>
void expect_values(T start, std::initializer_list<std::pair<std::string_view, T>> cases) {
  for (const auto& [answer, want] : cases) {
    T v = start;
    EXPECT_EQ(read(answer, {v}), "") << answer;
    EXPECT_EQ(test_support::bits(v), test_support::bits(want)) << answer << " gives " << v;
  }
}

// Number forms, exponents, long mantissas and the double rounding of a 32-bit item meet
// strtod in the reader sweep; here what ends a number, and 900 zeros after the point.
TEST(ReadReal, WhatEndsANumberAndNullAnswers) {
  expect_values(-7.0f, {{"632.8\n", 632.8f}, {"12abc\n", 12.0f}, {"1.2.3\n", 1.2f}, {"7", 7.0f},  // no line end
                        {"\r\n12.5\r\n", 12.5f}});                                               // CR counts as a blank
  expect_values(0.0, {{"0." + std::string(900, '0') + "1e905\n", 10000.0}});
  // Null answers keep the value.
  expect_values(39.44f, {{"/\n", 39.44f}, {",\n", 39.44f}, {" , 5\n", 39.44f}, {"+,\n", 39.44f}, {"./\n", 39.44f},
                         {"\n\n\n  \n8\n", 8.0f}});  // empty lines do not answer
  expect_values(1.5f, {{"3*\n", 1.5f}});
}

TEST(ReadInteger, DigitsTheSignExponentAndTheLimits) {
  constexpr std::int32_t most = 2147483647, least = -2147483647 - 1;
  expect_values<std::int32_t>(-7, {{"4\n", 4}, {"-1\n", -1}, {"12abc\n", 12}, {"12+3\n", 12000}, {"12-3\n", 0},
                                   {"1234-2\n", 12}, {"-99-1\n", -9}, {"0+99999999\n", 0},
                                   // Out of range: held at the limits.
                                   {"2147483647\n", most}, {"2147483648\n", most}, {"-2147483648\n", least},
                                   {"-99999999999999999999\n", least}, {"1+99999999\n", most}});
}

// Each answer gives the message; the variable keeps its value.
template <class T>
void expect_errors(T start, std::initializer_list<std::pair<const char*, std::vector<std::string_view>>> cases) {
  for (const auto& [message, answers] : cases) {
    for (const std::string_view answer : answers) {
      T v = start;
      EXPECT_EQ(read(answer, {v}), message) << answer;
      EXPECT_EQ(std::memcmp(&v, &start, sizeof v), 0) << answer;
    }
  }
}

// The session transcripts give each message once more, for another answer.
TEST(ReadErrors, IntegerRealAndComplexAnswers) {
  // A point or an exponent letter in an integer.
  expect_errors<std::int32_t>(0, {{"invalid integer: read unexpected character", {"1e5\n", "12D\n", ".,\n"}}});
  expect_errors(1.0f, {{"invalid number: incomprehensible list input", {"-\n", "+ 5\n", ".x\n"}},
                       {"exponent field: incomprehensible list input", {"1.5e+\n", "1.5+ 3\n", "1e123456789\n"}},
                       {"bad repetition count: incomprehensible list input",
                        {"*5\n", "-2*5\n", "99999999999*5\n", "2*3*4\n"}},
                       {"list in: end of file", {"", "\n \n"}}});
  expect_errors(cplx{}, {{"complex format: incomprehensible list input", {"-1\n", "0*(1,2)\n", "2*x\n"}},
                         {"no real part: incomprehensible list input", {"(+,1)\n"}},
                         {"exponent field: incomprehensible list input", {"(1e,2)\n"}}});
}

TEST(ReadComplex, ParenthesisedPairs) {
  // One after the other into the same variable: null answers keep what the last read left.
  const std::tuple<const char*, float, float> reads[] = {
      {"(1,\r\n2)\r\n", 1, 2},  // CR counts as a blank
      {"  ( 4 ,\n\n -0.5 \n )  junk\n", 4, -0.5f}, {",\n", 4, -0.5f}, {"/\n", 4, -0.5f}, {"2* \n", 4, -0.5f}};
  cplx c{1, 1};
  for (const auto& [answer, re, im] : reads) {
    EXPECT_EQ(read(answer, {c}), "") << answer;
    EXPECT_EQ(c.re, re) << answer;
    EXPECT_EQ(c.im, im) << answer;
  }
}

TEST(ReadList, SeveralValuesAcrossLines) {
  // One after the other into the same five variables: what a read leaves, the next keeps.
  const std::tuple<const char*, const char*, std::vector<float>> reads[] = {
      {"1,2\n3 4 5\n", "", {1, 2, 3, 4, 5}},
      {"6,,7 , 8\n", "list in: end of file", {6, 2, 7, 8, 5}},
      {"2*0.5, 3*\n", "", {0.5, 0.5, 7, 8, 5}},
      {"2*,1 1/ 2 2\n", "", {0.5, 0.5, 1, 1, 5}},
      {"1,\n2,3,4,5\n", "", {1, 2, 3, 4, 5}},
      {"1 2abc\n", "invalid number: incomprehensible list input", {1, 2, 3, 4, 5}},
  };
  float h[5] = {9, 9, 9, 9, 9};
  for (const auto& [answer, error, values] : reads) {
    EXPECT_EQ(read(answer, {h[0], h[1], h[2], h[3], h[4]}), error) << answer;
    EXPECT_EQ(std::vector<float>(h, h + 5), values) << answer;
  }
}

// Successive reads of one variable from `in` give these values.
void expect_successive(text_source& in, std::initializer_list<float> values) {
  for (const float want : values) {
    float a = 0;
    EXPECT_FALSE(read_list(in, std::vector<target>{a}));
    EXPECT_EQ(a, want);
  }
}

TEST(TextSource, KeepsItsOwnCopyOfTheTextAndDiscardsTheRestOfTheLine) {
  static_assert(!std::is_copy_constructible_v<text_source> && !std::is_move_constructible_v<text_source>);
  // The string is gone by the time of the reads (the sanitizer build would see a stale read).
  text_source in(std::string("1.25\n") + std::string(40, ' ') + "2.5\n");
  expect_successive(in, {1.25f, 2.5f});
  text_source line("1 2 3\n4\n");
  expect_successive(line, {1.0f, 4.0f});
}

}  // namespace
}  // namespace console
