// The operating-system calls of the console layer, and nothing else: reading standard
// input, writing standard output and error, signal installation and process exit. A port
// to another system replaces only the file that implements this header.
#pragma once

#include <cstddef>

namespace console::os {

enum class stream { output, error };

// Reads up to `size` bytes of standard input, blocking if none is waiting. Returns the
// number of bytes read, 0 at the end of the input (a read error counts as the end).
std::size_t read_input(char* buffer, std::size_t size);

// True when a read of standard input would not block (data, or the end, is waiting).
bool input_ready();

// Writes all bytes, going on after partial writes and interruptions (and waiting when the
// stream would block). Returns 0 when every byte is written, otherwise the system's code of
// the error that stopped the write; the bytes before it stay written. Async-signal-safe.
int write_all(stream to, const char* data, std::size_t size);

// The name console tools give a write error, e.g. "No space left on device" for a full
// disk; nullptr for a code without a name here. The same names on every system.
// Async-signal-safe.
const char* write_error_name(int code);

// True for a write error at which this system's console tools end without a word: the
// reader of standard output went away (a closed pipe on Windows; on Linux the default
// reaction to SIGPIPE ends the process before write returns, and if SIGPIPE was ignored
// the error is reported like any other).
bool quiet_write_error(int code);

// Signal handlers are installed with all handled signals blocked while one runs.
using signal_handler = void (*)(int);

// Installs the handler for signal `signo`; with `unless_ignored`, a signal ignored at
// start stays ignored.
void install_handler(int signo, signal_handler handler, bool unless_ignored);

// Holds the handled signals back (or lets them through again), so that a buffer being
// written out is never written a second time by a handler.
void hold_signals();
void release_signals();

// Ends the process at once with the status, without running exit handlers.
// Async-signal-safe.
[[noreturn]] void exit_now(int status);

}  // namespace console::os
