#pragma once

#include "waferbow/first_calculation.hpp"
#include "waferbow/regression.hpp"
#include "waferbow/stress_report.hpp"

namespace waferbow {

// Sagitta (m) of a circle of radius rad over the chord d (m): the root of
// s^2 - 2 rad s + d^2/4 = 0 on the side of the centre. A radius below half the chord has
// no real sagitta and gives NaN; a negative radius gives a negative sagitta.
//   sagitta(125.0, 0.1) -> 1.0E-5
double sagitta(const double& rad, const double& d);

// The predicted wafer after a regression: its stress report and its bow (um) over the
// diameter d (m), with the new thicknesses h1, h2 (m) and the external moment m (MN).
void predicted_state(const first_state& s, const double& h1, const double& h2, const double& m, const double& d,
                     const regression_result& g, double& bow, stress_report& r);

}  // namespace waferbow
