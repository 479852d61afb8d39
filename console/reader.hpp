// The list-directed reader: one answer, read into a list of variables.
//
//   "12abc"          into an integer       -> 12 (a number ends where it cannot go on)
//   "1.5d-3", "1.5-3" into a real           -> 0.0015
//   ","  or  "/"     into anything         -> the variable keeps its value
//   "3*7"            into three reals      -> 7, 7, 7;   "2*" -> two null values
//   "(3.882,-0.019)" into a complex        -> (3.882, -0.019), and may span lines
//   "12.5"           into an integer       -> error "invalid integer: read unexpected character"
//
// The reader never ends the process itself: it reports what it met as a value, and the
// caller decides (list_read turns an error into the messages and the abnormal end).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "console/console.hpp"

namespace console {

// Where answers come from: a window of bytes that `refill` renews. A source over a fixed
// text has no refill and ends with the text.
class input_source {
 public:
  static constexpr int end_of_input = -1;

  input_source(const char* data, std::size_t size) : cur_(data), end_(data + size) {}

  int peek() {
    if (cur_ == end_ && !fill()) return end_of_input;
    return static_cast<unsigned char>(*cur_);
  }
  void advance() { ++cur_; }

  // True once a read has met the end of the input; it stays met.
  bool ended() const { return ended_; }

 protected:
  // Renews the window; returns false at the end of the input.
  virtual bool refill(const char*& cur, const char*& end);
  ~input_source() = default;

 private:
  bool fill() {
    if (!ended_ && refill(cur_, end_)) return true;
    ended_ = true;
    return false;
  }

  const char* cur_;
  const char* end_;
  bool ended_ = false;
};

namespace detail {
// The text a text_source reads, held in a base so that it exists before input_source
// points into it.
struct owned_text {
  std::string owned;
};
}  // namespace detail

// An input source over a fixed text, for tests and the fuzzer. It keeps its own copy of the
// text, so that a temporary string can be given; it is neither copied nor moved, which would
// leave the copy reading the original's characters.
class text_source final : private detail::owned_text, public input_source {
 public:
  explicit text_source(std::string_view text)
      : detail::owned_text{std::string(text)}, input_source(owned.data(), owned.size()) {}
  text_source(const text_source&) = delete;
  text_source& operator=(const text_source&) = delete;
};

// What stopped a read: the context word and the message of the first diagnostic line.
struct read_error {
  const char* context;
  const char* message;
};

bool operator==(const read_error& a, const read_error& b);

// Reads one answer from `in` into the targets. A target keeps its value when the answer
// gives it none. Returns the error met, if any; targets read before it keep their new value.
std::optional<read_error> read_list(input_source& in, std::span<const target> targets);

}  // namespace console
