// The fit of one film to several measurements of the same site (angles and/or
// wavelengths), in double: the thickness (and, when asked, one film index for all the
// measurements) that minimise
//   chi2 = sum_k ((psa_k - ps_k) / sigma_psi_k)^2 + (wrap(dea_k - de_k) / sigma_delta_k)^2,
// Delta's difference taken into [-180, 180].
//
// Global over the thickness in [0, max_thickness] and the index in [index_low,
// index_high]: the candidates are the thicknesses each measurement gives alone (film1
// kind 3, the folded thickness and every order up to max_thickness), at the start index
// and, when the index is fitted, at the index each measurement gives alone (film1 kind 4's
// search, stopped at a relative correction of 1e-4: a start the refinement corrects);
// the few best distinct candidates are refined by Levenberg-Marquardt and the best refined
// minimum is kept. The Jacobian is the model's own derivatives for a film alone (fit_model),
// forward differences for the stack. The covariance is (J^T W J)^-1 at the minimum, not
// scaled by chi2: the sigmas are those the given noise implies.
//
// ambiguous: another refined minimum, at a thickness distinct from the best one's (more
// than a tenth of the shortest period away), has a chi2 within 1 + (number of free
// parameters) of the best: the measurements cannot tell the two films apart.
// converged: the best minimum's refinement settled (its next step below 1e-8 relative, or
// no step lowering chi2) within its passes, and the candidate scan was complete (at most
// max_orders orders per measurement). Every loop is bounded: NaN or infinite measurements
// give NaN results, converged false.
//
// A film over known layers (`under`) is the same model on the media seen on top of the
// layers (stack_media): its candidates are found the same way. An absorbing film's model
// is the stack of layers (stack_reflection); its candidate thicknesses come from both
// roots of the same phase-factor quadratic with the film's complex normal component, in
// every order up to max_thickness. The candidate indices
// when the index is fitted are those of a transparent film (film1 kind 4), starting
// points which the refinement corrects: the fitted index is the real part, the film
// keeps its extinction.
//   one measurement 632.8 nm, 70 deg, (3.866, -0.028), index 1.5, Psi/Delta of 100 nm,
//   max_thickness 2000 -> thickness 100, ambiguous (100 + k 270.62 fit as well)
#pragma once

#include <cstddef>
#include <limits>
#include <span>
#include <vector>

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/fit_model.hpp"
#include "ellcalc/media.hpp"
#include "ellcalc/stack.hpp"

namespace ellcalc {

// One measurement: wavelength ol (nm), angle phi (degrees), substrate index cn2 (n - ik),
// film index an (its start when the index is fitted), Psi ps and Delta de (degrees) and
// their standard deviations (degrees, positive); ak, the film's extinction, makes its
// index an + i ak (n - ik: negative absorbs).
struct fit_measurement {
  double ol, phi;
  console::cplx_d cn2;
  double an, ps, de, sigma_psi, sigma_delta;
  double ak = 0;
};

struct film_fit_result {
  double thickness, film_index;
  double sigma_thickness, sigma_index;  // sigma_index NaN when the index is fixed
  double chi2, residual;                // residual: the largest of ellcalc::residual
  bool ambiguous, converged;
};

struct film_fit_options {
  bool fit_index = false;
  double max_thickness = 2000.0;
  double index_low = 1.0, index_high = 3.0;
  static constexpr int max_orders = 100000;  // per measurement and candidate index
  static constexpr int passes = 100;          // Levenberg-Marquardt iterations
};

// Keeps its buffers from one site to the next (one per thread).
class film_fitter {
 public:
  // under: the known layers beneath the film, from the film down, `layers` of them per
  // measurement (measurement k's at [k * layers, (k + 1) * layers)).
  film_fit_result fit(const std::vector<fit_measurement>& ms, const film_fit_options& o,
                      std::span<const stack_layer<double>> under = {}, std::size_t layers = 0);

 private:
  struct model {
    media<double> m;
    film_invariants<double> f;
    interface_slopes dn;
    double an = 0, dn_an = 0;  // the indices f and dn were set up for
  };
  struct candidate {
    double chi2, t, n;
  };
  struct angles {
    double psi, delta;
  };
  // chi2 at (t, n), summed from measurement `first` on (and round); once the sum passes
  // `bound`, the rest of it is not taken. slopes: the Jacobian of the residuals into jac_
  // as well (a film alone; the stack's comes from differences, in jacobian).
  double chi2_at(const std::vector<fit_measurement>& ms, double t, double n, bool per_measurement_index,
                 double bound = std::numeric_limits<double>::infinity(), std::size_t first = 0,
                 bool slopes = false);
  void set_index(const std::vector<fit_measurement>& ms, double n, bool per_measurement_index, bool slopes = false);
  // The Jacobian of the residuals at (t, n), where chi2_at has just left them in res_.
  void jacobian(const std::vector<fit_measurement>& ms, double t, double n, bool per_measurement_index, int p);
  // Psi and Delta of measurement k's film of thickness t (its index set by set_index).
  angles model_at(const fit_measurement& x, std::size_t k, double t);
  // Keeps the film (t, n) among the best distinct candidates if it is one. A candidate
  // found from measurement k fits it: its sum starts with the next one (first = k + 1).
  void offer(const std::vector<fit_measurement>& ms, double t, double n, bool fixed_each, double apart,
             std::size_t first = 0);
  // Offers the thicknesses t + j per (j = 0, 1, ...) up to max_thickness, their sums
  // starting at measurement `first`; at most max_orders + 1 of them, complete false when
  // there are more.
  void offer_orders(const std::vector<fit_measurement>& ms, const film_fit_options& o, double t, double per,
                    double n, bool fixed_each, double apart, std::size_t first, bool& complete);
  void scan_orders(const std::vector<fit_measurement>& ms, const film_fit_options& o, double n, bool fixed_each,
                   double apart, bool& complete);
  void scan_absorbing(const std::vector<fit_measurement>& ms, const film_fit_options& o, double n, bool fixed_each,
                      double apart, bool& complete);

  std::vector<model> models_;
  double index_ = 0;  // the index set_index last set up (with the slopes when index_slopes_)
  bool index_slopes_ = false;
  std::vector<double> res_;  // weighted residuals, 2 per measurement
  std::vector<double> base_;  // the residuals where a difference is taken
  std::vector<double> jac_;   // their Jacobian, 2 columns
  std::vector<candidate> best_;
  // The stack model: each measurement's film followed by its known layers.
  bool stacked_ = false;
  std::size_t depth_ = 0;  // layers per measurement, the film included
  std::vector<stack_layer<double>> stacks_;
};

}  // namespace ellcalc
