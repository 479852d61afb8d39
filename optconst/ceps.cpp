#include "optconst/ceps.hpp"

#include "optconst/effective_medium.hpp"
#include "optconst/materials.hpp"

namespace optconst {

using console::cplx_of;

namespace {

// Silica in a mixture: always unstressed and without voids.
template <class R>
cplx_of<R> silica_component(R en) {
  return {silica<R>(en), R{0}};
}

}  // namespace

template <class R>
std::array<cplx_of<R>, 2> ceps(const std::array<R, 2>& fr, R en, std::int32_t nat, const silica_block<R>& sio2) {
  cplx_of<R> ea{R{1}, R{0}};
  switch (nat) {
    case 2:
      ea = sec<R>(en);
      break;
    case 3: {
      const R lsq = wavelength_squared<R>(en);
      std::array<cplx_of<R>, 2> eps{};
      for (int i = 0; i < 2; ++i) {
        const R es = sellmeier<R>(sio2, lsq, stressed_pairs[i], stressed_squares[i]);
        eps[i] = {silica_voids<R>(es, fr[0]), R{0}};
      }
      return eps;
    }
    case 4:
      ea = sea<R>(en, fr);
      break;
    case 5:  // sub-oxide: amorphous Si with voids, and silica
      ea = emix<R>(sea<R>(en, fr), silica_component<R>(en), fr[1]);
      break;
    case 6:
      ea = al<R>(en);
      break;
    case 7:  // nitride with voids, and silica
      ea = emix<R>(si3n4<R>(en, fr), silica_component<R>(en), fr[1]);
      break;
    case 8:  // amorphous Si with voids, and crystalline Si
      ea = emix<R>(sea<R>(en, fr), sec<R>(en), fr[1]);
      break;
    case 9:  // crystalline Si with voids, and silica
      ea = emix<R>(sec<R>(en), cplx_of<R>{R{1}, R{0}}, fr[0]);
      ea = emix<R>(ea, silica_component<R>(en), fr[1]);
      break;
    default:  // vacuum, and any number outside the menu
      break;
  }
  return {ea, ea};
}

template std::array<cplx_of<float>, 2> ceps<float>(const std::array<float, 2>&, float, std::int32_t,
                                                   const silica_block<float>&);
template std::array<cplx_of<double>, 2> ceps<double>(const std::array<double, 2>&, double, std::int32_t,
                                                     const silica_block<double>&);

}  // namespace optconst
