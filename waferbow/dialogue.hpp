#pragma once

namespace waferbow {

// The two nested loops of the wafer bow calculator (first pass, continue passes); it
// never returns.
void main_routine();

}  // namespace waferbow
