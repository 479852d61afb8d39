#pragma once

namespace ellcalc {

// The menu loop of the ellipsometry calculator; it never returns.
void main_routine();

}  // namespace ellcalc
