// The format interpreter on the programs' own format texts with arbitrary values, and on
// arbitrary format texts. Checked besides the absence of faults:
// - every line a statement writes is within the format's output bound;
// - a program's format text writes lines of the same lengths whatever its values are (each
//   field keeps its width), and the same line count;
// - every F, E and I field, rendered alone, fills exactly its width: an integer with its
//   digits right-justified or asterisks, a finite real with the text made from printf's
//   digits, a NaN or an infinity with printable characters, right-justified, all asterisks
//   or none.
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
  for (; size >= 9 && values.size() < 64; data += 9, size -= 9) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + 1, 8);
    const auto low = static_cast<std::uint32_t>(bits), high = static_cast<std::uint32_t>(bits >> 32);
    const console::value kinds[] = {static_cast<std::int32_t>(low), std::bit_cast<float>(low),
                                    std::bit_cast<double>(bits),
                                    console::cplx{std::bit_cast<float>(low), std::bit_cast<float>(high)}};
    values.push_back(kinds[data[0] % 4]);
  }
  return values;
}

// Each scalar of the values in the field of `in`, rendered alone.
void check_fields(const console::instruction& in, const std::vector<console::value>& values) {
  const int w = in.width;
  const int d = in.decimals;
  const bool fixed = in.kind == console::op::fixed;
  for (const console::value& v : values) {
    std::string field(static_cast<std::size_t>(w) + 1, '\0');  // what is written past the width shows
    if (in.kind == console::op::integer) {
      if (v.k != console::value::kind::int32) continue;
      console::render_integer(field.data(), v.i, w);
      check(field == reference::fitted(std::to_string(v.i), w) + '\0');
      continue;
    }
    const bool complex = v.k == console::value::kind::complex32;
    const double parts[2] = {complex ? v.c.re : v.k == console::value::kind::int32 ? v.i : v.d, v.c.im};
    for (int p = 0; p < (complex ? 2 : 1); ++p) {
      (fixed ? console::render_fixed : console::render_exponent)(field.data(), parts[p], w, d);
      if (std::isfinite(parts[p])) {
        check(field == (fixed ? reference::fixed : reference::exponent)(parts[p], w, d) + '\0');
        continue;
      }
      const std::string_view text(field.data(), static_cast<std::size_t>(w));
      const std::size_t start = text.find_first_not_of(' ');
      check(field.back() == '\0' && start != std::string::npos && text.find(' ', start) == std::string::npos);
      check(std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c < 127; }));
      check(text.find('*') == std::string::npos || text.find_first_not_of('*') == std::string::npos);
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
    // Each value replaced with a zero of its kind.
    std::vector<console::value> zeros = values;
    for (console::value& v : zeros) {
      v.i = 0;
      v.d = 0;
      v.c = {};
    }
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
