// Carrying out a parsed format text with a list of values, line by line.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "console/console.hpp"
#include "console/format.hpp"

namespace console {

// Receives the finished lines of a statement. The last line of a statement ends with
// '\n' unless the format asked for no line end ($).
class line_sink {
 public:
  virtual void put(const char* text, std::size_t size) = 0;

 protected:
  ~line_sink() = default;
};

// Writes the values through the program to the sink. `text` is the format text the
// program was parsed from. Values beyond what the format consumes make the format start
// again at its reversion point on a new line; a format without data fields ignores them.
void execute_format(std::string_view text, const format_program& program, std::span<const value> values,
                    line_sink& sink);

// Worst-case number of characters one pass over the program may produce, for callers that
// must bound the work of arbitrary format texts (the fuzzer).
double format_output_bound(const format_program& program);

}  // namespace console
