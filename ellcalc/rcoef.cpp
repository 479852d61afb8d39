#include "ellcalc/rcoef.hpp"

#include <cmath>

#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
reflection_result_t<R> rcoef(R ol, R phi, cplx_of<R> cn2, R an, R ep) {
  reflection_result_t<R> r{};
  // Ambient and substrate admittances.
  const media<R> m = ambient_and_substrate<R>(phi, cn2);
  const R s2 = m.s2;

  // Period, and a negative thickness folded once.
  const R xi1 = normal_component<R>(an, s2);
  const thickness_and_period<R> tp = thickness_period<R>(ol, xi1, ep);
  r.ep = tp.ep;
  r.per = tp.per;

  // The film stack, as in psd with a non-absorbing film.
  const R ak = 0;
  const stack_coefficients<R> c = film_stack<R>(an, ak, r.ep, ol, m.a0, m.a2, m.b0, m.b2, s2);
  r.rp = c.rp;
  r.rs = c.rs;
  const psi_delta_pair<R> pd = psi_delta<R>(c.rp, c.rs);
  r.psi = pd.psi;
  r.delta = pd.delta;

  // The modulus first, then its square.
  const double mp = console::modulus(r.rp);
  const double ms = console::modulus(r.rs);
  r.Rp = stored<R>(mp * mp);
  r.Rs = stored<R>(ms * ms);
  return r;
}

template reflection_result_t<float> rcoef<float>(float, float, cplx_of<float>, float, float);
template reflection_result_t<double> rcoef<double>(double, double, cplx_of<double>, double, double);

}  // namespace ellcalc
