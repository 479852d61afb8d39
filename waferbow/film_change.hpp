#pragma once

#include "waferbow/continue_pass.hpp"
#include "waferbow/first_calculation.hpp"
#include "waferbow/gaus3.hpp"

namespace waferbow {

// A pass to new thicknesses as the Python package reports it.
struct film_change {
  continue_prediction pass;  // the continue pass, or the bare wafer
  double stress_stoney;      // Stoney's film stress at the pass's radius, MPa; NaN without film
};

// The wafer left without silica: the silicon alone, h1 thick (m), of the modulus of s,
// bent by the external moment m (MN) alone about its mid-plane (its neutral line there),
// seen over the diameter d (m) from the bare wafer's bow f0 (um). The report has no
// silica: its neutral line, stresses and strains are NaN and its energy 0. The bending
// moment is the report's (the moment plus the lever term (c4 - x) a, here a h1 / 2, that
// the report of a film thinning to nothing tends to). With no moment the wafer is flat:
// an infinite radius, no strain, and the bow f0. No Newton step is taken: the count is 0,
// there are no events, and the pass is settled unless the curvature or the moment is
// not finite.
continue_prediction bare_wafer(const first_state& s, const double& h1, const double& m, const double& d,
                               const double& f0);

// Below this fraction of its first thickness a film whose pass cannot settle counts as
// gone: its bending is then a few tenths of a per cent of the first state's at most, while
// the Newton steps and the stages fail on the strains that the energy condition asks of a
// vanishing layer.
inline constexpr double vanishing_film = 1.0e-3;

// The continue pass of the first state s to the thicknesses h1, h2 (m) under the moment t
// (MN), seen over the diameter d (m), from a bare wafer of bow f0 (um):
// - predict_continue_pass to the bit, the dialogue's pass, when f0 = 0 and the film is
//   not gone;
// - the bare wafer (bare_wafer) when the silica is 0, or when the pass does not settle
//   and the silica is positive but below vanishing_film of its first thickness;
// - with f0 other than 0, the bow of the result is that of the film's bending added to the
//   bare wafer's curvature (bow_with_initial); the report stays the film's.
film_change predict_film_change(const first_state& s, const double& h1, const double& h2, const double& t,
                                const double& d, const double& f0, vector3& xs);

}  // namespace waferbow
