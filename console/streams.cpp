#include "console/streams.hpp"

#include <atomic>
#include <charconv>
#include <cstring>

#include "console/console.hpp"
#include "console/os.hpp"

namespace console {

namespace {

constexpr std::size_t buffer_size = 1 << 16;

char out_buffer[buffer_size];
// Bytes of out_buffer filled; stored only after the bytes are in place, so a signal
// handler sees complete data.
std::atomic<std::size_t> out_filled{0};
static_assert(std::atomic<std::size_t>::is_always_lock_free);

class stdin_source final : public input_source {
 public:
  stdin_source() : input_source(buffer_, 0) {}

 protected:
  bool refill(const char*& cur, const char*& end) override {
    if (!os::input_ready()) output_flush();
    const std::size_t n = os::read_input(buffer_, sizeof buffer_);
    cur = buffer_;
    end = buffer_ + n;
    return n > 0;
  }

 private:
  char buffer_[buffer_size];
};

// "write error: <name>" on standard error, without allocating (a signal handler calls it).
void report_write_error(int error) {
  if (os::quiet_write_error(error)) return;
  char line[80] = "write error: ";
  std::size_t n = std::strlen(line);
  const auto append = [&](const char* text, std::size_t size) {
    if (size > sizeof line - 1 - n) size = sizeof line - 1 - n;
    std::memcpy(line + n, text, size);
    n += size;
  };
  if (const char* name = os::write_error_name(error)) {
    append(name, std::strlen(name));
  } else {
    constexpr char prefix[] = "error code ";
    append(prefix, sizeof prefix - 1);
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, error);
    append(digits, ec == std::errc{} ? static_cast<std::size_t>(end - digits) : 0);
  }
  line[n++] = '\n';
  os::write_all(os::stream::error, line, n);
}

}  // namespace

void output_put(const char* data, std::size_t size) {
  while (size > 0) {
    std::size_t filled = out_filled.load(std::memory_order_relaxed);
    if (filled == buffer_size) {
      output_flush();
      filled = 0;
    }
    const std::size_t n = size < buffer_size - filled ? size : buffer_size - filled;
    std::memcpy(out_buffer + filled, data, n);
    out_filled.store(filled + n);
    data += n;
    size -= n;
  }
}

void output_flush() {
  // A handler that ran in the middle of this write would write the same bytes again.
  os::hold_signals();
  if (!output_flush_from_signal()) os::exit_now(abnormal_status);
  os::release_signals();
}

bool output_flush_from_signal() {
  const int error = os::write_all(os::stream::output, out_buffer, out_filled.load());
  out_filled.store(0);
  if (error != 0) report_write_error(error);
  return error == 0;
}

input_source& standard_input() {
  static stdin_source source;
  return source;
}

}  // namespace console
