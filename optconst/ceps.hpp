#pragma once

#include <array>
#include <cstdint>

#include "console/complex.hpp"
#include "optconst/silica.hpp"

namespace optconst {

// Dielectric function eps1 - i eps2 of material nat at the photon energy en (eV):
//   1 vacuum, 2 crystalline Si, 3 silica under the stress fitted into sio2 (eps(1) and
//   eps(2) for light polarised normal to and in the plane of the layer), 4 amorphous Si,
//   5 sub-oxide, 6 aluminium, 7 nitride with silica, 8 polycrystalline Si, 9 porous Si.
// fr(1) is the void fraction of the first component, fr(2) the fraction of the second
// component of a mixture. Any other nat gives vacuum. Except for silica, eps(2) = eps(1).
// Only material 3 reads the stressed words of sio2; silica in a mixture is unstressed.
//   ceps<float>({0, 0}, 1.9593, 2, unstressed_silica) -> (15.06118, -0.15106) twice
template <class R>
std::array<console::cplx_of<R>, 2> ceps(const std::array<R, 2>& fr, R en, std::int32_t nat,
                                        const silica_block<R>& sio2);

}  // namespace optconst
