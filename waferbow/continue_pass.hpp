#pragma once

#include <cstdint>
#include <vector>

#include "waferbow/first_calculation.hpp"
#include "waferbow/gaus3.hpp"
#include "waferbow/regression.hpp"
#include "waferbow/stress_report.hpp"

namespace waferbow {

// Everything a continue pass reports.
struct continue_prediction {
  std::int32_t regressions;           // Newton steps done, as printed
  regression_result g;                // the trace values (x, c4, y, z, w, wx)
  double bow;                         // predicted bow, um
  stress_report report;               // of the predicted state
  std::vector<solver_event> events;   // unfinished solver steps, in the order they happened
  bool settled;                       // ended on the state connected to the first one
};

// The wafer of first state s once the silicon and silica are h1 and h2 thick (m) and the
// external moment t (MN) applies, seen over the diameter d (m). xs is the caller's
// persistent solution array (see regression()).
//
// The Newton steps start from the first state. When they end on the state connected to
// it (the same misfit between the layers, see continue_pass.cpp), that is the result, as
// the regression found it. When they reach the mirror state, stop at their limit, meet a
// NaN, or end on a nearly flat state that only meets the energy, the pass is solved again
// by continuation: the count then adds the steps of every stage (at most 80000 more, so it
// stays within 90000) and the events are those of the stages that led to the state. When
// no connected state is found this way either, the result of the Newton steps stands, xs
// is as they left it, and settled is false. settled is true when the result is a state
// connected to the first one that meets the three conditions (see connected_state in
// continue_pass.cpp), however many steps it took.
//   default wafer, silica 1 -> 0.5 um, t = 0  -> 56 regressions, bow 5.006 um (unchanged)
//   bow 1.165 um over 0.15 m, 704.846 um under 0.0136 um (moduli 1.805, 0.863), to
//   713.719 and 0.0043 um, t = 0 -> bow 0.359 um after 69 regressions (the Newton steps
//   alone: -0.359 um, the mirror, after 19)
continue_prediction predict_continue_pass(const first_state& s, const double& h1, const double& h2, const double& t,
                                          const double& d, vector3& xs);

// The layer thicknesses (m) of the first calculation that made s, found back from its
// radii (to rounding).
void first_thicknesses(const first_state& s, double& h1, double& h2);

}  // namespace waferbow
