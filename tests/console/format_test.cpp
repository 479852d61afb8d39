#include "console/format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "console/format_writer.hpp"

namespace console {
namespace {

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

// The programs' own prompts and lines are pinned by the session transcripts.
TEST(FormatWrite, ComplexValueFillsTwoFields) {
  EXPECT_EQ(write("(2(F9.5,1X),' ? ')", {cplx{3.866f, -0.028f}}), "  3.86600  -0.02800  ? \n");
}

TEST(FormatWrite, SlashesEndLinesAndATrailingSlashLeavesAnEmptyLine) {
  EXPECT_EQ(write("(' a',/,' b')"), " a\n b\n");
  EXPECT_EQ(write("(' a',/)"), " a\n\n");
  EXPECT_EQ(write("(' a'/' b'//)"), " a\n b\n\n\n");
  EXPECT_EQ(write("(1H0,' 1: x.',/,1X,I2,' ? ',$)", {std::int32_t{1}}), "0 1: x.\n  1 ? ");
}

TEST(FormatWrite, PendingMovementBecomesBlanksOnlyBeforeACharacter) {
  EXPECT_EQ(write("(' a',5X)"), " a\n");
  EXPECT_EQ(write("(' a',5X,'b')"), " a     b\n");
  EXPECT_EQ(write("(' a',5X,/,'b')"), " a\nb\n");
  EXPECT_EQ(write("(F5.1,1X,F5.1,1X)", {1.0, 2.0}), "  1.0   2.0\n");
}

TEST(FormatWrite, TabMovesToAColumnOfTheLine) {
  EXPECT_EQ(write("(T5,'x')"), "    x\n");
  EXPECT_EQ(write("('abc',T2,'Z')"), "aZc\n");         // back over written text
  EXPECT_EQ(write("('abcdef',T2,'Z',T8,'y')"), "aZcdef y\n");
  EXPECT_EQ(write("(/,T32,F10.5,2X,F10.5)", {1.0f, 2.0f}), "\n" + std::string(31, ' ') + "   1.00000     2.00000\n");
}

TEST(FormatWrite, GroupsRepeatAndNest) {
  EXPECT_EQ(write("(' =',5(1X,F4.1),' d')", {1.0, 2.0, 3.0, 4.0, 5.0}), " =  1.0  2.0  3.0  4.0  5.0 d\n");
  EXPECT_EQ(write("(2(I2,2(1X,I1)),'.')", integers(6)), " 1 2 3 4 5 6.\n");
  EXPECT_EQ(write("(' CO =',/,2(I2,2X,F3.1,/))", {std::int32_t{1}, 0.5, std::int32_t{2}, 1.5}),
            " CO =\n 1  0.5\n 2  1.5\n\n");
  EXPECT_EQ(write("(3F4.1)", {1.0, 2.0, 3.0}), " 1.0 2.0 3.0\n");
}

TEST(FormatWrite, StopsAtTheFirstFieldWithoutAValue) {
  EXPECT_EQ(write("(' a',I2,' b',I2,' c')", {std::int32_t{1}}), " a 1 b\n");
  EXPECT_EQ(write("(' GAUS3 ne peut pas resoudre.')"), " GAUS3 ne peut pas resoudre.\n");
  EXPECT_EQ(write("(4(1X,I1),' end')", integers(2)), " 1 2\n");
}

TEST(FormatWrite, ExtraValuesRestartAtTheLastOutermostGroup) {
  EXPECT_EQ(write("(' x',I2)", integers(2)), " x 1\n x 2\n");
  EXPECT_EQ(write("(' h',2(1X,I1))", integers(3)), " h 1 2\n 3\n");
  // A format without fields writes its text once, whatever it is given.
  EXPECT_EQ(write("(' a')", {std::int32_t{1}}), " a\n");
  // The group it restarts at has no field: the values left over are dropped.
  EXPECT_EQ(write("(I1,2(' z'))", integers(2)), "1 z z\n");
}

TEST(FormatWrite, ReversionTakesTheLastOutermostParenthesisWithItsCount) {
  // Not the first outermost group, not the group nested in the last one, and all its
  // repetitions on each new pass; a pass that runs out of values stops before its field.
  EXPECT_EQ(write("(I1,2(' a',I1),' m',2(' b',I1,2(' c',I1)),' e')", integers(18)),
            "1 a2 a3 m b4 c5 c6 b7 c8 c9 e\n"
            " b0 c1 c2 b3 c4 c5 e\n"
            " b6 c7 c8 b\n");
  // A repeat count on a descriptor makes no parenthesis: the group before it is resumed.
  EXPECT_EQ(write("(2(' a',I1),' m',2I1)", integers(6)), " a1 a2 m34\n a5 a6 m\n");
}

TEST(FormatWrite, QuotesAndBlanks) {
  EXPECT_EQ(write("(\"say \"\"hi\"\"\")"), "say \"hi\"\n");
  EXPECT_EQ(write("( ' a' , F 5 . 1 , 4H b c )", {1.0}), " a  1.0 b c\n");
  EXPECT_EQ(write("(i2,f4.1,e9.2)", {std::int32_t{3}, 1.0, 1.0}), " 3 1.0 0.10E+01\n");
}

TEST(FormatWrite, MixedKindsAreConverted) {
  EXPECT_EQ(write("(F5.1,I3)", {std::int32_t{2}, 7.9}), "  2.0  7\n");
  EXPECT_EQ(write("(I3)", {1e30}), "***\n");
  EXPECT_EQ(write("(I4,I2)", {std::nan(""), -std::numeric_limits<double>::infinity()}), " NaN**\n");
}

TEST(FormatParse, RejectsWhatItDoesNotKnow) {
  for (const char* bad : {"", "F5.1", "(F5.1", "(F5)", "(E9.0)", "(Q)", "('abc)", "(5H ab)", "(0(I2))",
                          "(I0)", "(I1000)", "(3T5)", "(T)", "(F5.1))", "(F5.1) x", "(2P,F5.1)"}) {
    EXPECT_EQ(parse(bad), format_error::syntax) << bad;
  }
}

TEST(FormatParse, LimitsTheNumberOfInstructions) {
  std::string format = "(";
  for (int i = 0; i < 299; ++i) format += "1X,";
  EXPECT_EQ(parse(format + "1X)"), format_error::none);
  EXPECT_EQ(parse(format + "1X,1X)"), format_error::too_complicated);
}

}  // namespace
}  // namespace console
