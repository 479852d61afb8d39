#include "ellcalc/film1.hpp"

#include <cmath>

#include "ellcalc/cres.hpp"
#include "ellcalc/inversion.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

namespace {

// The admittances of a non-absorbing film of s-admittance xi: (xi, 0) and xi + s2 / xi.
template <class R>
struct film_admittances {
  cplx_of<R> x1, b1;
};

template <class R>
film_admittances<R> film_of(R xi, R s2) {
  const cplx_of<R> x1{xi, R{0}};
  return {x1, narrow<R>(cplx_d(x1) + double{s2} / cplx_d(x1))};
}

// Phase factor that matches rho for a film of s-admittance xi.
template <class R>
cplx_of<R> phase_factor(R xi, const media<R>& m, cplx_of<R> rho) {
  const film_admittances<R> f = film_of<R>(xi, m.s2);
  return cres<R>(m.a0, f.x1, m.a2, m.b0, f.b1, m.b2, rho);
}

// The thickness of the phase factor halfway between z1 and z2 (z1 itself when they are
// the same), for the film of normal component xi1 at wavelength ol.
template <class R>
R thickness_of(cplx_of<R> z1, cplx_of<R> z2, R ol, R xi1) {
  const cplx_of<R> w = narrow<R>((cplx_d(z1) + cplx_d(z2)) / 2.0);
  return stored<R>(std::atan2(-double{w.im}, double{w.re}) * ol / (xi1 * real_traits<R>::four_pi));
}

}  // namespace

template <class R>
film1_result<R> film_of_either_root(const media<R>& m, const film_invariants<R>& f, R ol, R ps, R de) {
  const cplx_of<R> rho = ratio_of_psi_delta<R>(ps, de);
  const film_admittances<R> a = film_of<R>(f.xi1, m.s2);
  const phase_roots<R> z = cres_roots<R>(m.a0, a.x1, m.a2, m.b0, a.b1, m.b2, rho);
  const bool second_smaller = console::modulus(z.z2) < console::modulus(z.z1);
  const film1_result<R> first = film_at<R>(f, ol, thickness_of<R>(z.z1, z.z1, ol, f.xi1));
  const film1_result<R> second = film_at<R>(f, ol, thickness_of<R>(z.z2, z.z2, ol, f.xi1));
  const auto misfit = [&](const film1_result<R>& r) {
    const double dpsi = double{r.psa} - ps;
    const double ddelta = wrapped_delta(double{r.dea} - de);
    return dpsi * dpsi + ddelta * ddelta;
  };
  const double m1 = misfit(first);
  const double m2 = misfit(second);
  if (m2 < m1 || (m2 == m1 && second_smaller)) return second;
  return first;
}

template <class R>
film_invariants<R> film_setup(const media<R>& m, R an, R xi1) {
  const R ak = 0;
  return {an, xi1, interfaces<R>(an, ak, m.a0, m.a2, m.b0, m.b2, m.s2)};
}

template <class R>
film1_result<R> film_at(const film_invariants<R>& f, R ol, R ep) {
  film1_result<R> r{};
  r.an = f.an;
  const thickness_and_period<R> tp = thickness_period<R>(ol, f.xi1, ep);
  r.ep = tp.ep;
  r.per = tp.per;
  const stack_coefficients<R> c = stack_at<R>(f.faces, r.ep, ol);
  const psi_delta_pair<R> pd = psi_delta<R>(c.rp, c.rs);
  r.psa = pd.psi;
  r.dea = pd.delta;
  return r;
}

template <class R>
film1_result<R> film1(R ol, R phi, cplx_of<R> cn2, std::int32_t kind, R ps, R de, R an, R ep) {
  // Geometry: admittances of ambient (a0 for s, b0 for p), substrate (a2, b2) and film.
  return film1_in<R>(ambient_and_substrate<R>(phi, cn2), ol, kind, ps, de, an, ep);
}

template <class R>
film1_result<R> film1_in(const media<R>& m, R ol, std::int32_t kind, R ps, R de, R an, R ep) {
  using traits = real_traits<R>;
  film1_result<R> out{};
  const R s2 = m.s2;
  R xi1 = normal_component<R>(an, s2);

  // The final film: period, folding, Psi and Delta.
  const auto finish = [&](R thickness) { return film_at<R>(film_setup<R>(m, an, xi1), ol, thickness); };

  if (kind == 1) return finish(ep);

  if (kind == 3) {
    an = stored<R>(std::sqrt(double{xi1} * xi1 + s2));
    if constexpr (traits::thickness_root_by_fit) {
      return film_of_either_root<R>(m, film_setup<R>(m, an, xi1), ol, ps, de);
    } else {
      const cplx_of<R> z = phase_factor<R>(xi1, m, ratio_of_psi_delta<R>(ps, de));
      return finish(thickness_of<R>(z, z, ol, xi1));
    }
  }

  const index_search<R> s = search_index<R>(m, ratio_of_psi_delta<R>(ps, de), xi1, traits::search_tolerance);
  xi1 = s.xi1;
  an = stored<R>(std::sqrt(double{xi1} * xi1 + s2));
  out = finish(thickness_of<R>(s.z1, s.z2, ol, xi1));
  out.outcome = {s.converged, xi1, s.dss};
  return out;
}

template <class R>
index_search<R> search_index(const media<R>& m, cplx_of<R> rho, R xi1, double tolerance) {
  // The derivative of ln|z| is a central difference of half-step `step`.
  const double step = real_traits<R>::search_step;
  index_search<R> s{xi1, R{0}, false, {}, {}};
  for (int pass = 0; pass < real_traits<R>::search_passes && !s.converged; ++pass) {
    s.z1 = phase_factor<R>(stored<R>(s.xi1 - step), m, rho);
    s.z2 = phase_factor<R>(stored<R>(s.xi1 + step), m, rho);
    const double l1 = std::log(console::modulus(s.z1));
    const double l2 = std::log(console::modulus(s.z2));
    s.dss = stored<R>(step * (l1 + l2) / (l1 - l2));
    s.xi1 = stored<R>(double{s.xi1} + s.dss);
    s.converged = std::fabs(double{s.dss} / s.xi1) < tolerance;
  }
  return s;
}

template film_invariants<float> film_setup<float>(const media<float>&, float, float);
template film_invariants<double> film_setup<double>(const media<double>&, double, double);
template film1_result<float> film_at<float>(const film_invariants<float>&, float, float);
template film1_result<double> film_at<double>(const film_invariants<double>&, double, double);
template film1_result<float> film1<float>(float, float, cplx_of<float>, std::int32_t, float, float, float, float);
template film1_result<double> film1<double>(double, double, cplx_of<double>, std::int32_t, double, double, double,
                                            double);
template film1_result<float> film_of_either_root<float>(const media<float>&, const film_invariants<float>&, float,
                                                        float, float);
template film1_result<double> film_of_either_root<double>(const media<double>&, const film_invariants<double>&,
                                                          double, double, double);
template index_search<float> search_index<float>(const media<float>&, cplx_of<float>, float, double);
template index_search<double> search_index<double>(const media<double>&, cplx_of<double>, double, double);
template film1_result<float> film1_in<float>(const media<float>&, float, std::int32_t, float, float, float, float);
template film1_result<double> film1_in<double>(const media<double>&, double, std::int32_t, double, double, double,
                                               double);

}  // namespace ellcalc
