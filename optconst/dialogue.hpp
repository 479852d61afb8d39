#pragma once

namespace optconst {

// The material menu and wavelength loop of the optical constants calculator; it ends the
// program through the console layer's stop and never returns.
void main_routine();

}  // namespace optconst
