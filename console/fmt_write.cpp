#include <cstdint>
#include <span>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"
#include "console/format_writer.hpp"
#include "console/process.hpp"
#include "console/streams.hpp"

namespace console {

namespace {

class standard_output final : public line_sink {
 public:
  void put(const char* text, std::size_t size) override { output_put(text, size); }
};

// The programs write the same few constant format texts over and over: each is parsed
// once and kept in a small table, indexed by where its text lies. A slot is taken over by
// another text only when two texts meet in it, so the table never grows.
struct parsed_format {
  std::string text;
  const char* where = nullptr;
  format_program program;
};

const format_program& parsed(std::string_view format) {
  static parsed_format table[64];
  const auto address = reinterpret_cast<std::uintptr_t>(format.data());
  parsed_format& slot = table[(address >> 4 ^ format.size()) % std::size(table)];
  if (slot.where == format.data() && slot.text == format) return slot.program;
  if (const format_error e = parse_format(format, slot.program); e != format_error::none) fatal_format(e, format);
  slot.text.assign(format);
  slot.where = format.data();
  return slot.program;
}

}  // namespace

void fmt_write(std::string_view format, std::initializer_list<value> items) {
  standard_output out;
  execute_format(format, parsed(format), std::span<const value>(items.begin(), items.size()), out);
}

}  // namespace console
