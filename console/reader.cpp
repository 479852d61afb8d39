#include "console/reader.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace console {

bool input_source::refill(const char*& /*cur*/, const char*& /*end*/) { return false; }

bool operator==(const read_error& a, const read_error& b) {
  return std::strcmp(a.context, b.context) == 0 && std::strcmp(a.message, b.message) == 0;
}

namespace {

constexpr int eof = input_source::end_of_input;

constexpr read_error invalid_number{"invalid number", "incomprehensible list input"};
constexpr read_error invalid_integer{"invalid integer", "read unexpected character"};
constexpr read_error exponent_field{"exponent field", "incomprehensible list input"};
constexpr read_error bad_repetition{"bad repetition count", "incomprehensible list input"};
constexpr read_error complex_format{"complex format", "incomprehensible list input"};
constexpr read_error no_star{"no star", "incomprehensible list input"};
constexpr read_error no_real_part{"no real part", "incomprehensible list input"};
constexpr read_error no_comma{"no comma", "incomprehensible list input"};
constexpr read_error no_imaginary_part{"no imaginary part", "incomprehensible list input"};
constexpr read_error no_close{"no )", "incomprehensible list input"};
constexpr read_error list_in_end{"list in", "end of file"};
constexpr read_error lread_end{"lread", "end of file"};
constexpr read_error read_start_end{"read start", "end of file"};

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_blank(int c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_space(int c) { return is_blank(c) || c == '\n'; }
bool ends_null(int c) { return c == ',' || c == '/'; }

// Skips blanks and line ends before a value; false at the end of the input.
bool skip_space(input_source& in) {
  for (int c = in.peek(); c != eof; c = in.peek()) {
    if (!is_space(c)) return true;
    in.advance();
  }
  return false;
}

void skip_blanks(input_source& in) {
  while (is_blank(in.peek())) in.advance();
}

// The digits of a number as 0.DIGITS x 10^exp10, without leading zeros. Digits beyond
// what any correct rounding can need are summarised by one sticky digit.
class digit_string {
 public:
  static constexpr int kept = 800;

  void add(char d, bool before_point) {
    any_ = true;
    if (count_ == 0 && d == '0') {
      if (!before_point) --exp10_;
      return;
    }
    if (before_point) ++exp10_;
    if (count_ < kept) {
      digits_[count_++] = d;
    } else if (d != '0') {
      sticky_ = true;
    }
  }

  bool any() const { return any_; }
  bool zero() const { return count_ == 0; }

  // The value of an unsigned digit string as a count; -1 when above 2147483647.
  std::int64_t as_count() const {
    if (exp10_ > 10) return -1;
    std::int64_t n = 0;
    for (int i = 0; i < exp10_; ++i) n = n * 10 + (i < count_ ? digits_[i] - '0' : 0);
    return n > std::numeric_limits<std::int32_t>::max() ? -1 : n;
  }

  // The nearest double to +-0.DIGITS x 10^(exp10 + shift).
  double to_double(bool negative, std::int64_t shift) const {
    const double sign = negative ? -1.0 : 1.0;
    if (count_ == 0) return sign * 0.0;
    const std::int64_t e = exp10_ + shift;
    if (e > 400) return sign * std::numeric_limits<double>::infinity();
    if (e < -400) return sign * 0.0;
    char text[kept + 32];  // not cleared: only the first n characters are used
    text[0] = '0';
    text[1] = '.';
    int n = 2;
    std::memcpy(text + n, digits_, static_cast<std::size_t>(count_));
    n += count_;
    if (sticky_) text[n++] = '1';
    text[n++] = 'e';
    n = static_cast<int>(std::to_chars(text + n, text + sizeof text, e).ptr - text);
    double v = 0.0;
    const auto result = std::from_chars(text, text + n, v);
    if (result.ec == std::errc::result_out_of_range) v = e > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return sign * v;
  }

  // +-0.DIGITS x 10^(exp10 + shift) truncated toward zero, held within 32 bits.
  std::int32_t to_int32(bool negative, std::int64_t shift) const {
    if (count_ == 0) return 0;
    const std::int64_t places = exp10_ + shift;  // digits before the point
    std::int64_t n = 0;
    if (places > 10) {
      n = std::int64_t{1} << 32;
    } else {
      for (std::int64_t i = 0; i < places; ++i) n = n * 10 + (i < count_ ? digits_[i] - '0' : 0);
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (n < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(n);
  }

 private:
  char digits_[kept];
  int count_ = 0;
  std::int64_t exp10_ = 0;
  bool sticky_ = false;
  bool any_ = false;
};

// One scanned value: a number, a null value, or a repeat count "r*".
struct scanned {
  enum class what { number, null, repeat } is = what::number;
  std::int32_t integer = 0;
  double real = 0.0;
  std::int32_t count = 0;
};

enum class number_kind { integer, real, complex_part };

// Scans a number of the given kind at the current position. An unsigned digit string
// followed by '*' is a repeat count, except inside a complex value.
std::optional<read_error> scan_number(input_source& in, number_kind kind, scanned& out) {
  digit_string digits;
  bool negative = false;
  bool signed_ = false;
  bool point = false;
  int c = in.peek();
  if (c == '+' || c == '-') {
    negative = c == '-';
    signed_ = true;
    in.advance();
    c = in.peek();
  }
  for (; is_digit(c); c = in.peek()) {
    digits.add(static_cast<char>(c), true);
    in.advance();
  }
  if (c == '*' && kind != number_kind::complex_part) {
    const std::int64_t count = digits.any() && !signed_ ? digits.as_count() : 0;
    if (count <= 0) return bad_repetition;
    in.advance();
    out.is = scanned::what::repeat;
    out.count = static_cast<std::int32_t>(count);
    return std::nullopt;
  }
  if (c == '.') {
    if (kind == number_kind::integer) return invalid_integer;
    point = true;
    in.advance();
    for (c = in.peek(); is_digit(c); c = in.peek()) {
      digits.add(static_cast<char>(c), false);
      in.advance();
    }
  }
  if (!digits.any()) {
    if ((signed_ || point) && ends_null(c) && kind != number_kind::complex_part) {
      out.is = scanned::what::null;
      return std::nullopt;
    }
    return invalid_number;
  }

  // Exponent: a letter with an optional sign, or a sign straight after the mantissa.
  std::int64_t exponent = 0;
  bool has_exponent = false;
  if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
    if (kind == number_kind::integer) return invalid_integer;
    in.advance();
    c = in.peek();
    has_exponent = true;
  }
  if (c == '+' || c == '-') {
    has_exponent = true;
  }
  if (has_exponent) {
    bool exponent_negative = false;
    if (c == '+' || c == '-') {
      exponent_negative = c == '-';
      in.advance();
      c = in.peek();
    }
    if (!is_digit(c)) return exponent_field;
    bool too_large = false;
    for (; is_digit(c); c = in.peek()) {
      if (!too_large) exponent = exponent * 10 + (c - '0');
      too_large |= exponent > 99999999;
      in.advance();
    }
    if (too_large) return exponent_field;
    if (exponent_negative) exponent = -exponent;
  }

  out.is = scanned::what::number;
  if (kind == number_kind::integer) {
    out.integer = digits.to_int32(negative, exponent);
  } else {
    out.real = digits.to_double(negative, exponent);
  }
  return std::nullopt;
}

// Skips blanks and line ends inside a complex value; the end of the input there ends the read.
std::optional<read_error> skip_inside(input_source& in) {
  if (!skip_space(in)) return list_in_end;
  return std::nullopt;
}

// One part of a complex value with the blanks and line ends around it; `missing` is the
// error when no number stands there.
std::optional<read_error> scan_part(input_source& in, const read_error& missing, double& out) {
  if (auto e = skip_inside(in)) return e;
  const int c = in.peek();
  if (!is_digit(c) && c != '+' && c != '-' && c != '.') return missing;
  scanned part;
  if (auto e = scan_number(in, number_kind::complex_part, part)) return *e == invalid_number ? missing : *e;
  out = part.real;
  return skip_inside(in);
}

// "(re, im)" at the current '(' (already checked).
std::optional<read_error> scan_complex_value(input_source& in, cplx& out) {
  in.advance();
  double re = 0.0;
  double im = 0.0;
  if (auto e = scan_part(in, no_real_part, re)) return e;
  if (in.peek() != ',') return no_comma;
  in.advance();
  if (auto e = scan_part(in, no_imaginary_part, im)) return e;
  if (in.peek() != ')') return no_close;
  in.advance();
  out = {static_cast<float>(re), static_cast<float>(im)};
  return std::nullopt;
}

// A value read for one target, kept for the targets that a repeat count also covers.
struct held_value {
  target::kind kind = target::kind::real64;
  std::int32_t integer = 0;
  double real = 0.0;
  cplx complex{};
};

// Integers of a repeated value given to a real target become reals, and so on; the
// programs never mix kinds in one read.
void store(const held_value& v, const target& t) {
  switch (t.k) {
    case target::kind::int32: {
      std::int32_t n = v.integer;
      if (v.kind != target::kind::int32) {
        const double r = v.kind == target::kind::complex32 ? v.complex.re : v.real;
        n = !(r > -2147483649.0) ? std::numeric_limits<std::int32_t>::min()
            : !(r < 2147483648.0) ? (std::isnan(r) ? 0 : std::numeric_limits<std::int32_t>::max())
                                  : static_cast<std::int32_t>(r);
      }
      *static_cast<std::int32_t*>(t.p) = n;
      break;
    }
    case target::kind::real32:
    case target::kind::real64: {
      double r = v.real;
      if (v.kind == target::kind::int32) r = v.integer;
      if (v.kind == target::kind::complex32) r = v.complex.re;
      if (t.k == target::kind::real32) {
        *static_cast<float*>(t.p) = static_cast<float>(r);
      } else {
        *static_cast<double*>(t.p) = r;
      }
      break;
    }
    case target::kind::complex32: {
      cplx c = v.complex;
      if (v.kind == target::kind::int32) c = {static_cast<float>(v.integer), 0.0f};
      if (v.kind == target::kind::real32 || v.kind == target::kind::real64) c = {static_cast<float>(v.real), 0.0f};
      *static_cast<cplx*>(t.p) = c;
      break;
    }
  }
}

// Reads one value (or null, or repeat count) for a target, at the first character of it.
std::optional<read_error> scan_for(input_source& in, const target& t, scanned& s, held_value& v, bool after_count) {
  v.kind = t.k;
  if (t.k == target::kind::complex32) {
    int c = in.peek();
    if (!after_count && is_digit(c)) {
      digit_string digits;
      for (; is_digit(c); c = in.peek()) {
        digits.add(static_cast<char>(c), true);
        in.advance();
      }
      if (c != '*') return no_star;
      const std::int64_t count = digits.as_count();
      if (count == 0) return complex_format;
      if (count < 0) return bad_repetition;
      in.advance();
      s.is = scanned::what::repeat;
      s.count = static_cast<std::int32_t>(count);
      return std::nullopt;
    }
    if (c != '(') return complex_format;
    s.is = scanned::what::number;
    return scan_complex_value(in, v.complex);
  }
  const number_kind kind = t.k == target::kind::int32 ? number_kind::integer : number_kind::real;
  if (auto e = scan_number(in, kind, s)) return e;
  if (after_count && s.is == scanned::what::repeat) return bad_repetition;
  v.integer = s.integer;
  v.real = s.real;
  return std::nullopt;
}

}  // namespace

std::optional<read_error> read_list(input_source& in, std::span<const target> targets) {
  if (in.ended()) return read_start_end;

  std::int32_t repeats = 0;  // targets still covered by a repeat count
  bool repeat_null = false;
  held_value held;
  std::size_t i = 0;
  bool slash = false;

  while (i < targets.size() && !slash) {
    const target& t = targets[i];
    if (repeats > 0) {
      if (!repeat_null) store(held, t);
      --repeats;
      ++i;
      continue;
    }
    if (!skip_space(in)) return list_in_end;
    int c = in.peek();
    if (c == ',') {  // a null value: the comma is its separator
      in.advance();
      ++i;
      continue;
    }
    if (c == '/') {
      in.advance();
      slash = true;
      break;
    }

    scanned s;
    if (auto e = scan_for(in, t, s, held, false)) return e;
    if (s.is == scanned::what::repeat) {
      c = in.peek();
      if (c == eof && t.k == target::kind::complex32) return lread_end;
      repeats = s.count;
      repeat_null = c == eof || is_space(c) || ends_null(c);
      if (!repeat_null) {
        if (auto e = scan_for(in, t, s, held, true)) return e;
        repeat_null = s.is == scanned::what::null;
      }
      // The targets covered, this one first, take the value at the top of the loop.
    } else {
      if (s.is == scanned::what::number) store(held, t);
      ++i;
    }

    // The separator after a value: blanks, and at most one comma.
    skip_blanks(in);
    if (in.peek() == ',') in.advance();
  }

  // The rest of the line goes unread.
  for (int c = in.peek(); c != eof; c = in.peek()) {
    in.advance();
    if (c == '\n') break;
  }
  return std::nullopt;
}

}  // namespace console
