#include "waferbow/continue_pass.hpp"

#include <cmath>
#include <utility>

#include "waferbow/prediction.hpp"

namespace waferbow {

namespace {

// Which of the two states a pass may land on.
//
// The three conditions fix the state only up to a mirror. Force balance ties the mean
// strains of the layers (a e1 + b e2 = 0), the moment condition ties the curvature to
// the force the silica carries and to the external moment, and the energy condition is
// quadratic in that force: for a given moment it has two roots. With no moment they are
// exact mirrors (every strain, stress and the curvature reversed); with a moment the
// mirror of the state under +M solves the conditions under -M, so a mirror state may even
// bend the same way as the first one (the default wafer under -0.05 N: the Newton steps
// give a 12.7 um bow with the silica in tension at +84 MPa, the connected state is a
// 32.6 um bow with the silica still at -83 MPa). The two roots meet where the layers fit
// together without any stress of their own, the state of least energy under that moment.
//
// What tells them apart is therefore the misfit of the layers: the silicon's strain is
// r/y - 1 at the radius r and the silica's r/z - 1, so per radian of bend the stress-free
// length of the silicon is y and that of the silica z, and (z - y)/y is the relative
// excess of the silica's own length over the silicon's. It is positive for a film that
// pushes (compressive silica), negative for one that pulls. Thinning or thickening the
// layers does not change what each layer's material would like to be, so the state
// connected to the first one keeps the sign of the first misfit, whatever the moment does
// to the bow (a moment that reverses the bow bends both layers alike and leaves the misfit
// alone); the mirror state has it reversed. Along the connected states the misfit could
// only reach zero where the two roots meet, and beyond that moment there is no state at
// all. With no moment, keeping the misfit is the same as keeping the bending direction
// and the sign of the silica stress.
int misfit_sign(const double& y, const double& z) {
  const double misfit = (z - y) / y;
  return misfit > 0 ? 1 : (misfit < 0 ? -1 : 0);  // 0 also for a NaN
}

// Whether the Newton steps ended on the state connected to the first one: the energy
// reached, a finite state that also meets the moment condition (within 1% of the bending
// moment its curvature carries; see moment_mismatch) and the first state's misfit.
bool connected_state(const first_state& s, const double& h1, const double& h2, const double& m, const int& sign,
                     const regression_result& g) {
  return energy_reached(g) && std::isfinite(g.x) && std::isfinite(g.y) && std::isfinite(g.z) &&
         moment_mismatch(s, h1, h2, m, g) < 0.01 && misfit_sign(g.y, g.z) == sign;
}

// Bounds of the solving again, so that the count stays within its five columns.
constexpr std::int32_t step_limit = 1000;        // Newton steps for one stage
constexpr std::int32_t continuation_budget = 80000;  // for all stages together
constexpr double smallest_stage = 1.0 / 4096;

// Solves the pass again by continuation: from the first state, which meets the three
// conditions with the first thicknesses under the moment that balances it, the
// thicknesses and the moment go to their new values in stages, each solved by the Newton
// steps from the state of the stage before. A stage counts only if it ends on a connected
// state (see connected_state); a stage that fails is halved, one that succeeds lets the
// next be twice as long. Small stages keep each search near the state of the stage
// before, so that it does not fall on the mirror. Returns false when no connected state
// is found within the budget, and then leaves p as it was. Otherwise p reports the last
// stage's state; its count adds the Newton steps of every stage, failed ones included, to
// those of the first search, and its events become those of the stages that led to the
// state (the failed stages and the first search found nothing to report).
bool solve_by_continuation(const first_state& s, const double& h1, const double& h2, const double& t,
                           const int& sign, vector3& xs, continue_prediction& p) {
  double h1_first = 0.0;
  double h2_first = 0.0;
  first_thicknesses(s, h1_first, h2_first);
  const double m_first = balancing_moment(s, h1_first, h2_first);
  if (!std::isfinite(h1_first) || !std::isfinite(h2_first) || !std::isfinite(m_first)) return false;

  std::int32_t done = 0;
  std::vector<solver_event> events;        // of the stages that counted
  std::vector<solver_event> stage_events;  // of the stage being solved
  regression_result at{s.c1, 0.0, s.r1, s.r2, 0.0, 0.0};  // state of the last stage reached
  double reached = 0.0;
  double stage = 1.0 / 8;
  while (reached < 1.0) {
    if (stage < smallest_stage || done > continuation_budget - step_limit) return false;
    const double next = stage < 1.0 - reached ? reached + stage : 1.0;
    const double k1h = (1 - next) * h1_first + next * h1;
    const double k2h = (1 - next) * h2_first + next * h2;
    const double km = (1 - next) * m_first + next * t;
    std::int32_t n = 0;
    regression_result g{};
    stage_events.clear();
    regression_from(s, k1h, k2h, km, at.x, at.y, at.z, step_limit, xs, n, g, stage_events);
    done += n;
    if (connected_state(s, k1h, k2h, km, sign, g)) {
      at = g;
      events.insert(events.end(), stage_events.begin(), stage_events.end());
      reached = next;
      stage *= 2;
    } else {
      stage /= 2;
    }
  }
  p.regressions += done;
  p.g = at;
  p.events = std::move(events);
  return true;
}

}  // namespace

// c2 - c1 is half the sum of the thicknesses, and the silica's neutral line fixes the
// ratio of the layer stiffnesses, (1 - c2/r2) / (c1/r1 - 1) = e1 h1 / (e2 h2).
void first_thicknesses(const first_state& s, double& h1, double& h2) {
  const double sum = 2 * (s.c2 - s.c1);
  const double stiffness_ratio = (1 - s.c2 / s.r2) / (s.c1 / s.r1 - 1);
  const double q = stiffness_ratio * s.e2 / s.e1;  // h1 / h2
  h2 = sum / (1 + q);
  h1 = sum - h2;
}

continue_prediction predict_continue_pass(const first_state& s, const double& h1, const double& h2, const double& t,
                                          const double& d, vector3& xs) {
  continue_prediction p{};
  regression(s, h1, h2, t, xs, p.regressions, p.g, p.events);
  const int sign = misfit_sign(s.r1, s.r2);
  p.settled = connected_state(s, h1, h2, t, sign, p.g);
  if (sign != 0 && !p.settled) {
    const vector3 kept = xs;
    p.settled = solve_by_continuation(s, h1, h2, t, sign, xs, p);
    if (!p.settled) xs = kept;
  }
  predicted_state(s, h1, h2, t, d, p.g, p.bow, p.report);
  return p;
}

}  // namespace waferbow
