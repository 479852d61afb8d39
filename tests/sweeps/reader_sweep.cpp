// The answer reader against the C library's strtod over many generated decimal answers:
// signs, digits before and after the point, exponents with E, e, D or d or with a sign
// alone, long digit strings, the exact halfway points between two doubles and their
// neighbours, overflow and underflow. Each answer is read into a 64-bit and into a 32-bit
// variable, which must hold strtod's value and that value rounded to 32 bits.
//
//   reader_sweep [answers]      (default 1000000)
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "console/reader.hpp"
#include "tests/sweeps/generator.hpp"
#include "tests/test_support.hpp"

namespace {

using sweep::generator;

void digits(std::string& s, int n, generator& g) {
  for (int k = 0; k < n; ++k) s += static_cast<char>('0' + g.below(10));
}

// The exact decimal digits of the point halfway between a random double and the next one
// up, as "D.DDD...e+XX" (the x87 80-bit format holds it exactly).
std::string halfway(generator& g) {
  double v;
  do v = std::bit_cast<double>(g.next() & ~(std::uint64_t{1} << 63));
  while (!std::isfinite(v) || std::isinf(std::nextafter(v, INFINITY)));
  const long double mid = (static_cast<long double>(v) + std::nextafter(v, INFINITY)) / 2;
  char text[1200];
  std::snprintf(text, sizeof text, "%.780Le", mid);
  std::string s = text;
  // Trailing zeros of the fraction go; the exponent stays.
  const std::size_t e = s.find('e');
  std::size_t last = e;
  while (last > 2 && s[last - 1] == '0') --last;
  if (s[last - 1] == '.') ++last;
  return s.substr(0, last) + s.substr(e);
}

// An answer, and the same number as strtod reads it.
struct answer {
  std::string text;
  std::string for_strtod;
};

answer make(generator& g) {
  answer a;
  if (g.below(8) == 0) {
    // A halfway point: exactly, just below (cut short), or just above (a far 1 appended,
    // beyond the digits any double needs).
    const std::string h = halfway(g);
    const std::size_t e = h.find('e');
    a.text = h.substr(0, e);
    const int exp10 = std::atoi(h.c_str() + e + 1);
    const int variant = g.below(3);
    if (variant == 1 && a.text.size() > 3) a.text.pop_back();
    if (variant == 2) a.text += std::string(g.below<std::size_t>(200), '0') + "1";
    const char* letters[] = {"e", "E", "d", "D", ""};
    const char* letter = letters[g.below(5)];
    a.text += letter + std::string(exp10 < 0 ? "-" : (*letter ? (g.below(2) ? "+" : "") : "+"));
    a.text += std::to_string(std::abs(exp10));
  } else {
    const char* mantissa_signs[] = {"", "-", "+"};
    a.text = mantissa_signs[g.below(3)];
    if (g.below(10) == 0) a.text += std::string(g.below<std::size_t>(30), '0');
    const int whole = g.below(500) == 0 ? 200 + g.below(800) : g.below(20);
    digits(a.text, whole, g);
    if (whole == 0 || g.below(3) != 0) {
      a.text += '.';
      if (g.below(10) == 0) a.text += std::string(g.below<std::size_t>(30), '0');
      digits(a.text, whole == 0 ? 1 + g.below(20) : g.below(20), g);
    }
    const int form = g.below(6);
    if (form > 0) {
      const int range = g.below(100);
      const int largest = range < 80 ? 40 : range < 95 ? 400 : range < 99 ? 100000 : 99999999;
      std::string exponent = std::to_string(g.below(largest));
      if (g.below(8) == 0) exponent = "00" + exponent;
      const char* signs[] = {"", "+", "-"};
      const char* letters[] = {"e", "E", "d", "D"};
      if (form == 5) {  // a sign alone: "1.5-3"
        a.text += (g.below(2) ? "+" : "-") + exponent;
      } else {
        a.text += letters[form - 1] + std::string(signs[g.below(3)]) + exponent;
      }
    }
  }
  // strtod knows only e: a D or d becomes e, and a sign alone gets its e.
  for (const char c : a.text) {
    if ((c == '+' || c == '-') && !a.for_strtod.empty() && a.for_strtod.back() != 'e') a.for_strtod += 'e';
    a.for_strtod += c == 'd' || c == 'D' || c == 'E' ? 'e' : c;
  }
  return a;
}

using test_support::same_bits;

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  generator g{0x1d2c3b4a59687766};
  constexpr long block = 20000;
  long checked = 0;
  int failures = 0;
  std::vector<answer> answers;
  for (long done = 0; done < count; done += block) {
    // A block of answers, one a line, some with blanks or a word after them.
    answers.clear();
    std::string session;
    for (long k = 0; k < block && done + k < count; ++k) {
      answers.push_back(make(g));
      session += (g.below(8) == 0 ? " \t" : "") + answers.back().text;
      const int tail = g.below(10);
      session += tail == 0 ? " 7 x\n" : tail == 1 ? ",\n" : tail == 2 ? "\r\n" : "\n";
    }
    console::text_source in(session);
    for (std::size_t k = 0; k < answers.size(); ++k) {
      const answer& a = answers[k];
      const double want = std::strtod(a.for_strtod.c_str(), nullptr);
      double d = -1.0;
      float f = -1.0f;
      const bool to_float = (k & 1) != 0;
      const auto error = to_float ? console::read_list(in, std::vector<console::target>{f})
                                  : console::read_list(in, std::vector<console::target>{d});
      ++checked;
      const bool ok = !error && (to_float ? same_bits(f, static_cast<float>(want)) : same_bits(d, want));
      if (!ok && ++failures <= 20) {
        std::printf("\"%.120s\" (strtod \"%.120s\"): ", a.text.c_str(), a.for_strtod.c_str());
        if (error) {
          std::printf("%s: %s\n", error->context, error->message);
          return 1;  // the reads after it would be out of step
        }
        std::printf("read %a, strtod gives %a\n", to_float ? static_cast<double>(f) : d,
                    to_float ? static_cast<double>(static_cast<float>(want)) : want);
      }
    }
  }
  std::printf("reader: %ld answers, %d differ from strtod\n", checked, failures);
  return failures > 0 ? 1 : 0;
}
