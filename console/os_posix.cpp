#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "console/os.hpp"

namespace console::os {

namespace {

// Every signal a handler was installed for.
sigset_t& handled() {
  static sigset_t set = [] {
    sigset_t s;
    sigemptyset(&s);
    return s;
  }();
  return set;
}

}  // namespace

std::size_t read_input(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}

bool input_ready() {
  pollfd p{STDIN_FILENO, POLLIN, 0};
  return ::poll(&p, 1, 0) > 0;
}

int write_all(stream to, const char* data, std::size_t size) {
  const int fd = to == stream::output ? STDOUT_FILENO : STDERR_FILENO;
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      // A descriptor another process made non-blocking: wait until it takes bytes again.
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, -1);
        continue;
      }
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

const char* write_error_name(int code) {
  // The errors write() may give on a file, a device, a pipe or a socket.
  switch (code) {
    case ENOSPC: return "No space left on device";
    case EBADF: return "Bad file descriptor";
    case EIO: return "Input/output error";
    case EPIPE: return "Broken pipe";
    case EFBIG: return "File too large";
    case EDQUOT: return "Disk quota exceeded";
    case EINVAL: return "Invalid argument";
    case EPERM: return "Operation not permitted";
    case EACCES: return "Permission denied";
    case EROFS: return "Read-only file system";
    case ENXIO: return "No such device or address";
    case ENODEV: return "No such device";
    case EFAULT: return "Bad address";
    case ENOBUFS: return "No buffer space available";
    case ENOMEM: return "Cannot allocate memory";
    case ECONNRESET: return "Connection reset by peer";
    case ENOTCONN: return "Transport endpoint is not connected";
    case EDESTADDRREQ: return "Destination address required";
    case ETIMEDOUT: return "Connection timed out";
    case EAGAIN: return "Resource temporarily unavailable";
    default: return nullptr;
  }
}

bool quiet_write_error(int) { return false; }

void install_handler(int signo, signal_handler handler, bool unless_ignored) {
  struct sigaction old {};
  if (unless_ignored && ::sigaction(signo, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
  sigaddset(&handled(), signo);
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigfillset(&sa.sa_mask);
  // A handler's flush to a pipe whose reader is gone ends the process by SIGPIPE's default,
  // as any other write does.
  sigdelset(&sa.sa_mask, SIGPIPE);
  sa.sa_flags = SA_RESTART;
  ::sigaction(signo, &sa, nullptr);
}

void hold_signals() { ::sigprocmask(SIG_BLOCK, &handled(), nullptr); }

void release_signals() { ::sigprocmask(SIG_UNBLOCK, &handled(), nullptr); }

#ifdef CALC_COVERAGE_DUMP
extern "C" void __gcov_dump();
#endif

void exit_now(int status) {
#ifdef CALC_COVERAGE_DUMP
  __gcov_dump();  // the coverage build only: _exit would drop the line counts
#endif
  ::_exit(status);
}

}  // namespace console::os
