// A program that brings about, from inside, the conditions the console layer reacts to as
// signals: the ones a session cannot send from outside on every system (Windows has no way to
// send an abort, an arithmetic trap or a termination request to another program).
//
//   1  abort()                      -> "IOT Trap", status 2
//   2  raise(SIGTERM)               -> "Killed", status 1
//   3  integer division by zero     -> "Floating Exception", status 2
//   4  floating division by zero    -> no trap: "Infinity", then the end of the input
// It asks again after each answer, so a session ends at the end of its input.
#include <csignal>
#include <cstdint>
#include <cstdlib>

#include "console/console.hpp"

namespace {

volatile std::int32_t zero = 0;
volatile std::int32_t one = 1;

void probe() {
  std::int32_t kind = 0;
  for (;;) {
    console::fmt_write("(' kind ? ',$)", {});
    console::list_read({kind});
    switch (kind) {
      case 1:
        std::abort();
      case 2:
        std::raise(SIGTERM);
        break;
      case 3:
        console::fmt_write("(I5)", {static_cast<std::int32_t>(one / zero)});
        break;
      case 4:
        console::fmt_write("(F9.3)", {static_cast<double>(one) / static_cast<double>(zero)});
        break;
      default:
        break;
    }
  }
}

constexpr console::program_info info{"signal_probe", "Usage: signal_probe\n"};

}  // namespace

int main(int argc, char** argv) { return console::run(argc, argv, info, probe); }
