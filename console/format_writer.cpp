#include "console/format_writer.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "console/fields.hpp"

namespace console {

namespace {

// The line under construction: characters placed so far, the current position, and a
// cursor movement not yet turned into blanks (it becomes blanks only if another character
// lands on the same line, so nX never leaves trailing blanks).
class line_builder {
 public:
  explicit line_builder(std::vector<char>& storage) : buf_(storage) {}

  void place(const char* p, std::size_t n) {
    if (n == 0) return;
    std::size_t at = pos_;
    if (pending_ < 0) {
      const std::size_t back = static_cast<std::size_t>(-pending_);
      at = back > at ? 0 : at - back;
    } else {
      at += static_cast<std::size_t>(pending_);
    }
    pending_ = 0;
    reserve(at + n + 1);  // and room for the line end
    if (size_ < at) std::memset(buf_.data() + size_, ' ', at - size_);
    std::memcpy(buf_.data() + at, p, n);
    pos_ = at + n;
    size_ = std::max(size_, pos_);
  }

  // Movements beyond any real line are held at a bound, so no count can overflow.
  void skip(int n) { pending_ = std::min(pending_ + n, max_pending); }
  void tab(int column) { pending_ = static_cast<std::int64_t>(column - 1) - static_cast<std::int64_t>(pos_); }

  // Hands the line to the sink and starts an empty one.
  void finish(line_sink& sink, bool with_line_end) {
    reserve(size_ + 1);
    if (with_line_end) buf_[size_++] = '\n';
    sink.put(buf_.data(), size_);
    size_ = 0;
    pos_ = 0;
    pending_ = 0;
  }

 private:
  static constexpr std::int64_t max_pending = std::int64_t{1} << 40;

  void reserve(std::size_t n) {
    if (buf_.size() < n) buf_.resize(std::max(n, 2 * buf_.size()));
  }

  std::vector<char>& buf_;  // its size is the capacity; size_ is the line's length
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  std::int64_t pending_ = 0;
};

// The values as a flat sequence of scalars: a complex value is its real then imaginary part.
class scalar_cursor {
 public:
  explicit scalar_cursor(std::span<const value> values) : values_(values) {}

  bool done() const { return index_ == values_.size(); }

  // The next scalar, as an integer or as a real.
  bool next_is_integer() const { return values_[index_].k == value::kind::int32; }
  std::int32_t take_integer() { return values_[index_++].i; }
  double take_real() {
    const value& v = values_[index_];
    if (v.k == value::kind::complex32) {
      const double part = second_half_ ? v.c.im : v.c.re;
      second_half_ = !second_half_;
      if (!second_half_) ++index_;
      return part;
    }
    ++index_;
    return v.k == value::kind::int32 ? v.i : v.d;
  }

 private:
  std::span<const value> values_;
  std::size_t index_ = 0;
  bool second_half_ = false;
};

// An integer field given a real value shows its integer part; a real field given an
// integer shows it as a real. The programs never mix them.
std::int32_t integer_part(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return v < 0 ? INT32_MIN : INT32_MAX;  // finite here
  return static_cast<std::int32_t>(v);
}

void place_quoted(line_builder& line, std::string_view body, char quote) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == quote) {  // the first of a doubled quote: keep one
      line.place(body.data() + start, i + 1 - start);
      start = i + 2;
      ++i;
    }
  }
  if (start < body.size()) line.place(body.data() + start, body.size() - start);
}

bool has_field(const format_program& program, int from) {
  for (std::size_t pc = static_cast<std::size_t>(from); pc < program.code.size(); ++pc) {
    const op k = program.code[pc].kind;
    if (k == op::integer || k == op::fixed || k == op::exponent) return true;
  }
  return false;
}

// Renders the next value (or part of a complex value) in the field of `in` (w characters).
void render_field(const instruction& in, scalar_cursor& items, char* field) {
  if (in.kind == op::fixed) return render_fixed(field, items.take_real(), in.width, in.decimals);
  if (in.kind == op::exponent) return render_exponent(field, items.take_real(), in.width, in.decimals);
  if (items.next_is_integer()) return render_integer(field, items.take_integer(), in.width);
  const double v = items.take_real();
  if (std::isfinite(v)) return render_integer(field, integer_part(v), in.width);
  render_fixed(field, v, in.width, 0);  // the text of a value that is not finite
}

}  // namespace

void execute_format(std::string_view text, const format_program& program, std::span<const value> values,
                    line_sink& sink) {
  static std::vector<char> storage(256);  // reused, so a statement allocates nothing once warm
  line_builder line(storage);
  scalar_cursor items(values);
  bool no_line_end = false;
  char field[format_program::max_number + 1];

  struct open_group {
    int begin;
    int left;
  };
  open_group stack[format_program::max_instructions];
  int depth = 0;

  const int size = static_cast<int>(program.code.size());
  int pc = 0;
  for (bool writing = true; writing;) {
    if (pc == size) {
      if (items.done() || !has_field(program, program.reversion)) break;
      line.finish(sink, true);  // more values than fields: start over on a new line
      pc = program.reversion;
      continue;
    }
    const instruction& in = program.code[static_cast<std::size_t>(pc)];
    switch (in.kind) {
      case op::text:
        line.place(text.data() + in.offset, in.length);
        break;
      case op::quoted_text:
        place_quoted(line, text.substr(in.offset, in.length), in.quote);
        break;
      case op::integer:
      case op::fixed:
      case op::exponent:
        if (items.done()) {  // the first field without a value ends the statement
          writing = false;
          continue;
        }
        render_field(in, items, field);
        line.place(field, in.width);
        break;
      case op::skip:
        line.skip(in.width);
        break;
      case op::tab:
        line.tab(in.width);
        break;
      case op::line_end:
        line.finish(sink, true);
        break;
      case op::no_line_end:
        no_line_end = true;
        break;
      case op::group_begin:
        stack[depth++] = {pc, in.width};
        break;
      case op::group_end:
        if (--stack[depth - 1].left > 0) {
          pc = stack[depth - 1].begin + 1;
          continue;
        }
        --depth;
        break;
    }
    ++pc;
  }
  line.finish(sink, !no_line_end);
}

double format_output_bound(const format_program& program) {
  // Each instruction's own output, multiplied by the repeat counts around it.
  double total = 0.0;
  double factor = 1.0;
  double factors[format_program::max_instructions];
  int depth = 0;
  for (const instruction& in : program.code) {
    switch (in.kind) {
      case op::group_begin:
        factors[depth++] = factor;
        factor *= in.width;
        break;
      case op::group_end:
        factor = factors[--depth];
        break;
      case op::text:
      case op::quoted_text:
        total += factor * in.length;
        break;
      default:
        total += factor * (in.width + 1.0);
        break;
    }
  }
  return total;
}

}  // namespace console
