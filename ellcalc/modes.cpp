#include "ellcalc/modes.hpp"

#include <cstdint>

#include "ellcalc/harmonics.hpp"
#include "ellcalc/invert_harmonics.hpp"
#include "ellcalc/psi_delta_from_harmonics.hpp"
#include "ellcalc/rcoef.hpp"

namespace ellcalc {

namespace {

harmonics_set harmonics_of(const reflection_result& r, const float& pol, const float& bir, const float& rot,
                           const float& ref, const float& ana) {
  harmonics_set h{};
  harmonics(r.psi, r.delta, r.Rs, pol, bir, rot, ref, ana, h.H0, h.H2C, h.H2S, h.H2A, h.H2P, h.H4C, h.H4S, h.H4A,
            h.H4P);
  return h;
}

}  // namespace

reflection_result reflection(const float& ol, const float& phi, const console::cplx& cn2, const float& an,
                             const float& ep) {
  reflection_result r{};
  r.ep = ep;
  rcoef(ol, phi, cn2, an, r.ep, r.per, r.rp, r.rs, r.Rp, r.Rs, r.psi, r.delta);
  return r;
}

harmonics_result harmonics_of_film(const float& ol, const float& phi, const console::cplx& cn2, const float& an,
                                   const float& ep, const float& pol, const float& bir, const float& rot,
                                   const float& ref, const float& ana) {
  harmonics_result out{};
  out.model = reflection(ol, phi, cn2, an, ep);
  out.h = harmonics_of(out.model, pol, bir, rot, ref, ana);
  const harmonics_set& h = out.h;
  psi_delta_from_harmonics(h.H2C, h.H2S, h.H4C, h.H4S, out.model.Rs, pol, bir, rot, ref, ana, out.psa, out.dea);
  return out;
}

measured_result from_measured_harmonics(const float& ol, const float& phi, const console::cplx& cn2,
                                        const float& pol, const float& bir, const float& rot, const float& ref,
                                        const float& ana, const float& h2p, const float& h2d, const float& h4p,
                                        const float& h4d, const float& ps, const float& de, const float& an,
                                        const float& ep) {
  measured_result out{};
  out.ps = ps;
  out.de = de;
  invert_harmonics(h2p, h2d, h4p, h4d, pol, bir, rot, ref, ana, out.ps, out.de, out.disc);

  const std::int32_t thickness_at_fixed_index = 3;
  out.an = an;
  out.ep = ep;
  out.search = film1(ol, phi, cn2, thickness_at_fixed_index, out.ps, out.de, out.an, out.ep, out.psa, out.dea,
                     out.per);
  out.model = reflection(ol, phi, cn2, out.an, out.ep);
  out.h = harmonics_of(out.model, pol, bir, rot, ref, ana);
  return out;
}

}  // namespace ellcalc
