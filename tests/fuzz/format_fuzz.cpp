// The format interpreter on the programs' own format texts with arbitrary values, and on
// arbitrary format texts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "console/format.hpp"
#include "console/format_writer.hpp"

namespace {

constexpr const char* program_formats[] = {
#include "program_formats.inc"
};

class null_sink final : public console::line_sink {
 public:
  void put(const char* text, std::size_t size) override {
    for (std::size_t k = 0; k < size; ++k) checksum += static_cast<unsigned char>(text[k]);
  }
  unsigned checksum = 0;
};

// Values taken from the bytes: a kind byte, then the bits of the value.
std::vector<console::value> values_from(const std::uint8_t* data, std::size_t size) {
  std::vector<console::value> values;
  while (size >= 9 && values.size() < 64) {
    const std::uint8_t kind = data[0] % 4;
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + 1, 8);
    data += 9;
    size -= 9;
    if (kind == 0) {
      values.emplace_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
    } else if (kind == 1) {
      float f;
      const auto low = static_cast<std::uint32_t>(bits);
      std::memcpy(&f, &low, 4);
      values.emplace_back(f);
    } else if (kind == 2) {
      double v;
      std::memcpy(&v, &bits, 8);
      values.emplace_back(v);
    } else {
      float parts[2];
      std::memcpy(parts, &bits, 8);
      values.emplace_back(console::cplx{parts[0], parts[1]});
    }
  }
  return values;
}

void write(std::string_view text, const std::vector<console::value>& values) {
  console::format_program program;
  if (console::parse_format(text, program) != console::format_error::none) return;
  // Arbitrary nesting of repeat counts could ask for gigabytes of output.
  if (console::format_output_bound(program) > 1e6) return;
  null_sink sink;
  console::execute_format(text, program, values, sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t mode = data[0];
  if (mode < 128) {
    const std::size_t count = sizeof program_formats / sizeof program_formats[0];
    write(program_formats[data[1] % count], values_from(data + 2, size - 2));
    return 0;
  }
  // An arbitrary format text up to the first zero byte, values from what follows.
  const auto* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = strnlen(text, size - 1);
  const std::size_t used = 1 + length + (1 + length < size ? 1 : 0);
  write(std::string_view(text, length), values_from(data + used, size - used));
  return 0;
}
