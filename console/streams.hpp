// The process's standard streams as the layer sees them: standard output held in one
// fixed buffer, standard input read in blocks.
#pragma once

#include <cstddef>

#include "console/reader.hpp"

namespace console {

// Appends to standard output; the buffer is written out when full.
void output_put(const char* data, std::size_t size);

// Writes out everything held for standard output.
void output_flush();

// The same from a signal handler: only async-signal-safe calls.
void output_flush_from_signal();

// Standard input. Before a read that would block, standard output is flushed, so the
// prompt is on the screen while the program waits; answers already waiting (a piped
// session) are read without flushing, and the output goes out in blocks.
input_source& standard_input();

}  // namespace console
