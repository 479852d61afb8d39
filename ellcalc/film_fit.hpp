// The fit of one film to several measurements of the same site (angles and/or
// wavelengths), in double: the thickness (and, when asked, one film index for all the
// measurements) that minimise
//   chi2 = sum_k ((psa_k - ps_k) / sigma_psi_k)^2 + (wrap(dea_k - de_k) / sigma_delta_k)^2,
// Delta's difference taken into [-180, 180].
//
// Global over the thickness in [0, max_thickness] and the index in [index_low,
// index_high]: the candidates are the thicknesses each measurement gives alone (film1
// kind 3, the folded thickness and every order up to max_thickness), at the start index
// and, when the index is fitted, at the index each measurement gives alone (film1 kind 4);
// the few best distinct candidates are refined by Levenberg-Marquardt (central-difference
// Jacobian) and the best refined minimum is kept. Its covariance is (J^T W J)^-1, not
// scaled by chi2: the sigmas are those the given noise implies.
//
// ambiguous: another refined minimum, at a thickness distinct from the best one's (more
// than a tenth of the shortest period away), has a chi2 within 1 + (number of free
// parameters) of the best: the measurements cannot tell the two films apart.
// converged: the best minimum's refinement settled (relative step below 1e-10) within
// its passes, and the candidate scan was complete (at most max_orders orders per
// measurement). Every loop is bounded: NaN or infinite measurements give NaN results,
// converged false.
//   one measurement 632.8 nm, 70 deg, (3.866, -0.028), index 1.5, Psi/Delta of 100 nm,
//   max_thickness 2000 -> thickness 100, ambiguous (100 + k 270.62 fit as well)
#pragma once

#include <cstddef>
#include <vector>

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/media.hpp"

namespace ellcalc {

// One measurement: wavelength ol (nm), angle phi (degrees), substrate index cn2 (n - ik),
// film index an (its start when the index is fitted), Psi ps and Delta de (degrees) and
// their standard deviations (degrees, positive).
struct fit_measurement {
  double ol, phi;
  console::cplx_d cn2;
  double an, ps, de, sigma_psi, sigma_delta;
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
  film_fit_result fit(const std::vector<fit_measurement>& ms, const film_fit_options& o);

 private:
  struct model {
    media<double> m;
    film_invariants<double> f;
    double an = 0;  // the index f was set up for
  };
  struct candidate {
    double chi2, t, n;
  };
  double chi2_at(const std::vector<fit_measurement>& ms, double t, double n, bool per_measurement_index);
  void set_index(const std::vector<fit_measurement>& ms, double n, bool per_measurement_index);
  void offer(candidate c, double apart);

  std::vector<model> models_;
  std::vector<double> res_;  // weighted residuals, 2 per measurement
  std::vector<double> jac_;  // their Jacobian, 2 columns
  std::vector<candidate> best_;
};

}  // namespace ellcalc
