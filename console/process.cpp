#include "console/process.hpp"

#include <csignal>
#include <cstring>
#include <string>

#include "console/console.hpp"
#include "console/os.hpp"
#include "console/streams.hpp"

namespace console {

namespace {

void write_error(std::string_view text) { os::write_all(os::stream::error, text.data(), text.size()); }

struct signal_reaction {
  int signo;
  const char* line;  // with its line end
  int status;
  bool unless_ignored;  // a signal ignored at start stays ignored
};

constexpr signal_reaction reactions[] = {
    {SIGINT, "Interrupt\n", 1, true},
    {SIGTERM, "Killed\n", 1, false},
#ifdef SIGQUIT
    {SIGQUIT, "Quit signal\n", abnormal_status, true},
#endif
    {SIGFPE, "Floating Exception\n", abnormal_status, false},
#ifdef SIGTRAP
    {SIGTRAP, "Trace trap\n", abnormal_status, false},
#endif
    {SIGABRT, "IOT Trap\n", abnormal_status, false},
};

// Runs with every other signal blocked; only async-signal-safe calls.
void on_signal(int signo) {
  for (const signal_reaction& r : reactions) {
    if (r.signo != signo) continue;
    // Output lost on the way out is an abnormal end whatever the signal.
    const bool output_written = output_flush_from_signal();
    os::write_all(os::stream::error, r.line, std::strlen(r.line));
    os::exit_now(output_written ? r.status : abnormal_status);
  }
}

}  // namespace

void fatal_read(const read_error& error) {
  output_flush();
  std::string text;
  text.append(error.context).append(": ").append(error.message).append("\n");
  text.append(
      "apparent state: unit 5 (unnamed)\n"
      "last format: list io\n"
      "lately reading sequential formatted external IO\n");
  write_error(text);
  os::exit_now(abnormal_status);
}

void fatal_format(format_error error, std::string_view format) {
  output_flush();
  std::string text(error == format_error::too_complicated ? "format too complicated:\n" : "format error:\n");
  text.append(format).append("\n");
  write_error(text);
  os::exit_now(abnormal_status);
}

void stop_run(std::string_view text) {
  output_flush();
  if (!text.empty()) {
    std::string line("STOP ");
    line.append(text).append(" statement executed\n");
    write_error(line);
  }
  os::exit_now(0);
}

int run(int argc, const char* const* argv, const program_info& program, void (*main_routine)()) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i] != nullptr ? argv[i] : "";
    if (argument == "--version") {
      std::string line(program.name);
      line.append(" (thin-film calculators) " CALC_VERSION "\n");
      output_put(line.data(), line.size());
    } else if (argument == "--help") {
      output_put(program.help.data(), program.help.size());
    } else {
      continue;  // scripts may pass arguments the programs never read
    }
    output_flush();
    return 0;
  }
  for (const signal_reaction& r : reactions) os::install_handler(r.signo, on_signal, r.unless_ignored);
  main_routine();
  output_flush();
  return 0;
}

}  // namespace console
