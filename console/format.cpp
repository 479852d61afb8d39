#include "console/format.hpp"

namespace console {

namespace {

class parser {
 public:
  parser(std::string_view text, format_program& program) : text_(text), prog_(program) {}

  format_error run() {
    prog_.code.clear();
    prog_.reversion = 0;
    if (next() != '(') return format_error::syntax;
    ++pos_;
    if (auto e = items(0); e != format_error::none) return e;
    if (next() != ')') return format_error::syntax;
    ++pos_;
    return next() == '\0' ? format_error::none : format_error::syntax;
  }

 private:
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }
  static char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

  // The next character that is not a blank; '\0' at the end of the text.
  char next() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  // An unsigned number (blanks may stand between its digits); -1 if absent or too large.
  int number() {
    if (!is_digit(next())) return -1;
    int n = 0;
    while (is_digit(next())) {
      n = n * 10 + (text_[pos_++] - '0');
      if (n > format_program::max_number) return -1;
    }
    return n;
  }

  format_error emit(const instruction& in) {
    if (prog_.code.size() == format_program::max_instructions) return format_error::too_complicated;
    prog_.code.push_back(in);
    return format_error::none;
  }

  // The items up to the closing parenthesis of the list at nesting `depth`.
  format_error items(int depth) {
    for (;;) {
      const char c = next();
      if (c == ')') return format_error::none;
      if (c == '\0') return format_error::syntax;
      if (c == ',') {
        ++pos_;
        continue;
      }
      if (auto e = item(depth); e != format_error::none) return e;
    }
  }

  format_error item(int depth) {
    const char c = next();
    if (c == '\'' || c == '"') return quoted(c);
    if (c == '/') return ++pos_, emit({op::line_end});
    if (c == '$') return ++pos_, emit({op::no_line_end});
    if (c == '(') return group(1, depth);

    int count = -1;
    if (is_digit(c)) {
      count = number();
      if (count <= 0) return format_error::syntax;
    }
    const char letter = upper(next());
    if (letter == '(') return group(count, depth);
    if (letter == '\0') return format_error::syntax;
    ++pos_;
    switch (letter) {
      case 'H': {
        if (count < 0 || text_.size() - pos_ < static_cast<std::size_t>(count)) return format_error::syntax;
        const auto at = static_cast<std::uint32_t>(pos_);
        pos_ += static_cast<std::size_t>(count);
        return emit({.kind = op::text, .offset = at, .length = static_cast<std::uint32_t>(count)});
      }
      case 'X':
        return emit({.kind = op::skip, .width = static_cast<std::uint16_t>(count < 0 ? 1 : count)});
      case 'T': {
        if (count >= 0) return format_error::syntax;
        const int column = number();
        if (column <= 0) return format_error::syntax;
        return emit({.kind = op::tab, .width = static_cast<std::uint16_t>(column)});
      }
      case 'I':
      case 'F':
      case 'E':
        return data(letter, count);
      default:
        return format_error::syntax;
    }
  }

  // Iw, Fw.d or Ew.d, with an optional repeat count (2F9.5 is 2(F9.5)).
  format_error data(char letter, int count) {
    instruction in{letter == 'I' ? op::integer : letter == 'F' ? op::fixed : op::exponent};
    const int w = number();
    if (w <= 0) return format_error::syntax;
    in.width = static_cast<std::uint16_t>(w);
    if (letter != 'I') {
      if (next() != '.') return format_error::syntax;
      ++pos_;
      const int d = number();
      if (d < 0 || (letter == 'E' && d == 0)) return format_error::syntax;
      in.decimals = static_cast<std::uint16_t>(d);
    }
    if (count < 0) return emit(in);
    const int begin = size();
    if (auto e = emit({.kind = op::group_begin, .width = static_cast<std::uint16_t>(count)}); e != format_error::none)
      return e;
    if (auto e = emit(in); e != format_error::none) return e;
    return close_group(begin);
  }

  // A literal between quotes. One without a doubled quote is plain text, written as it
  // stands; the others keep their quote so that writing it can halve the doubles.
  format_error quoted(char quote) {
    const auto at = static_cast<std::uint32_t>(++pos_);
    bool doubled = false;
    for (;;) {
      if (pos_ >= text_.size()) return format_error::syntax;
      if (text_[pos_] == quote) {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == quote) {
          doubled = true;
          pos_ += 2;
          continue;
        }
        break;
      }
      ++pos_;
    }
    const auto length = static_cast<std::uint32_t>(pos_ - at);
    ++pos_;
    if (!doubled) return emit({.kind = op::text, .offset = at, .length = length});
    return emit({.kind = op::quoted_text, .quote = quote, .offset = at, .length = length});
  }

  format_error group(int count, int depth) {
    ++pos_;  // the '('
    const int begin = size();
    if (depth == 0) prog_.reversion = begin;
    if (auto e = emit({.kind = op::group_begin, .width = static_cast<std::uint16_t>(count)}); e != format_error::none)
      return e;
    if (auto e = items(depth + 1); e != format_error::none) return e;
    ++pos_;  // the ')'
    return close_group(begin);
  }

  format_error close_group(int begin) {
    const int end = size();
    if (auto e = emit({.kind = op::group_end, .partner = static_cast<std::uint16_t>(begin)}); e != format_error::none)
      return e;
    prog_.code[begin].partner = static_cast<std::uint16_t>(end);
    return format_error::none;
  }

  int size() const { return static_cast<int>(prog_.code.size()); }

  std::string_view text_;
  format_program& prog_;
  std::size_t pos_ = 0;
};

}  // namespace

format_error parse_format(std::string_view text, format_program& program) {
  return parser(text, program).run();
}

}  // namespace console
