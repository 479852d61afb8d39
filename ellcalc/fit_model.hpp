// The film alone as the fit evaluates it, with its derivatives.
//
// film_reflection_at is film_at's steps (thickness_period, film_phase, airy_sums,
// reflection_ratio) on a film set up by film_setup, the phase factor's cosine and sine
// from one sincos, so psi_of and delta_of give film_at's Psi and Delta to the bit; the fit takes Psi first and Delta only
// when its sum still needs it. film_slopes_of gives the derivatives of Psi and Delta
// (degrees per nm, per unit of index) from those of the reflection coefficients: with
// rp = (r01 + P) / (1 + r01 P), P = r12 e, e = exp(-i beta), beta = 4 pi t Re(a1) / ol,
//   d ln rp = ((1 - P^2) dr01 + (1 - r01^2) dP) / ((1 + r01 P) (r01 + P)),
//   dP = e dr12 - i P dbeta,
// likewise rs; d ln rho = d ln rp - d ln rs, dDelta = Im(d ln rho), dPsi = |rho| / (1 +
// |rho|^2) Re(d ln rho) (in degrees). The index derivatives of the interfaces come from
// d a1 / dn = n / a1 and b1 = n^2 / a1 (interface_slopes_of).
//   film 1.5 / 100 nm, 632.8 nm, 70 deg, (3.866, -0.028) -> Psi 43.613, Delta 75.973 as
//   film_at gives them, derivatives those of central differences of film_at
#pragma once

#include <cmath>

#include "console/complex.hpp"
#include "ellcalc/cf_cg.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

// The derivatives in the film index an of what film_setup(m, an, xi1) fixes.
struct interface_slopes {
  console::cplx_d rp01, rs01, rp12, rs12;
  double a1re;
};

inline interface_slopes interface_slopes_of(const media<double>& m, double an) {
  using console::cplx_d;
  const cplx_d n1sq = cplx_d(an, 0.0) * cplx_d(an, 0.0);
  const cplx_d a1 = console::csqrt<double>(n1sq - m.s2);
  const cplx_d b1 = n1sq / a1;
  const cplx_d da1 = cplx_d(an, 0.0) / a1;
  const cplx_d db1 = (2.0 * an - b1 * da1) / a1;
  const auto square = [](cplx_d z) { return z * z; };
  // d (a - b) / (a + b) = 2 (b da - a db) / (a + b)^2
  return {2.0 * m.b0 * db1 / square(b1 + m.b0), -2.0 * m.a0 * da1 / square(m.a0 + a1),
          -2.0 * m.b2 * db1 / square(m.b2 + b1), 2.0 * m.a2 * da1 / square(a1 + m.a2), da1.re};
}

struct film_reflection {
  double t;           // the thickness, a negative one folded as film_at folds it
  console::cplx_d e;  // the phase factor
  console::cplx_d rho;  // rp / rs
};

inline film_reflection film_reflection_at(const film_invariants<double>& f, double ol, double t) {
  using console::cplx_d;
  t = thickness_period<double>(ol, f.xi1, t).ep;
  const double beta = film_phase<double>(f.faces, t, ol);
  // cexp(0, -beta); glibc's sincos gives its sin and cos to the bit, at one reduction.
  cplx_d e;
#if defined(__GLIBC__)
  ::sincos(-beta, &e.im, &e.re);
#else
  e = {std::cos(-beta), std::sin(-beta)};
#endif
  const stack_coefficients<double> r = airy_sums<double>(f.faces, e);
  return {t, e, reflection_ratio<double>(r.rp, r.rs)};
}

inline double psi_of(const film_reflection& r) { return psi_of_ratio<double>(r.rho); }
inline double delta_of(const film_reflection& r) { return delta_of_ratio<double>(r.rho); }

struct film_slopes {
  double psi_t, delta_t;  // per nm
  double psi_n, delta_n;  // per unit of index, when asked (NaN otherwise)
};

// dn: the interfaces' index derivatives, or null for the thickness derivatives alone.
inline film_slopes film_slopes_of(const film_invariants<double>& f, const interface_slopes* dn, double ol,
                                  const film_reflection& r) {
  using console::cplx_d;
  const cplx_d i{0.0, 1.0};
  const double per_t = real_traits<double>::four_pi * f.faces.a1re / ol;  // d beta / dt
  const cplx_d p = f.faces.rp12 * r.e, s = f.faces.rs12 * r.e;
  const cplx_d np = (1.0 + f.faces.rp01 * p) * (f.faces.rp01 + p);
  const cplx_d ns = (1.0 + f.faces.rs01 * s) * (f.faces.rs01 + s);
  const cplx_d kp = (1.0 - f.faces.rp01 * f.faces.rp01) / np;
  const cplx_d ks = (1.0 - f.faces.rs01 * f.faces.rs01) / ns;
  const double m = console::modulus(r.rho);
  const double psi_per = m / (1.0 + m * m) / real_traits<double>::deg;
  const double delta_per = 1.0 / real_traits<double>::deg;
  const cplx_d lt = -i * per_t * (kp * p - ks * s);
  film_slopes out{psi_per * lt.re, delta_per * lt.im, std::nan(""), std::nan("")};
  if (dn != nullptr) {
    const double per_n = real_traits<double>::four_pi * r.t * dn->a1re / ol;  // d beta / dn
    const cplx_d dp = r.e * dn->rp12 - i * p * per_n;
    const cplx_d ds = r.e * dn->rs12 - i * s * per_n;
    const cplx_d ln = ((1.0 - p * p) / np * dn->rp01 + kp * dp) - ((1.0 - s * s) / ns * dn->rs01 + ks * ds);
    out.psi_n = psi_per * ln.re;
    out.delta_n = delta_per * ln.im;
  }
  return out;
}

}  // namespace ellcalc
