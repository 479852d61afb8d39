// Runs one recorded session of a calculator and compares what it wrote.
//
//   transcript_runner [--launcher <command>] [--skip-signal <signal>=<reason>]... [--crlf-file]
//                     [--update] <program> <stem>
//
// --launcher      runs "<command> <program>" instead of the program itself (a Windows build
//                 under Wine: wine writes the program's bytes and passes on its exit status)
// --skip-signal   a session whose <stem>.signal reads <signal> (e.g. "TERM", "INT ignored")
//                 is not run: the reason is printed and the runner exits with status 77,
//                 which CTest counts as skipped
// --crlf-file     the input is given with CR LF line ends, from a regular file rather than a
//                 pipe (a file written on Windows); what the program writes must not change
// --update        writes what the program wrote to the expected files (creating those that
//                 are missing) instead of comparing: a draft to check by hand, never a verdict
//
// <stem>.in       the bytes given on standard input
// <stem>.out      the exact standard output expected
// <stem>.err      the exact standard error expected (a session that expects none has an
//                 empty file)
// <stem>.status   the exit status expected, in decimal ("signal <n>" for a death by a signal)
// <stem>.signal   optional: a signal name (INT, TERM, QUIT, FPE, TRAP, ABRT) sent once the
//                 program has written all of <stem>.out; standard input stays open until then,
//                 so the program is waiting at its prompt. "INT ignored" starts the program
//                 with the signal ignored (it should stay so), and closes the input after it.
// <stem>.combined optional: standard output and error go to one pipe, and their mixture must
//                 equal this file (it replaces <stem>.out and <stem>.err in the comparison, and
//                 the signal, if any, is sent once the mixture holds all of <stem>.out); such a
//                 session has no <stem>.err
//
// A session whose .in, .out, .status, or .err (.combined) is missing fails without being run,
// so that a lost file can never pass as "nothing expected".
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

namespace {

using steady_clock = std::chrono::steady_clock;

// A session, a command line or a call of the system that the runner cannot take.
[[noreturn]] void give_up(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::exit(2);
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& data) { std::ofstream(path, std::ios::binary) << data; }

std::string visible(const std::string& s) {
  std::string r;
  for (const unsigned char c : s) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
    r += c == '\n' ? "\\n\n" : c < 32 || c > 126 ? escaped : std::string(1, static_cast<char>(c));
  }
  return r;
}

bool same(const char* what, const std::string& expected, const std::string& actual) {
  if (expected == actual) return true;
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  const std::size_t from = at > 200 ? at - 200 : 0;
  std::fprintf(stderr, "%s differs at byte %zu\n--- expected (from byte %zu)\n%s\n--- actual\n%s\n---\n", what, at,
               from, visible(expected.substr(from, 600)).c_str(), visible(actual.substr(from, 600)).c_str());
  return false;
}

struct outcome {
  std::string out, err, status;
};

// The exit status that CTest reads as "skipped" (SKIP_RETURN_CODE).
constexpr int skipped_status = 77;

outcome run(const char* launcher, const char* program, const std::string& input, int input_file, int signo,
            bool ignored, std::size_t signal_after, bool combined) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) give_up(std::strerror(errno));
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(input_file >= 0 ? input_file : in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(combined ? out_pipe[1] : err_pipe[1], 2);
    for (int fd : {input_file, in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) close(fd);
    // The child starts with the default reactions, whatever the runner inherited.
    for (const int s : {SIGINT, SIGQUIT, SIGPIPE}) signal(s, SIG_DFL);
    if (ignored) signal(signo, SIG_IGN);
    if (launcher != nullptr) {
      execlp(launcher, launcher, program, static_cast<char*>(nullptr));
    } else {
      execl(program, program, static_cast<char*>(nullptr));
    }
    std::perror("exec");
    _exit(127);
  }
  for (int fd : {in_pipe[0], out_pipe[1], err_pipe[1]}) close(fd);
  signal(SIGPIPE, SIG_IGN);
  fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);

  outcome result;
  std::size_t written = input_file >= 0 ? input.size() : 0;  // a file: all there from the start
  int to_child = in_pipe[1], from_out = out_pipe[0], from_err = err_pipe[0];
  bool signalled = signo < 0;
  auto close_after = steady_clock::now();
  // A launcher (Wine) may need a while to start.
  const auto deadline = steady_clock::now() + std::chrono::seconds(launcher != nullptr ? 120 : 30);

  while (from_out >= 0 || from_err >= 0) {
    if (steady_clock::now() > deadline) {
      std::fprintf(stderr, "timed out; output so far:\n%s\n", visible(result.out).c_str());
      kill(pid, SIGKILL);
      break;
    }
    // The input closes when all of it is written and no signal is to come. After a signal the
    // program should end on it, with its input still open; only a signal it ignores leaves it
    // to end at the end of its input (under a launcher, once the signal had time to arrive:
    // Wine hands it on from another thread).
    if (to_child >= 0 && written == input.size() &&
        (signo < 0 || (signalled && ignored && steady_clock::now() >= close_after))) {
      close(to_child);
      to_child = -1;
    }
    pollfd fds[3];
    int n = 0;
    if (from_out >= 0) fds[n++] = {from_out, POLLIN, 0};
    if (from_err >= 0) fds[n++] = {from_err, POLLIN, 0};
    if (to_child >= 0 && written < input.size()) fds[n++] = {to_child, POLLOUT, 0};
    if (poll(fds, static_cast<nfds_t>(n), 100) < 0 && errno != EINTR) break;
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == to_child) {
        const ssize_t w = write(to_child, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if (w < 0 && errno != EAGAIN) written = input.size();
        continue;
      }
      char buf[65536];
      const ssize_t r = read(fds[i].fd, buf, sizeof buf);
      std::string& sink = fds[i].fd == from_out ? result.out : result.err;
      if (r > 0) {
        sink.append(buf, static_cast<std::size_t>(r));
      } else {
        close(fds[i].fd);
        (fds[i].fd == from_out ? from_out : from_err) = -1;
      }
    }
    if (!signalled && written == input.size() && result.out.size() >= signal_after) {
      // Give the program the moment it needs to reach its read, then signal.
      usleep(100 * 1000);
      kill(pid, signo);
      signalled = true;
      close_after = steady_clock::now() + std::chrono::milliseconds(launcher != nullptr ? 1000 : 0);
    }
  }
  if (to_child >= 0) close(to_child);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = (WIFEXITED(status) ? std::to_string(WEXITSTATUS(status))
                                      : "signal " + std::to_string(WTERMSIG(status))) + "\n";
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const char* launcher = nullptr;
  bool crlf_file = false;
  bool update = false;
  std::map<std::string, std::string> skipped_signals;  // the .signal text, the reason
  int arg = 1;
  for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
    const std::string option = argv[arg];
    const char* const operand = arg + 1 < argc ? argv[arg + 1] : "";
    const char* const eq = std::strchr(operand, '=');
    if (option == "--crlf-file") {
      crlf_file = true;
    } else if (option == "--update") {
      update = true;
    } else if (option == "--launcher" && *operand != '\0') {
      launcher = argv[++arg];
    } else if (option == "--skip-signal" && eq != nullptr) {
      skipped_signals[std::string(operand, eq)] = eq + 1;
      ++arg;
    } else {
      break;
    }
  }
  if (argc - arg != 2) {
    give_up("usage: transcript_runner [--launcher <command>] [--skip-signal <signal>=<reason>]... "
            "[--crlf-file] [--update] <program> <stem>");
  }
  const char* program = argv[arg];
  const std::string stem = argv[arg + 1];
  const auto input = read_file(stem + ".in");
  if (!input) give_up("no " + stem + ".in");
  const auto expected_out = read_file(stem + ".out");
  const auto expected_combined = read_file(stem + ".combined");
  const auto expected_err = read_file(stem + ".err");
  const auto expected_status = read_file(stem + ".status");
  if (expected_combined && expected_err)
    give_up(stem + ".combined and " + stem + ".err: a session has one or the other");
  bool missing = false;
  for (const auto& [suffix, found] : {std::pair{".out", expected_out.has_value()},
                                      {".err", expected_err || expected_combined},
                                      {".status", expected_status.has_value()}}) {
    if (found || update) continue;
    std::fprintf(stderr, "no %s%s (a stream expected to stay empty has an empty file)\n", stem.c_str(), suffix);
    missing = true;
  }
  if (missing) return 1;

  // "INT" sends the signal; "INT ignored" starts the program with it ignored.
  const auto signal_text = read_file(stem + ".signal");
  std::string name, how;
  std::istringstream(signal_text.value_or("")) >> name >> how;
  const bool ignored = how == "ignored";
  if (const auto skip = skipped_signals.find(ignored ? name + " " + how : name); skip != skipped_signals.end()) {
    std::printf("skipped: signal %s: %s\n", skip->first.c_str(), skip->second.c_str());
    return skipped_status;
  }
  int signo = -1;
  for (const auto& [known, number] : {std::pair{"INT", SIGINT}, {"TERM", SIGTERM}, {"QUIT", SIGQUIT},
                                      {"FPE", SIGFPE}, {"TRAP", SIGTRAP}, {"ABRT", SIGABRT}}) {
    if (name == known) signo = number;
  }
  if (signal_text && signo < 0) give_up("unknown signal in " + stem + ".signal");

  int input_file = -1;
  if (crlf_file) {
    if (signo >= 0) give_up("--crlf-file takes no signal session");
    std::string crlf;
    for (const char c : *input) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    // An unnamed temporary file, read by the program from its start.
    std::FILE* file = std::tmpfile();
    if (file == nullptr || std::fwrite(crlf.data(), 1, crlf.size(), file) != crlf.size() || std::fflush(file) != 0)
      give_up(std::string("temporary file: ") + std::strerror(errno));
    std::rewind(file);
    input_file = fileno(file);
  }
  const outcome got = run(launcher, program, *input, input_file, signo, ignored, expected_out.value_or("").size(),
                          expected_combined.has_value());

  if (update) {
    write_file(stem + (expected_combined ? ".combined" : ".out"), got.out);
    if (!expected_combined) write_file(stem + ".err", got.err);
    write_file(stem + ".status", got.status);
    std::fprintf(stderr, "updated %s\n", stem.c_str());
    return 0;
  }
  bool ok = true;
  if (expected_combined) {
    ok &= same("combined output", *expected_combined, got.out);
  } else {
    ok &= same("standard output", *expected_out, got.out);
    ok &= same("standard error", *expected_err, got.err);
  }
  return same("exit status", *expected_status, got.status) && ok ? 0 : 1;
}
