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
// once and kept in a small table, found from where its text lies. A text whose first slot
// is taken goes to the next free one, so two texts never take turns in one slot while the
// table has room (no program has half as many texts); only a full table reuses a slot.
// The table never grows.
struct parsed_format {
  std::string text;
  const char* where = nullptr;
  format_program program;
};

const format_program& parsed(std::string_view format) {
  static parsed_format table[64];
  constexpr std::size_t size = std::size(table);
  const auto address = reinterpret_cast<std::uintptr_t>(format.data());
  const std::size_t first = (address >> 4 ^ format.size()) % size;
  parsed_format* free_slot = nullptr;
  for (std::size_t i = 0; i < size && free_slot == nullptr; ++i) {
    parsed_format& candidate = table[(first + i) % size];
    if (candidate.where == nullptr) {
      free_slot = &candidate;
    } else if (candidate.where == format.data() && candidate.text == format) {
      return candidate.program;
    }
  }
  parsed_format& slot = free_slot != nullptr ? *free_slot : table[first];
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
