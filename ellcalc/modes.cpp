#include "ellcalc/modes.hpp"

#include <cstdint>

#include "ellcalc/invert_harmonics.hpp"
#include "ellcalc/psi_delta_from_harmonics.hpp"

namespace ellcalc {

using console::cplx_of;

template <class R>
reflection_result_t<R> reflection(R ol, R phi, cplx_of<R> cn2, R an, R ep) {
  return rcoef<R>(ol, phi, cn2, an, ep);
}

template <class R>
harmonics_result_t<R> harmonics_of_film(R ol, R phi, cplx_of<R> cn2, R an, R ep, R pol, R bir, R rot, R ref,
                                        R ana) {
  harmonics_result_t<R> out{};
  out.model = reflection<R>(ol, phi, cn2, an, ep);
  out.h = harmonics<R>(out.model.psi, out.model.delta, out.model.Rs, pol, bir, rot, ref, ana);
  const harmonics_set_t<R>& h = out.h;
  const psi_delta_pair<R> back =
      psi_delta_from_harmonics<R>(h.H2C, h.H2S, h.H4C, h.H4S, out.model.Rs, pol, bir, rot, ref, ana);
  out.psa = back.psi;
  out.dea = back.delta;
  return out;
}

template <class R>
measured_result_t<R> from_measured_harmonics(R ol, R phi, cplx_of<R> cn2, R pol, R bir, R rot, R ref, R ana, R h2p,
                                             R h2d, R h4p, R h4d, R ps, R de, R an, R ep) {
  measured_result_t<R> out{};
  const harmonics_inversion<R> inv = invert_harmonics<R>(h2p, h2d, h4p, h4d, pol, bir, rot, ref, ana, ps, de);
  out.ps = inv.ps;
  out.de = inv.de;
  out.disc = inv.disc;

  const std::int32_t thickness_at_fixed_index = 3;
  const film1_result<R> f = film1<R>(ol, phi, cn2, thickness_at_fixed_index, out.ps, out.de, an, ep);
  out.an = f.an;
  out.ep = f.ep;
  out.per = f.per;
  out.psa = f.psa;
  out.dea = f.dea;
  out.search = f.outcome;
  out.model = reflection<R>(ol, phi, cn2, out.an, out.ep);
  out.h = harmonics<R>(out.model.psi, out.model.delta, out.model.Rs, pol, bir, rot, ref, ana);
  return out;
}

#define ELLCALC_MODES(R)                                                                                        \
  template reflection_result_t<R> reflection<R>(R, R, cplx_of<R>, R, R);                                       \
  template harmonics_result_t<R> harmonics_of_film<R>(R, R, cplx_of<R>, R, R, R, R, R, R, R);                  \
  template measured_result_t<R> from_measured_harmonics<R>(R, R, cplx_of<R>, R, R, R, R, R, R, R, R, R, R, R, R, \
                                                           R);
ELLCALC_MODES(float)
ELLCALC_MODES(double)

}  // namespace ellcalc
