#include "optconst/ceps.hpp"

#include "optconst/effective_medium.hpp"
#include "optconst/materials.hpp"

namespace optconst {

using console::cplx;

namespace {

// Silica in a mixture: always unstressed and without voids.
cplx silica_component(const float& en) { return {silica(en), 0.0f}; }

}  // namespace

void ceps(const std::array<float, 2>& fr, const float& en, const std::int32_t& nat, const silica_coefficients& sio2,
          std::array<cplx, 2>& eps) {
  cplx ea{1.0f, 0.0f};
  switch (nat) {
    case 2:
      sec(en, ea);
      break;
    case 3: {
      const float lsq = wavelength_squared(en);
      for (int i = 0; i < 2; ++i) {
        const float es = sellmeier(sio2, lsq, stressed_pairs[i], stressed_squares[i]);
        eps[i] = {silica_voids(es, fr[0]), 0.0f};
      }
      return;
    }
    case 4:
      sea(en, ea, fr);
      break;
    case 5:  // sub-oxide: amorphous Si with voids, and silica
      sea(en, ea, fr);
      ea = emix(ea, silica_component(en), fr[1]);
      break;
    case 6:
      al(en, ea);
      break;
    case 7:  // nitride with voids, and silica
      si3n4(en, ea, fr);
      ea = emix(ea, silica_component(en), fr[1]);
      break;
    case 8: {  // amorphous Si with voids, and crystalline Si
      cplx eb{};
      sea(en, ea, fr);
      sec(en, eb);
      ea = emix(ea, eb, fr[1]);
      break;
    }
    case 9: {  // crystalline Si with voids, and silica
      cplx ec{};
      sec(en, ec);
      ea = emix(ec, {1.0f, 0.0f}, fr[0]);
      ea = emix(ea, silica_component(en), fr[1]);
      break;
    }
    default:  // vacuum, and any number outside the menu
      break;
  }
  eps[0] = ea;
  eps[1] = ea;
}

}  // namespace optconst
