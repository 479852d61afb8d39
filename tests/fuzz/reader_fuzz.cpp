// Arbitrary bytes as the answers to a fixed round of reads of every kind.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "console/reader.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  console::text_source in(std::string_view(reinterpret_cast<const char*>(data), size));
  std::int32_t i = 0;
  float r = 0;
  double d = 0;
  console::cplx c{};
  float h[5] = {};
  const std::vector<std::vector<console::target>> rounds = {
      {i}, {r}, {c}, {d}, {h[0], h[1], h[2], h[3], h[4]}, {i, r, d, c}, {c, c}};
  // Until the input is spent: every read either stores values or reports an error.
  for (int pass = 0; pass < 64; ++pass) {
    for (const auto& targets : rounds) {
      if (console::read_list(in, targets)) {
        if (in.ended()) return 0;
      }
    }
  }
  return 0;
}
