#include "ellcalc/film_fit.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <numbers>

#include "ellcalc/cres.hpp"
#include "ellcalc/fit_model.hpp"
#include "ellcalc/inversion.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"

namespace ellcalc {

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kept = 4;  // candidates refined
// A candidate whose chi2 exceeds the best one's by more than this per measurement (ten
// sigmas on each value) is not worth refining.
constexpr double worth_per_measurement = 100.0;
// Candidate indices closer than this to one already taken add no candidate the refinement
// would not reach from it.
constexpr double same_index = 0.02;
// The candidate indices are starts that the refinement corrects: their search stops at this
// relative correction of the film's normal component.
constexpr double index_settled = 1e-4;
constexpr double step_t = 1e-4;  // nm, step of the thickness derivative
constexpr double step_n = 1e-6;  // step of the index derivative

// The solution of the damped normal equations (A + lambda diag(A)) d = -g, p = 1 or 2;
// false when singular.
bool solve(int p, const double a[2][2], const double g[2], double lambda, double d[2]) {
  const double a00 = a[0][0] * (1 + lambda), a11 = a[1][1] * (1 + lambda);
  if (p == 1) {
    if (!(a00 > 0)) return false;
    d[0] = -g[0] / a00;
    d[1] = 0;
    return std::isfinite(d[0]);
  }
  const double det = a00 * a11 - a[0][1] * a[1][0];
  if (!(det > 0) || !std::isfinite(det)) return false;
  d[0] = -(a11 * g[0] - a[0][1] * g[1]) / det;
  d[1] = -(a00 * g[1] - a[1][0] * g[0]) / det;
  return std::isfinite(d[0]) && std::isfinite(d[1]);
}

// The index of the transparent film that measurement x gives alone, from the start n0: kind
// 4's search, to index_settled; NaN when it does not settle within kind 4's passes.
double index_alone(const media<double>& m, const fit_measurement& x, double n0) {
  const index_search<double> s =
      search_index<double>(m, ratio_of_psi_delta<double>(x.ps, x.de), normal_component<double>(n0, m.s2), index_settled);
  return s.converged ? std::sqrt(s.xi1 * s.xi1 + m.s2) : nan;
}

}  // namespace

void film_fitter::set_index(const std::vector<fit_measurement>& ms, double n, bool per_measurement_index,
                            bool slopes) {
  if (n == index_ && (index_slopes_ || !slopes)) return;  // as the last call left them
  index_ = n;
  index_slopes_ = slopes;
  for (std::size_t k = 0; k < ms.size(); ++k) {
    const double an = per_measurement_index ? ms[k].an : n;
    if (stacked_) {
      stacks_[k * depth_].index = {an, ms[k].ak};
      continue;
    }
    model& md = models_[k];
    if (md.an != an) {
      md.an = an;
      md.f = film_setup<double>(md.m, an, normal_component<double>(an, md.m.s2));
    }
    if (slopes && md.dn_an != an) {
      md.dn_an = an;
      md.dn = interface_slopes_of(md.m, an);
    }
  }
}

film_fitter::angles film_fitter::model_at(const fit_measurement& x, std::size_t k, double t) {
  if (stacked_) {
    stack_layer<double>* film = stacks_.data() + k * depth_;
    film->thickness = t;
    const stack_result<double> r =
        stack_reflection<double>(std::span<const stack_layer<double>>(film, depth_), x.cn2, x.ol, x.phi);
    return {r.psi, r.delta};
  }
  const film_reflection r = film_reflection_at(models_[k].f, x.ol, t);
  return {psi_of(r), delta_of(r)};
}

double film_fitter::chi2_at(const std::vector<fit_measurement>& ms, double t, double n, bool per_measurement_index,
                            double bound, std::size_t first, bool slopes) {
  slopes = slopes && !stacked_;
  set_index(ms, n, per_measurement_index, slopes && !per_measurement_index);
  double chi2 = 0;
  for (std::size_t i = 0; i < ms.size() && !(chi2 > bound); ++i) {
    const std::size_t k = (first + i) % ms.size();
    const fit_measurement& x = ms[k];
    angles r{};
    film_reflection f{};
    if (stacked_) {
      r = model_at(x, k, t);
    } else {
      f = film_reflection_at(models_[k].f, x.ol, t);
      r.psi = psi_of(f);
    }
    const double a = (r.psi - x.ps) / x.sigma_psi;
    // The terms are not negative: a sum past the bound with Psi's alone stays past it.
    if (chi2 + a * a > bound) return chi2 + a * a;
    if (!stacked_) r.delta = delta_of(f);
    const double b = wrapped_delta(r.delta - x.de) / x.sigma_delta;
    res_[2 * k] = a;
    res_[2 * k + 1] = b;
    chi2 += a * a + b * b;
    if (slopes) {
      const film_slopes d = film_slopes_of(models_[k].f, per_measurement_index ? nullptr : &models_[k].dn, x.ol, f);
      jac_[4 * k] = d.psi_t / x.sigma_psi;
      jac_[4 * k + 1] = d.psi_n / x.sigma_psi;
      jac_[4 * k + 2] = d.delta_t / x.sigma_delta;
      jac_[4 * k + 3] = d.delta_n / x.sigma_delta;
    }
  }
  return chi2;
}

void film_fitter::jacobian(const std::vector<fit_measurement>& ms, double t, double n, bool per_measurement_index,
                           int p) {
  if (!stacked_) return;  // chi2_at took the model's own derivatives
  base_.assign(res_.begin(), res_.end());
  const double t2 = t + step_t;
  chi2_at(ms, t2, n, per_measurement_index);
  for (std::size_t i = 0; i < res_.size(); ++i) jac_[2 * i] = (res_[i] - base_[i]) / (t2 - t);
  if (p == 2) {
    chi2_at(ms, t, n + step_n, per_measurement_index);
    for (std::size_t i = 0; i < res_.size(); ++i) jac_[2 * i + 1] = (res_[i] - base_[i]) / step_n;
  }
  res_.assign(base_.begin(), base_.end());
}

void film_fitter::offer(const std::vector<fit_measurement>& ms, double t, double n, bool fixed_each, double apart,
                        std::size_t first) {
  // A candidate no better than the worst kept one is neither kept nor replaces one, and
  // one not worth refining beside the best so far never will be: its sum is not taken
  // further once it is past either.
  constexpr double inf = std::numeric_limits<double>::infinity();
  double worst = best_.size() == kept ? 0.0 : inf, margin = inf;
  for (const candidate& b : best_) {
    if (best_.size() == kept) worst = std::max(worst, b.chi2);
    margin = std::min(margin, b.chi2 + worth_per_measurement * static_cast<double>(ms.size()));
  }
  const candidate c{chi2_at(ms, t, n, fixed_each, std::min(worst, margin), first), t, n};
  if (!std::isfinite(c.chi2) || c.chi2 >= worst || c.chi2 > margin) return;
  for (candidate& b : best_) {
    if (std::fabs(b.t - c.t) < apart) {
      if (c.chi2 < b.chi2) b = c;
      return;
    }
  }
  if (best_.size() < kept) {
    best_.push_back(c);
    return;
  }
  *std::max_element(best_.begin(), best_.end(),
                    [](const candidate& x, const candidate& y) { return x.chi2 < y.chi2; }) = c;
}

// The thickness period of measurement x's film at index n (or its own): the wavelength
// over twice the real part of the film's normal wave-vector component; infinite when
// that is zero, NaN when a value is.
static double period_of(const fit_measurement& x, double n, bool fixed_each) {
  const double an = fixed_each ? x.an : n;
  const double s = std::sin(x.phi * (std::numbers::pi / 180));
  const std::complex<double> index(an, x.ak);
  const double xi = std::sqrt(index * index - s * s).real();
  if (std::isnan(xi) || std::isnan(x.ol)) return nan;
  return xi > 0 ? x.ol / (2 * xi) : std::numeric_limits<double>::infinity();
}

void film_fitter::offer_orders(const std::vector<fit_measurement>& ms, const film_fit_options& o, double t,
                               double per, double n, bool fixed_each, double apart, std::size_t first,
                               bool& complete) {
  const double orders = std::floor((o.max_thickness - t) / per);
  if (!(orders >= 0)) return;
  if (orders > film_fit_options::max_orders) complete = false;
  const int last = static_cast<int>(std::min<double>(orders, film_fit_options::max_orders));
  for (int j = 0; j <= last; ++j) offer(ms, t + j * per, n, fixed_each, apart, first);
}

// The film alone: every order up to max_thickness of each measurement's thickness.
void film_fitter::scan_orders(const std::vector<fit_measurement>& ms, const film_fit_options& o, double n,
                              bool fixed_each, double apart, bool& complete) {
  offer(ms, 0.0, n, fixed_each, apart);  // sets each measurement's film up at n
  for (std::size_t k = 0; k < ms.size(); ++k) {
    const fit_measurement& x = ms[k];
    const film1_result<double> r = film_of_either_root<double>(models_[k].m, models_[k].f, x.ol, x.ps, x.de);
    if (!std::isfinite(r.ep) || !(r.per > 0) || !std::isfinite(r.per)) continue;
    offer_orders(ms, o, r.ep, r.per, n, fixed_each, apart, k + 1, complete);
  }
}

// An absorbing film: the thicknesses each measurement gives at both roots of the
// phase-factor quadratic (the film's normal component complex), in every order up to
// max_thickness; the model, the stack.
void film_fitter::scan_absorbing(const std::vector<fit_measurement>& ms, const film_fit_options& o, double n,
                                 bool fixed_each, double apart, bool& complete) {
  offer(ms, 0.0, n, fixed_each, apart);
  for (std::size_t k = 0; k < ms.size(); ++k) {
    const fit_measurement& x = ms[k];
    const media<double>& m = models_[k].m;
    const console::cplx_d index{fixed_each ? x.an : n, x.ak};
    const console::cplx_d x1 = console::csqrt<double>(index * index - m.s2);
    const console::cplx_d b1 = index * index / x1;
    if (!(x1.re > 0) || !std::isfinite(x1.re)) continue;
    const double per = x.ol / (2 * x1.re);
    const phase_roots<double> z = cres_roots<double>(m.a0, x1, m.a2, m.b0, b1, m.b2, ratio_of_psi_delta<double>(x.ps, x.de));
    for (const console::cplx_d root : {z.z1, z.z2}) {
      double t = std::atan2(-root.im, root.re) * x.ol / (x1.re * real_traits<double>::four_pi);
      if (t < 0) t += per;
      if (std::isfinite(t)) offer_orders(ms, o, t, per, n, fixed_each, apart, k + 1, complete);
    }
  }
}

film_fit_result film_fitter::fit(const std::vector<fit_measurement>& ms, const film_fit_options& o,
                                 std::span<const stack_layer<double>> under, std::size_t layers) {
  film_fit_result out{nan, nan, nan, nan, nan, nan, false, false};
  const std::size_t m = ms.size();
  if (m == 0) return out;
  const bool fixed_each = !o.fit_index;  // each measurement's own index
  const int p = o.fit_index ? 2 : 1;
  models_.resize(m);
  res_.resize(2 * m);
  jac_.resize(4 * m);
  best_.clear();
  // A transparent film is the single-film model on the media seen on top of its known
  // layers; an absorbing one, the stack.
  if (under.size() != layers * m) return out;
  stacked_ = std::any_of(ms.begin(), ms.end(), [](const fit_measurement& x) { return x.ak != 0; });
  depth_ = layers + 1;
  stacks_.resize(stacked_ ? depth_ * m : 0);
  index_ = nan;
  for (std::size_t k = 0; k < m; ++k) {
    const fit_measurement& x = ms[k];
    const std::span<const stack_layer<double>> beneath = under.subspan(k * layers, layers);
    models_[k].m = layers > 0 ? stack_media<double>(beneath, x.cn2, x.ol, x.phi)
                              : ambient_and_substrate<double>(x.phi, x.cn2);
    models_[k].an = models_[k].dn_an = nan;  // nothing set up yet
    if (stacked_) {
      stacks_[k * depth_] = {{x.an, x.ak}, 0.0};
      std::copy(beneath.begin(), beneath.end(), stacks_.begin() + static_cast<std::ptrdiff_t>(k * depth_ + 1));
    }
  }
  const auto clamp_n = [&](double n) { return std::clamp(n, o.index_low, o.index_high); };
  const auto clamp_t = [&](double t) { return std::clamp(t, 0.0, o.max_thickness); };

  // The candidate indices: the start, and when fitted what a few measurements give alone.
  double indices[4];
  int n_indices = 0;
  const double n0 = o.fit_index ? clamp_n(ms[0].an) : ms[0].an;
  indices[n_indices++] = n0;
  if (o.fit_index) {
    const std::size_t picks[3] = {0, m / 2, m - 1};
    for (std::size_t i = 0; i < 3; ++i) {
      if (i > 0 && picks[i] == picks[i - 1]) continue;
      const fit_measurement& x = ms[picks[i]];
      const double an = index_alone(models_[picks[i]].m, x, n0);
      if (!(an >= o.index_low && an <= o.index_high)) continue;
      bool known = false;
      for (int j = 0; j < n_indices; ++j) known = known || std::fabs(indices[j] - an) < same_index;
      if (!known) indices[n_indices++] = an;
    }
  }

  // The candidate thicknesses at each candidate index; "apart": a tenth of the shortest
  // period, the distance beyond which two minima are distinct.
  bool complete = true;
  double shortest = std::numeric_limits<double>::infinity();
  for (std::size_t k = 0; k < m; ++k) {
    const double per = period_of(ms[k], n0, fixed_each);
    if (per > 0) shortest = std::min(shortest, per);
  }
  // A film with no period (evanescent): minima a tenth of the range apart.
  const double apart = 0.1 * (std::isfinite(shortest) ? shortest : o.max_thickness);
  for (int i = 0; i < n_indices; ++i) {
    if (stacked_) {
      scan_absorbing(ms, o, indices[i], fixed_each, apart, complete);
    } else {
      scan_orders(ms, o, indices[i], fixed_each, apart, complete);
    }
  }
  if (best_.empty()) return out;

  // Levenberg-Marquardt from each kept candidate.
  struct refined {
    double chi2, t, n;
    bool settled;
    double a[2][2];  // J^T J there
  };
  refined found[kept]{};
  std::size_t n_found = 0;
  double a[2][2] = {}, g[2] = {};
  // chi2 at (t, n), the residuals r and for a film alone their Jacobian J left in res_ and
  // jac_.
  const auto chi2_of = [&](double t, double n) {
    return chi2_at(ms, t, n, fixed_each, std::numeric_limits<double>::infinity(), 0, true);
  };
  // A = J^T J and g = J^T r where chi2_of was last taken, (t, n).
  const auto normal_equations = [&](double t, double n) {
    jacobian(ms, t, n, fixed_each, p);
    a[0][0] = a[0][1] = a[1][0] = a[1][1] = g[0] = g[1] = 0;
    for (std::size_t i = 0; i < 2 * m; ++i) {
      const double j0 = jac_[2 * i], j1 = p == 2 ? jac_[2 * i + 1] : 0.0;
      a[0][0] += j0 * j0;
      a[0][1] += j0 * j1;
      a[1][1] += j1 * j1;
      g[0] += j0 * res_[i];
      g[1] += j1 * res_[i];
    }
    a[1][0] = a[0][1];
  };
  // The best candidate first; those far worse than it are not worth refining.
  std::sort(best_.begin(), best_.end(), [](const candidate& x, const candidate& y) { return x.chi2 < y.chi2; });
  const double worth = best_.front().chi2 + worth_per_measurement * static_cast<double>(m);
  for (const candidate& c : best_) {
    if (c.chi2 > worth) break;
    double t = clamp_t(c.t), n = c.n;
    double chi2 = chi2_of(t, n);
    normal_equations(t, n);
    double lambda = 1e-6;
    bool settled = false;
    for (int pass = 0; pass < film_fit_options::passes && !settled && std::isfinite(chi2); ++pass) {
      bool moved = false;
      for (int tries = 0; tries < 30 && !moved; ++tries, lambda *= 10) {
        double d[2];
        if (!solve(p, a, g, lambda, d)) continue;
        const double t_new = clamp_t(t + d[0]);
        const double n_new = p == 2 ? clamp_n(n + d[1]) : n;
        // A step too small to matter: settled where chi2 and A were taken.
        settled = std::fabs(t_new - t) <= 1e-8 * std::max(1.0, t) && std::fabs(n_new - n) <= 1e-10;
        if (settled) break;
        const double c_new = chi2_of(t_new, n_new);
        if (!(c_new <= chi2)) continue;
        t = t_new;
        n = n_new;
        chi2 = c_new;
        normal_equations(t, n);
        moved = true;
        lambda = std::max(lambda / 100, 1e-12);
      }
      // No step lowers chi2, however damped: a minimum to rounding (or on a bound).
      if (!moved) settled = true;
    }
    found[n_found++] = {chi2, t, n, settled, {{a[0][0], a[0][1]}, {a[1][0], a[1][1]}}};
  }
  if (n_found == 0) return out;
  std::size_t b = 0;
  for (std::size_t i = 1; i < n_found; ++i)
    if (found[i].chi2 < found[b].chi2 || !std::isfinite(found[b].chi2)) b = i;
  const refined& best = found[b];
  if (!std::isfinite(best.chi2)) return out;
  for (std::size_t i = 0; i < n_found; ++i)
    if (i != b && std::fabs(found[i].t - best.t) > apart && found[i].chi2 - best.chi2 < 1.0 + p)
      out.ambiguous = true;

  // The covariance at the best minimum, and its measurements' residuals.
  std::copy(&best.a[0][0], &best.a[0][0] + 4, &a[0][0]);
  if (p == 1) {
    out.sigma_thickness = a[0][0] > 0 ? std::sqrt(1 / a[0][0]) : std::numeric_limits<double>::infinity();
  } else {
    const double det = a[0][0] * a[1][1] - a[0][1] * a[1][0];
    const bool ok = det > 0 && std::isfinite(det);
    out.sigma_thickness = ok ? std::sqrt(a[1][1] / det) : std::numeric_limits<double>::infinity();
    out.sigma_index = ok ? std::sqrt(a[0][0] / det) : std::numeric_limits<double>::infinity();
  }
  set_index(ms, best.n, fixed_each);
  double worst = 0;
  for (std::size_t k = 0; k < m; ++k) {
    const angles r = model_at(ms[k], k, best.t);
    const double e = residual<double>(r.psi, r.delta, ms[k].ps, ms[k].de);
    if (std::isnan(e) || e > worst) worst = std::isnan(worst) ? worst : e;
  }
  out.thickness = best.t;
  out.film_index = o.fit_index ? best.n : ms[0].an;
  out.chi2 = best.chi2;
  out.residual = worst;
  out.converged = best.settled && complete;
  return out;
}

}  // namespace ellcalc
