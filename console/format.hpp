// Parsing of format texts into a short list of instructions, which fmt_write then walks.
//
//   "(1H+,' Psi : ',F8.3,' degres ? ',$)"
//     -> text "+", text " Psi : ", fixed 8.3, text " degres ? ", no-line-end
//   "(2(F9.5,1X),' ? ')"
//     -> group x2 { fixed 9.5, skip 1 }, text " ? "
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace console {

enum class op : std::uint8_t {
  text,         // literal: `length` characters at `offset` of the format text
  quoted_text,  // literal with doubled `quote`s, each written once
  integer,      // Iw
  fixed,        // Fw.d
  exponent,     // Ew.d
  skip,         // nX: move n columns right
  tab,          // Tn: move to column n (from 1)
  line_end,     // /
  no_line_end,  // $
  group_begin,  // r( : `count` repetitions, `partner` is the matching end
  group_end,    // )  : `partner` is the matching begin
};

struct instruction {
  op kind;
  char quote = 0;
  std::uint16_t width = 0;     // w of Iw, Fw.d, Ew.d; n of nX and Tn; r of a group
  std::uint16_t decimals = 0;  // d of Fw.d, Ew.d
  std::uint16_t partner = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

struct format_program {
  static constexpr int max_instructions = 300;
  // Numbers in a format text (widths, decimals, counts, columns) go up to this.
  static constexpr int max_number = 999;

  std::vector<instruction> code;
  int reversion = 0;  // where processing resumes when values remain at the end
};

enum class format_error : std::uint8_t {
  none,
  too_complicated,  // more than max_instructions
  syntax,           // anything this interpreter does not accept
};

// Parses `text`; the program refers back to it, so the text must outlive the program.
format_error parse_format(std::string_view text, format_program& program);

}  // namespace console
