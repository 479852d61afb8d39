// Arbitrary bytes as the answers to a fixed round of reads of every kind, read twice: from
// one window over all the bytes, and from a source that hands them out one at a time (as a
// terminal may). Checked:
// - both give the same errors and store the same bits: the window's edges change nothing;
// - a successful read leaves the input at the start of the line after its answer, or at
//   the end of the input;
// - a successful read consumes at least one byte, so that a program cannot loop on it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "console/reader.hpp"
#include "tests/test_support.hpp"

namespace {

// Hands out the bytes one at a time and knows how many it has handed out.
class trickle_source final : public console::input_source {
 public:
  trickle_source(const char* data, std::size_t size) : input_source(data, 0), data_(data), size_(size) {}

  // Bytes consumed so far: those handed out, less the one still waiting in the window.
  // Looks at the next byte to know, as the next read would.
  std::size_t consumed() {
    const std::size_t before = handed_;
    peek();
    return handed_ > before || ended() ? before : before - 1;
  }

 private:
  bool refill(const char*& cur, const char*& end) override {
    if (handed_ == size_) return false;
    cur = data_ + handed_++;
    end = cur + 1;
    return true;
  }

  const char* data_;
  std::size_t size_;
  std::size_t handed_ = 0;
};

// The variables of one reading.
struct variables {
  std::int32_t i = 0;
  float r = 0;
  double d = 0;
  console::cplx c{};
  float h[5] = {};

  std::vector<std::vector<console::target>> rounds() {
    return {{i}, {r}, {c}, {d}, {h[0], h[1], h[2], h[3], h[4]}, {i, r, d, c}, {c, c}};
  }
  bool operator==(const variables& o) const {
    return i == o.i && std::memcmp(&r, &o.r, sizeof r) == 0 && std::memcmp(&d, &o.d, sizeof d) == 0 &&
           std::memcmp(&c, &o.c, sizeof c) == 0 && std::memcmp(h, o.h, sizeof h) == 0;
  }
};

using test_support::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  console::text_source whole(std::string_view(text, size));
  trickle_source trickle(text, size);
  variables a;
  variables b;
  const auto rounds_a = a.rounds();
  const auto rounds_b = b.rounds();
  std::size_t at = 0;
  // Until the input is spent: every read either stores values or reports an error.
  for (int pass = 0; pass < 64; ++pass) {
    for (std::size_t k = 0; k < rounds_a.size(); ++k) {
      const std::optional<console::read_error> e = console::read_list(whole, rounds_a[k]);
      check(console::read_list(trickle, rounds_b[k]) == e);
      check(a == b);
      // The same look at the next byte in both, so that they stay in step.
      whole.peek();
      const std::size_t now = trickle.consumed();
      check(whole.ended() == trickle.ended());
      if (!e) {
        check(now > at);
        check(now == size || text[now - 1] == '\n');
        if (now == size) return 0;
      }
      at = now;
    }
  }
  return 0;
}
