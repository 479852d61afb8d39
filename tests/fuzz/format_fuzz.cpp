// The format interpreter on the programs' own format texts with arbitrary values, and on
// arbitrary format texts. Checked besides the absence of faults:
// - every line a statement writes is within the format's output bound;
// - a program's format text writes lines of the same lengths whatever its values are (each
//   field keeps its width), and the same line count;
// - every F, E and I field, rendered alone, fills exactly its width with printable
//   characters, right-justified, all asterisks or none, and a finite value in an F or E
//   field gives the text made from printf's digits.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "console/fields.hpp"
#include "console/format.hpp"
#include "console/format_writer.hpp"
#include "tests/sweeps/reference_fields.hpp"
#include "tests/test_support.hpp"

namespace {

constexpr std::string_view program_formats[] = {
#include "program_formats.inc"
};

using test_support::check;

class line_sink final : public console::line_sink {
 public:
  void put(const char* text, std::size_t size) override { lines.emplace_back(text, size); }
  std::vector<std::string> lines;
};

// Values taken from the bytes: a kind byte, then the bits of the value.
std::vector<console::value> values_from(const std::uint8_t* data, std::size_t size) {
  std::vector<console::value> values;
  while (size >= 9 && values.size() < 64) {
    const std::uint8_t kind = data[0] % 4;
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + 1, 8);
    data += 9;
    size -= 9;
    const auto low = static_cast<std::uint32_t>(bits), high = static_cast<std::uint32_t>(bits >> 32);
    if (kind == 0) {
      values.emplace_back(static_cast<std::int32_t>(low));
    } else if (kind == 1) {
      values.emplace_back(std::bit_cast<float>(low));
    } else if (kind == 2) {
      values.emplace_back(std::bit_cast<double>(bits));
    } else {
      values.emplace_back(console::cplx{std::bit_cast<float>(low), std::bit_cast<float>(high)});
    }
  }
  return values;
}

// The value of the same kind that each program value is replaced with.
console::value zero_like(const console::value& v) {
  switch (v.k) {
    case console::value::kind::int32:
      return std::int32_t{0};
    case console::value::kind::real32:
      return 0.0f;
    case console::value::kind::real64:
      return 0.0;
    case console::value::kind::complex32:
      break;
  }
  return console::cplx{};
}

void check_field(const char* field, int w) {
  bool text = false;
  for (int k = 0; k < w; ++k) {
    const char c = field[k];
    check(c > ' ' - 1 && c < 127);
    if (c != ' ') text = true;
    check(c != ' ' || !text);  // no blank once the text has begun
    check((c == '*') == (field[w - 1] == '*'));
  }
  check(text);
  check(field[w] == '\0');
}

// Each scalar of the values in the field of `in`, alone.
void check_fields(const console::instruction& in, const std::vector<console::value>& values) {
  std::vector<char> field(static_cast<std::size_t>(in.width) + 1);
  const int w = in.width;
  const int d = in.decimals;
  for (const console::value& v : values) {
    const double parts[2] = {v.k == console::value::kind::complex32 ? v.c.re : v.d, v.c.im};
    for (int p = 0; p < (v.k == console::value::kind::complex32 ? 2 : 1); ++p) {
      std::fill(field.begin(), field.end(), '\0');
      if (in.kind == console::op::integer) {
        if (v.k != console::value::kind::int32) continue;
        console::render_integer(field.data(), v.i, w);
        check_field(field.data(), w);
        const std::string digits = std::to_string(v.i);
        if (static_cast<int>(digits.size()) <= w) check(std::string_view(field.data() + w - digits.size()) == digits);
        continue;
      }
      const double x = v.k == console::value::kind::int32 ? v.i : parts[p];
      const bool fixed = in.kind == console::op::fixed;
      (fixed ? console::render_fixed : console::render_exponent)(field.data(), x, w, d);
      check_field(field.data(), w);
      if (std::isfinite(x))
        check(std::string_view(field.data()) == (fixed ? reference::fixed : reference::exponent)(x, w, d));
    }
  }
}

// Each distinct field of the program, with every value.
void check_fields(const console::format_program& program, const std::vector<console::value>& values) {
  std::set<std::tuple<console::op, int, int>> seen;
  for (const console::instruction& in : program.code) {
    if (in.kind != console::op::integer && in.kind != console::op::fixed && in.kind != console::op::exponent) continue;
    if (seen.insert({in.kind, in.width, in.decimals}).second) check_fields(in, values);
  }
}

std::vector<std::string> write(std::string_view text, const console::format_program& program,
                               const std::vector<console::value>& values) {
  line_sink sink;
  console::execute_format(text, program, values, sink);
  // One pass writes at most the bound on a line; a new pass starts a new line.
  const double bound = console::format_output_bound(program);
  for (const std::string& line : sink.lines) check(static_cast<double>(line.size()) <= bound + 1);
  return sink.lines;
}

// Parses once, checks that every text parses and that the values it needs are few.
std::vector<console::format_program> parsed_program_formats() {
  std::vector<console::format_program> programs;
  for (const std::string_view text : program_formats) {
    console::format_program program;
    check(console::parse_format(text, program) == console::format_error::none);
    check(console::format_output_bound(program) < 5000);
    programs.push_back(program);
  }
  return programs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<console::format_program> programs = parsed_program_formats();
  if (size < 2) return 0;
  const std::uint8_t mode = data[0];
  if (mode < 128) {
    const std::size_t which = data[1] % programs.size();
    const std::string_view text = program_formats[which];
    const console::format_program& program = programs[which];
    const std::vector<console::value> values = values_from(data + 2, size - 2);
    const std::vector<std::string> lines = write(text, program, values);
    std::vector<console::value> zeros;
    for (const console::value& v : values) zeros.push_back(zero_like(v));
    const std::vector<std::string> zero_lines = write(text, program, zeros);
    check(lines.size() == zero_lines.size());
    for (std::size_t k = 0; k < lines.size(); ++k) check(lines[k].size() == zero_lines[k].size());
    check_fields(program, values);
    return 0;
  }
  // An arbitrary format text up to the first zero byte, values from what follows.
  const auto* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = strnlen(text, size - 1);
  const std::size_t used = 1 + length + (1 + length < size ? 1 : 0);
  console::format_program program;
  if (console::parse_format(std::string_view(text, length), program) != console::format_error::none) return 0;
  // Arbitrary nesting of repeat counts could ask for gigabytes of output.
  if (console::format_output_bound(program) > 1e6) return 0;
  const std::vector<console::value> values = values_from(data + used, size - used);
  write(std::string_view(text, length), program, values);
  check_fields(program, values);
  return 0;
}
