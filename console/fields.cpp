#include "console/fields.hpp"

#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>

namespace console {

namespace {

// Exact in binary up to 1e22.
constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

void fill(char* field, int w, char c) { std::memset(field, c, static_cast<std::size_t>(w)); }

// Right-justifies len characters of text in a field of w blanks (len <= w).
void justify(char* field, int w, const char* text, int len) {
  fill(field, w - len, ' ');
  std::memcpy(field + (w - len), text, static_cast<std::size_t>(len));
}

void render_non_finite(char* field, double v, int w) {
  const char* longer = "NaN";
  const char* shorter = "NaN";
  if (std::isinf(v)) {
    longer = v > 0 ? "Infinity" : "-Infinity";
    shorter = v > 0 ? "Inf" : "-Inf";
  }
  for (const char* text : {longer, shorter}) {
    const int len = static_cast<int>(std::strlen(text));
    if (len <= w) return justify(field, w, text, len);
  }
  fill(field, w, '*');
}

}  // namespace

void render_integer(char* field, std::int32_t v, int w) {
  char text[16];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  const int len = static_cast<int>(end - text);
  if (len > w) return fill(field, w, '*');
  justify(field, w, text, len);
}

void render_fixed(char* field, double v, int w, int d) {
  if (!std::isfinite(v)) return render_non_finite(field, v, w);
  const double magnitude = std::fabs(v);
  // The integer digits alone would not fit: spare the conversion of a huge number.
  if (w <= 22 && magnitude >= powers_of_ten[w]) return fill(field, w, '*');
  if (magnitude >= 1e22 && magnitude >= std::pow(10.0, w)) return fill(field, w, '*');

  // One leading column for the sign; the digits need at most 310 + 1 + d characters.
  char text[1 + 311 + 1 + 1024];
  char* digits = text + 1;
  auto [end, ec] = std::to_chars(digits, text + sizeof text, magnitude, std::chars_format::fixed, d);
  if (ec != std::errc{}) return fill(field, w, '*');
  if (d == 0) *end++ = '.';

  bool nonzero = false;
  for (const char* p = digits; p != end; ++p) nonzero |= (*p >= '1' && *p <= '9');
  char* start = digits;
  if (std::signbit(v) && nonzero) *--start = '-';

  int len = static_cast<int>(end - start);
  if (len == w + 1 && digits[0] == '0' && digits[1] == '.') {
    // Drop the lone 0 of the integer part: 0.5 in F4.3 is ".500".
    digits[0] = start[0];
    ++start;
    --len;
  }
  if (len > w) return fill(field, w, '*');
  justify(field, w, start, len);
}

void render_exponent(char* field, double v, int w, int d) {
  if (!std::isfinite(v)) return render_non_finite(field, v, w);
  const bool negative = v < 0.0;

  // Significant digits and the exponent of the form 0.ddd x 10^exp.
  char sci[1100];
  char mantissa[1030];
  int exp10 = 0;
  if (v == 0.0) {
    std::memset(mantissa, '0', static_cast<std::size_t>(d));
  } else {
    auto [end, ec] =
        std::to_chars(sci, sci + sizeof sci, std::fabs(v), std::chars_format::scientific, d - 1);
    if (ec != std::errc{}) return fill(field, w, '*');
    // "d.ddde+XX" or, for one digit, "de+XX".
    int n = 0;
    const char* p = sci;
    for (; *p != 'e'; ++p) {
      if (*p != '.') mantissa[n++] = *p;
    }
    int e = 0;
    std::from_chars(p + 2, end, e);
    exp10 = (p[1] == '-' ? -e : e) + 1;
  }

  char text[1 + 1 + 1030 + 5];
  int len = 0;
  if (negative) text[len++] = '-';
  text[len++] = '.';
  std::memcpy(text + len, mantissa, static_cast<std::size_t>(d));
  len += d;
  const int mag = exp10 < 0 ? -exp10 : exp10;
  if (mag <= 99) {
    text[len++] = 'E';
    text[len++] = exp10 < 0 ? '-' : '+';
  } else {
    text[len++] = exp10 < 0 ? '-' : '+';
    text[len++] = static_cast<char>('0' + mag / 100);
  }
  text[len++] = static_cast<char>('0' + mag / 10 % 10);
  text[len++] = static_cast<char>('0' + mag % 10);

  if (len > w) return fill(field, w, '*');
  if (len == w) return justify(field, w, text, len);
  // Room for the 0 before the point.
  char* point = text + (negative ? 1 : 0);
  std::memmove(point + 1, point, static_cast<std::size_t>(len - (point - text)));
  *point = '0';
  justify(field, w, text, len + 1);
}

}  // namespace console
