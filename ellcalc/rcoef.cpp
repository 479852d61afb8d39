#include "ellcalc/rcoef.hpp"

#include <cmath>

#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;

void rcoef(const float& ol, const float& phi, const cplx& cn2, const float& an, float& ep, float& per, cplx& rp,
           cplx& rs, float& Rp, float& Rs, float& psi, float& delta) {
  // Ambient and substrate admittances.
  const media m = ambient_and_substrate(phi, cn2);
  const float& s2 = m.s2;

  // Period, and a negative thickness folded once.
  const float xi1 = stored(std::sqrt(double{an} * an - s2));
  thickness_period(ol, xi1, ep, per);

  // The film stack, as in psd with a non-absorbing film.
  const float ak = 0.0f;
  film_stack(an, ak, ep, ol, m.a0, m.a2, m.b0, m.b2, s2, rp, rs);
  psi_delta(rp, rs, psi, delta);

  // The modulus first, then its square.
  const double mp = console::modulus(rp);
  const double ms = console::modulus(rs);
  Rp = stored(mp * mp);
  Rs = stored(ms * ms);
}

}  // namespace ellcalc
