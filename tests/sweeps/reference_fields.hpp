// Reference texts of the Fw.d and Ew.d fields for finite values, made with the C library's
// printf, whose digits are correctly rounded from the exact binary value (ties to even).
// What the fields add to those digits is applied here: no minus sign on a value that
// rounds to zero, the lone 0 before the point that gives way when one column is missing,
// asterisks when the text does not fit, and a three-digit exponent that takes the place of
// the letter E.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace reference {

// Precisions up to 999 (the largest number a format text holds) of any finite double.
inline std::string printed(const char* format, int precision, double v) {
  char text[1400];
  const int n = std::snprintf(text, sizeof text, format, precision, v);
  return std::string(text, n > 0 && n < static_cast<int>(sizeof text) ? static_cast<std::size_t>(n) : 0);
}

inline std::string fitted(std::string text, int w) {
  if (static_cast<int>(text.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - text.size(), ' ') + text;
}

// Fw.d: 0.5 in F9.3 -> "    0.500"; -0.0004 -> "    0.000"; -0.5 in F6.4 -> "-.5000".
inline std::string fixed(double v, int w, int d) {
  std::string digits = printed("%.*f", d, std::fabs(v));
  if (d == 0) digits += '.';
  const bool nonzero = digits.find_first_of("123456789") != std::string::npos;
  std::string text = (std::signbit(v) && nonzero ? "-" : "") + digits;
  if (static_cast<int>(text.size()) == w + 1 && digits.compare(0, 2, "0.") == 0) text.erase(text.find('0'), 1);
  return fitted(text, w);
}

// Ew.d: 1.0 in E14.7 -> " 0.1000000E+01"; 1e-120 -> " 0.1000000-119"; 0 -> " 0.0000000E+00".
inline std::string exponent(double v, int w, int d) {
  std::string digits(static_cast<std::size_t>(d), '0');
  long exp10 = 0;
  if (v != 0.0) {
    // "D.DDDe+XX": the first digit, the d-1 after the point, and the exponent of D.DDD.
    const std::string sci = printed("%.*e", d - 1, std::fabs(v));
    const std::size_t e = sci.find('e');
    digits = sci.substr(0, 1) + (d > 1 ? sci.substr(2, e - 2) : "");
    exp10 = std::strtol(sci.c_str() + e + 1, nullptr, 10) + 1;
  }
  // Two exponent digits after the letter E, or three in its place.
  char exponent_part[8];
  std::snprintf(exponent_part, sizeof exponent_part, std::labs(exp10) <= 99 ? "E%c%02ld" : "%c%03ld",
                exp10 < 0 ? '-' : '+', std::labs(exp10));
  const std::string tail = digits + exponent_part;
  const std::string minus = v < 0 ? "-" : "";
  std::string text = minus + "." + tail;
  if (static_cast<int>(text.size()) < w) text = minus + "0." + tail;
  return fitted(text, w);
}

}  // namespace reference
