#include <span>

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

}  // namespace

void fmt_write(std::string_view format, std::initializer_list<value> items) {
  format_program program;
  if (const format_error e = parse_format(format, program); e != format_error::none) fatal_format(e, format);
  standard_output out;
  execute_format(format, program, std::span<const value>(items.begin(), items.size()), out);
}

}  // namespace console
