// The console layer shared by the three calculators: format-driven writes to standard
// output, list-directed reads from standard input, and the start and end of the process.
//
//   float ps = 39.44f;
//   console::fmt_write("(1H+,' Psi : ',F8.3,' degres ? ',$)", {ps});   // "+ Psi :   39.440 degres ? "
//   console::list_read({ps});                                          // "/" keeps 39.44
//
// Every dialogue step is such a pair: the prompt shows the current value and the read
// stores the answer into the same variable, so an answer that gives no value keeps it.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "console/complex.hpp"

namespace console {

// A value passed to fmt_write. A complex value counts as two reals (real part first).
struct value {
  enum class kind : std::uint8_t { int32, real32, real64, complex32 };
  kind k;
  std::int32_t i = 0;
  double d = 0.0;  // a 32-bit real is held widened, which is exact
  cplx c{};

  value(std::int32_t v) : k(kind::int32), i(v) {}            // NOLINT(google-explicit-constructor)
  value(float v) : k(kind::real32), d(v) {}                  // NOLINT(google-explicit-constructor)
  value(double v) : k(kind::real64), d(v) {}                 // NOLINT(google-explicit-constructor)
  value(cplx v) : k(kind::complex32), c(v) {}                // NOLINT(google-explicit-constructor)
};

// A variable that list_read stores into.
struct target {
  enum class kind : std::uint8_t { int32, real32, real64, complex32 };
  kind k;
  void* p;

  target(std::int32_t& v) : k(kind::int32), p(&v) {}         // NOLINT(google-explicit-constructor)
  target(float& v) : k(kind::real32), p(&v) {}               // NOLINT(google-explicit-constructor)
  target(double& v) : k(kind::real64), p(&v) {}              // NOLINT(google-explicit-constructor)
  target(cplx& v) : k(kind::complex32), p(&v) {}             // NOLINT(google-explicit-constructor)
};

// Writes the values through the format text to standard output. A format that ends with
// $ leaves the line open (a prompt); any other format ends its last line.
void fmt_write(std::string_view format, std::initializer_list<value> items = {});

// Reads one list-directed answer from standard input into the targets, in order. An
// answer that cannot be read, or the end of the input, ends the process with the layer's
// messages on standard error and the abnormal-end status (this function then does not
// return).
void list_read(std::initializer_list<target> items);

// Ends the program at once with status 0; a non-empty text is reported on standard error
// as "STOP <text> statement executed". Output that cannot be written makes it an abnormal
// end all the same (see output_flush).
[[noreturn]] void stop_run(std::string_view text);

// What a program says of itself on its command line.
struct program_info {
  std::string_view name;  // "ellcalc"
  std::string_view help;  // the whole text of --help, ending with a line end
};

// Process start and end. First a look at the command line: with the argument --version,
// writes the program's version line ("ellcalc (thin-film calculators) X.Y") and returns 0;
// with --help, writes the help text and returns 0; the first of the two on the line
// decides. Other arguments are ignored. Without these two: installs the signal reactions,
// runs the program's main routine and, if it returns, flushes everything and returns 0.
//   int main(int argc, char** argv) { return console::run(argc, argv, info, main_routine); }
int run(int argc, const char* const* argv, const program_info& program, void (*main_routine)());

// Exit status of every abnormal end: an unreadable answer, the end of the input, a
// format text that cannot be processed, output that cannot be written, and the quit,
// arithmetic, trace and abort signals. Interrupt and termination end with status 1
// (2 when output was lost on the way out), a stop with 0.
inline constexpr int abnormal_status = 2;

}  // namespace console
