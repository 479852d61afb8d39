// The ends of the process that the layer itself decides: fatal conditions.
#pragma once

#include <string_view>

#include "console/format.hpp"
#include "console/reader.hpp"

namespace console {

// An answer that cannot be read, or the end of the input: four lines on standard error,
// for example
//   invalid number: incomprehensible list input
//   apparent state: unit 5 (unnamed)
//   last format: list io
//   lately reading sequential formatted external IO
// after standard output has been flushed; then the abnormal end.
[[noreturn]] void fatal_read(const read_error& error);

// A format text that cannot be carried out:
//   format too complicated:        (or "format error:")
//   <the format text>
[[noreturn]] void fatal_format(format_error error, std::string_view format);

}  // namespace console
