// The Fw.d and Ew.d fields of every format text the programs write, against the C
// library's printf over many values: random magnitudes in single and double precision,
// decimal ties that are exact in binary, the neighbours of the roundings that carry into a
// new digit or overflow the field, values that round to zero, subnormals and the largest
// values.
//
//   fields_sweep [values per field]      (default 100000)
#include <algorithm>
#include <bit>
#include <cmath>
#include <compare>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <string_view>

#include "console/fields.hpp"
#include "console/format.hpp"
#include "tests/sweeps/generator.hpp"
#include "tests/sweeps/reference_fields.hpp"

namespace {

constexpr const char* program_formats[] = {
#include "program_formats.inc"
};

using sweep::generator;

struct field {
  bool fixed;
  int w;
  int d;
  auto operator<=>(const field&) const = default;
};

// The F and E fields of the programs' format texts.
std::set<field> program_fields() {
  std::set<field> fields;
  for (const char* text : program_formats) {
    console::format_program program;
    // That every text parses, the replay of the format fuzz target's corpus checks.
    static_cast<void>(console::parse_format(text, program));
    for (const auto& in : program.code) {
      if (in.kind == console::op::fixed || in.kind == console::op::exponent)
        fields.insert({in.kind == console::op::fixed, in.width, in.decimals});
    }
  }
  return fields;
}

double nudged(double v, std::int64_t ulps) {
  for (; ulps > 0; --ulps) v = std::nextafter(v, std::numeric_limits<double>::infinity());
  for (; ulps < 0; ++ulps) v = std::nextafter(v, -std::numeric_limits<double>::infinity());
  return v;
}

// One value for a field of width w with d decimals (F) or digits (E).
double value_for(const field& f, generator& g) {
  const double sign = g.next() & 1 ? -1.0 : 1.0;
  const double step = std::pow(10.0, f.fixed ? -f.d : 0);
  // Decimal exponents that matter: from below the last decimal to beyond the field (F),
  // or the whole double range (E).
  const int low = f.fixed ? -f.d - 3 : -330;
  const int high = f.fixed ? f.w - f.d + 1 : 310;
  switch (g.next() % 8) {
    case 0:  // any magnitude, as a 64-bit value
      return sign * std::pow(10.0, low + (high - low) * g.uniform());
    case 1:  // any magnitude, as a 32-bit value widened
      return static_cast<float>(sign * std::pow(10.0, std::max(low, -45) +
                                                          (std::min(high, 39) - std::max(low, -45)) * g.uniform()));
    case 2: {  // the neighbours of a decimal tie: halfway between two last digits
      const int digits = f.fixed ? f.w - f.d - 1 : f.d;
      const double k = static_cast<double>(g.below(static_cast<std::int64_t>(std::pow(10.0, std::min(digits, 15)))));
      double tie = (k + 0.5) * step;
      if (!f.fixed) tie *= std::pow(10.0, static_cast<double>(g.below(40) - 20 - f.d));
      return sign * nudged(tie, g.below(7) - 3);
    }
    case 3: {  // ties exact in binary: an odd number of halves of the last unit
      if (f.fixed) return sign * static_cast<double>(2 * g.below(1 << 20) + 1) * std::ldexp(1.0, -(f.d + 1));
      // d+1 significant digits ending in 5, as an integer, or as n + 0.5
      const double unit = std::pow(10.0, f.d - 1);
      const double n = unit + static_cast<double>(g.below(static_cast<std::int64_t>(9 * unit)));
      return g.next() & 1 ? sign * (10 * n + 5) : sign * (n + 0.5);
    }
    case 4: {  // around the rounding that carries into one more digit: 9.995 in F4.2
      const int digits = static_cast<int>(g.below(f.fixed ? f.w - f.d + 1 : 600)) - (f.fixed ? f.d : 300);
      const double carry = std::pow(10.0, digits) - 0.5 * (f.fixed ? step : std::pow(10.0, digits - f.d));
      return sign * nudged(carry, g.below(9) - 4);
    }
    case 5:  // values that round to zero, or to the first unit
      return sign * step * g.uniform();
    case 6: {  // any bit pattern of a 32-bit value
      const auto v = std::bit_cast<float>(static_cast<std::uint32_t>(g.next()));
      return std::isfinite(v) ? v : 0.0;
    }
    default: {  // any bit pattern of a 64-bit value: subnormals, the largest values
      const auto v = std::bit_cast<double>(g.next());
      return std::isfinite(v) ? v : -0.0;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 100000;
  const std::set<field> fields = program_fields();
  generator g{0x7a3b1c5d2e4f6071};
  long checked = 0;
  int failures = 0;
  std::string names;
  for (const field& f : fields) {
    names += (f.fixed ? " F" : " E") + std::to_string(f.w) + "." + std::to_string(f.d);
    char got[1100];
    for (long k = 0; k < count; ++k) {
      double v;
      do v = value_for(f, g);
      while (!std::isfinite(v));
      if (k < 4) v = (k & 1 ? -1.0 : 1.0) * (k < 2 ? 0.0 : std::numeric_limits<double>::max());
      std::memset(got, 0, sizeof got);
      (f.fixed ? console::render_fixed : console::render_exponent)(got, v, f.w, f.d);
      const std::string want = (f.fixed ? reference::fixed : reference::exponent)(v, f.w, f.d);
      ++checked;
      if (std::string_view(got, static_cast<std::size_t>(f.w)) != want || got[f.w] != '\0') {
        if (++failures <= 20)
          std::printf("%c%d.%d of %.17g (%a): got \"%s\", printf gives \"%s\"\n", f.fixed ? 'F' : 'E', f.w, f.d, v,
                      v, got, want.c_str());
      }
    }
  }
  std::printf("fields%s: %ld values, %d differ from printf\n", names.c_str(), checked, failures);
  return fields.empty() || failures > 0 ? 1 : 0;
}
