#include <span>

#include "console/console.hpp"
#include "console/process.hpp"
#include "console/reader.hpp"
#include "console/streams.hpp"

namespace console {

void list_read(std::initializer_list<target> items) {
  if (const auto error = read_list(standard_input(), std::span<const target>(items.begin(), items.size())))
    fatal_read(*error);
}

}  // namespace console
