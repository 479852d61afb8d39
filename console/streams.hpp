// The process's standard streams as the layer sees them: standard output held in one
// fixed buffer, standard input read in blocks.
#pragma once

#include <cstddef>

#include "console/reader.hpp"

namespace console {

// Appends to standard output; the buffer is written out when full.
void output_put(const char* data, std::size_t size);

// Writes out everything held for standard output. Output that cannot be written ends the
// process: one line on standard error that names the error ("write error: No space left on
// device"; nothing for a closed pipe where the system's tools end quietly), then the
// abnormal-end status. Bytes written before the error stay written.
void output_flush();

// The same from a signal handler, with only async-signal-safe calls, except that a failed
// write does not end the process: it writes the line and returns false, and the handler
// ends the process itself.
bool output_flush_from_signal();

// Standard input. Before a read that would block, standard output is flushed, so the
// prompt is on the screen while the program waits; answers already waiting (a piped
// session) are read without flushing, and the output goes out in blocks.
input_source& standard_input();

}  // namespace console
