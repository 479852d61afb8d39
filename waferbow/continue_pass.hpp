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
};

// The wafer of first state s once the silicon and silica are h1 and h2 thick (m) and the
// external moment t (MN) applies, seen over the diameter d (m). xs is the caller's
// persistent solution array (see regression()).
continue_prediction predict_continue_pass(const first_state& s, const double& h1, const double& h2, const double& t,
                                          const double& d, vector3& xs);

}  // namespace waferbow
