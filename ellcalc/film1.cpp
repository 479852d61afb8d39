#include "ellcalc/film1.hpp"

#include <cmath>

#include "ellcalc/cres.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx;
using console::cplx_d;
using console::narrow;

namespace {

constexpr double step = 0.001;      // half-step of the central difference in xi1
constexpr double tolerance = 0.0005;  // on the relative correction of xi1
constexpr int max_passes = 15;

// Phase factor that matches rho for a film of s-admittance xi.
cplx phase_factor(const float& xi, const float& s2, const cplx& a0, const cplx& a2, const cplx& b0, const cplx& b2,
                  const cplx& rho) {
  const cplx x1{xi, 0.0f};
  const cplx b1 = narrow(cplx_d(x1) + double{s2} / cplx_d(x1));
  cplx z;
  cres(a0, x1, a2, b0, b1, b2, rho, z);
  return z;
}

}  // namespace

film1_outcome film1(const float& ol, const float& phi, const cplx& cn2, const std::int32_t& kind, const float& ps,
                    const float& de, float& an, float& ep, float& psa, float& dea, float& per) {
  film1_outcome outcome;
  // Geometry: admittances of ambient (a0 for s, b0 for p), substrate (a2, b2) and film.
  const media m = ambient_and_substrate(phi, cn2);
  const float& s2 = m.s2;
  const cplx &a0 = m.a0, &b0 = m.b0, &a2 = m.a2, &b2 = m.b2;
  float xi1 = stored(std::sqrt(double{an} * an - s2));

  if (kind != 1) {
    const cplx rho = ratio_of_psi_delta(ps, de);
    cplx z1, z2;
    if (kind == 3) {
      z1 = phase_factor(xi1, s2, a0, a2, b0, b2, rho);
      z2 = z1;
    } else {
      // Newton search for the xi1 at which |z| = 1, as it must be for a non-absorbing
      // film; the derivative of ln|z| is a central difference of half-step `step`.
      bool converged = false;
      float dss = 0.0f;
      for (int pass = 0; pass < max_passes && !converged; ++pass) {
        z1 = phase_factor(stored(xi1 - step), s2, a0, a2, b0, b2, rho);
        z2 = phase_factor(stored(xi1 + step), s2, a0, a2, b0, b2, rho);
        const double l1 = std::log(console::modulus(z1));
        const double l2 = std::log(console::modulus(z2));
        dss = stored(step * (l1 + l2) / (l1 - l2));
        xi1 = stored(double{xi1} + dss);
        converged = std::fabs(double{dss} / xi1) < tolerance;
      }
      outcome = {converged, xi1, dss};
    }
    an = stored(std::sqrt(double{xi1} * xi1 + s2));
    const cplx w = narrow((cplx_d(z1) + cplx_d(z2)) / 2.0);
    ep = stored(std::atan2(-double{w.im}, double{w.re}) * ol / (xi1 * four_pi));
  }

  thickness_period(ol, xi1, ep, per);

  const float ak = 0.0f;
  psd(an, ak, ep, ol, a0, a2, b0, b2, s2, psa, dea);
  return outcome;
}

}  // namespace ellcalc
