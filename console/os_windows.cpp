// The operating-system calls of the console layer on Windows (a MinGW-w64 console program).
//
// The standard streams are read and written as raw bytes with ReadFile and WriteFile: no
// CR LF translation in either direction, so a session writes exactly the bytes it writes on
// Linux (LF line ends), and an answer typed with CR LF line ends reads as on Linux (the
// reader takes the CR for a blank).
//
// Windows has no signals in the POSIX sense. Ctrl-C (and a console closed under the program)
// arrive as console control events, which the system hands to a handler in a new thread while
// the program's own thread runs on. To keep the reactions as they are on Linux, the event
// thread waits until standard output is not being written (hold_signals), suspends the
// program's thread, and then runs the handler, which writes its line and ends the process.
// Abort, arithmetic trap and termination raised inside the program go through the C runtime's
// signal(), whose handlers run on the program's thread like POSIX ones.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <atomic>
#include <csignal>

#include "console/os.hpp"

namespace console::os {

namespace {

// Handlers by signal number: of the signals delivered by console control events, and of
// those the C runtime raises.
constexpr int max_signal = 32;
std::atomic<signal_handler> event_handlers[max_signal];
std::atomic<signal_handler> runtime_handlers[max_signal];

// Held while standard output is written; a control event waits for it.
SRWLOCK output_lock = SRWLOCK_INIT;

// The program's thread, suspended while an event handler ends the process.
std::atomic<HANDLE> program_thread{nullptr};

bool usable(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// Raw bytes on all three streams, also for anything the C runtime might write itself. A
// stream the process was started without is left alone (the runtime would reject it).
[[maybe_unused]] const bool binary_streams = [] {
  const DWORD handles[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  for (int fd = 0; fd < 3; ++fd) {
    if (usable(GetStdHandle(handles[fd]))) _setmode(fd, _O_BINARY);
  }
  return true;
}();

bool is_console(HANDLE h) {
  DWORD mode = 0;
  return GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode);
}

BOOL WINAPI on_console_event(DWORD event) {
  int signo = 0;
  switch (event) {
    case CTRL_C_EVENT:
      // Not delivered at all when the process was started with Ctrl-C ignored (the flag
      // that SetConsoleCtrlHandler(nullptr, TRUE) sets is inherited): "unless ignored at
      // start" needs nothing more.
      signo = SIGINT;
      break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      signo = SIGTERM;
      break;
    default:
      return FALSE;  // Ctrl-Break keeps its default: the process ends
  }
  const signal_handler handler = event_handlers[signo].load();
  if (handler == nullptr) return FALSE;
  // Never released: the handler ends the process, and a second event waits here for good.
  AcquireSRWLockExclusive(&output_lock);
  if (const HANDLE thread = program_thread.load()) SuspendThread(thread);
  handler(signo);
  return TRUE;
}

// Runs on the program's thread. Taking the lock keeps a console event from starting its own
// reaction meanwhile; it fails only if this thread is writing standard output (a trap inside
// the write) or an event got there first (it is about to suspend this thread).
void on_runtime_signal(int signo) {
  TryAcquireSRWLockExclusive(&output_lock);
  if (const signal_handler handler = runtime_handlers[signo].load()) handler(signo);
}

}  // namespace

std::size_t read_input(char* buffer, std::size_t size) {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  const bool console = is_console(in);
  const DWORD want = size < 0x40000000 ? static_cast<DWORD>(size) : 0x40000000;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(in, buffer, want, &got, nullptr)) {
      // A console read cut short by Ctrl-C: the event thread is about to end the process.
      if (console && GetLastError() == ERROR_OPERATION_ABORTED) {
        Sleep(100);
        continue;
      }
      return 0;  // a closed pipe, or an error: the end of the input
    }
    if (!console) return got;
    // At a console, Ctrl-Z starts the end of the input, as Ctrl-D does on a terminal.
    for (DWORD i = 0; i < got; ++i) {
      if (buffer[i] == '\x1a') {
        got = i;
        break;
      }
    }
    // An empty console read may also be a Ctrl-C: leave its event the time to arrive.
    if (got == 0) Sleep(100);
    return got;
  }
}

bool input_ready() {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  switch (GetFileType(in)) {
    case FILE_TYPE_DISK:
      return true;
    case FILE_TYPE_PIPE: {
      DWORD waiting = 0;
      if (PeekNamedPipe(in, nullptr, 0, nullptr, &waiting, nullptr)) return waiting > 0;
      return GetLastError() == ERROR_BROKEN_PIPE;  // the end is waiting
    }
    default:
      // A console (whose pending events need not be keystrokes) or another device: say
      // "would block", so that the prompt is shown before the read.
      return false;
  }
}

int write_all(stream to, const char* data, std::size_t size) {
  const HANDLE out = GetStdHandle(to == stream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  // A process started without the stream: as a closed descriptor on Linux.
  if (!usable(out)) return size > 0 ? static_cast<int>(ERROR_INVALID_HANDLE) : 0;
  // Older consoles refuse a single write near 64 KiB; pipes and files take any size.
  const std::size_t most = is_console(out) ? 0x8000 : 0x40000000;
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(size < most ? size : most);
    DWORD written = 0;
    if (!WriteFile(out, data, chunk, &written, nullptr)) return static_cast<int>(GetLastError());
    if (written == 0) return static_cast<int>(ERROR_WRITE_FAULT);  // would never end otherwise
    data += written;
    size -= written;
  }
  return 0;
}

const char* write_error_name(int code) {
  // Named as on Linux, so that both builds of a program say the same.
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_INVALID_HANDLE:
      return "Bad file descriptor";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED:
      return "Broken pipe";
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
      return "Input/output error";
    case ERROR_FILE_TOO_LARGE:
      return "File too large";
    case ERROR_NOT_ENOUGH_QUOTA:
      return "Disk quota exceeded";
    case ERROR_INVALID_PARAMETER:
      return "Invalid argument";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return "Cannot allocate memory";
    case ERROR_NETNAME_DELETED:
      return "Connection reset by peer";
    default:
      return nullptr;
  }
}

// A reader that closed its end of the pipe: console tools on Windows end quietly, as the
// default reaction to SIGPIPE does on Linux.
bool quiet_write_error(int code) {
  return code == ERROR_BROKEN_PIPE || code == ERROR_NO_DATA || code == ERROR_PIPE_NOT_CONNECTED;
}

void install_handler(int signo, signal_handler handler, bool unless_ignored) {
  if (signo <= 0 || signo >= max_signal) return;
  if (signo == SIGINT || signo == SIGTERM) {
    if (program_thread.load() == nullptr) {
      program_thread.store(OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetCurrentThreadId()));
    }
    event_handlers[signo].store(handler);
    static const bool registered = SetConsoleCtrlHandler(on_console_event, TRUE) != 0;
    (void)registered;
  }
  if (signo == SIGINT) return;  // the C runtime's SIGINT is the same console event
  runtime_handlers[signo].store(handler);
  const auto previous = std::signal(signo, on_runtime_signal);
  if (unless_ignored && previous == SIG_IGN) std::signal(signo, SIG_IGN);
}

void hold_signals() { AcquireSRWLockExclusive(&output_lock); }

void release_signals() { ReleaseSRWLockExclusive(&output_lock); }

void exit_now(int status) {
  const UINT code = static_cast<UINT>(status);
  // Ends every thread at once, without the clean-up of ExitProcess, like _exit.
  TerminateProcess(GetCurrentProcess(), code);
  ExitProcess(code);
}

}  // namespace console::os
