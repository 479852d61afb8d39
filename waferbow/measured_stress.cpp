#include "waferbow/measured_stress.hpp"

#include <cmath>

#include "waferbow/first_calculation.hpp"
#include "waferbow/prediction.hpp"
#include "waferbow/units.hpp"

namespace waferbow {

namespace {

// Relative step of the central differences: the cube root of the double epsilon, which
// balances the rounding of the differences against the curvature of the function.
constexpr double relative_step = 6.0554544523933395e-6;

// The central difference of film_stress in the member `value` of w, by the step h.
double slope(const measured_wafer& w, double measured_wafer::*value, const double& h) {
  measured_wafer up = w;
  measured_wafer down = w;
  up.*value += h;
  down.*value -= h;
  return (film_stress(up) - film_stress(down)) / ((up.*value - w.*value) + (w.*value - down.*value));
}

}  // namespace

double film_radius(const double& f, const double& f0, const double& d) {
  const double rad = radius_of_bow(f, d);
  if (f0 == 0) return rad;
  return 1 / (1 / rad - 1 / radius_of_bow(f0, d));
}

double bow_with_initial(const double& rad, const double& f0, const double& d) {
  const double curvature = 1 / rad + (f0 == 0 ? 0.0 : 1 / radius_of_bow(f0, d));
  if (curvature == 0) return 0.0;
  return sagitta(1 / curvature, d) * mega;
}

double stoney_stress(const double& e1, const double& h1, const double& h2, const double& rad) {
  return -(e1 * h1 * h1) / (6 * h2 * rad);
}

double film_stress(const measured_wafer& w) {
  first_state s{};
  stress_report r{};
  first_calculation_at(film_radius(w.bow, w.initial_bow, w.diameter), w.silicon, w.silica, w.modulus_si,
                       w.modulus_sio2, w.moment, s, r);
  return (r.stress_sio2_int + r.stress_sio2_surf) / 2;
}

double film_stress_sigma(const measured_wafer& w, const measurement_sigma& u) {
  if (!std::isfinite(film_stress(w))) return std::nan("");
  const double bow_scale = std::fmax(std::fabs(w.bow), std::fabs(w.initial_bow));
  struct term {
    double measured_wafer::*value;
    double sigma;
    double scale;
  };
  const term terms[] = {
      {&measured_wafer::bow, u.bow, bow_scale},
      {&measured_wafer::initial_bow, u.initial_bow, bow_scale},
      {&measured_wafer::silicon, u.silicon, std::fabs(w.silicon)},
      {&measured_wafer::silica, u.silica, std::fabs(w.silica)},
      {&measured_wafer::modulus_si, u.modulus_si, std::fabs(w.modulus_si)},
  };
  double variance = 0.0;
  for (const term& t : terms) {
    if (t.sigma == 0) continue;
    const double contribution = slope(w, t.value, relative_step * t.scale) * t.sigma;
    variance += contribution * contribution;
  }
  return std::sqrt(variance);
}

}  // namespace waferbow
