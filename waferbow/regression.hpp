#pragma once

#include <cstdint>
#include <vector>

#include "waferbow/first_calculation.hpp"
#include "waferbow/gaus3.hpp"

namespace waferbow {

// Newton steps ("regressions") stop at this count even without convergence.
inline constexpr std::int32_t max_regressions = 10000;

// Where the Newton search ended: the new silicon mid-plane radius x, the new silica
// mid-plane radius c4, the new neutral lines y (silicon) and z (silica), the target
// energy w of the first state carried by the new layers and the energy wx reached.
struct regression_result {
  double x;
  double c4;
  double y;
  double z;
  double w;
  double wx;
};

// Finds the new geometry of the wafer once the silicon and silica are h1 and h2 thick (m)
// and the external moment m (MN) applies: forces balance, moments balance with m, and the
// elastic energy equals the first state's deformation energy in the new layers. Starts at
// the first state (c1, r1, r2) and stops when |w - wx| < w/10000 or after
// max_regressions steps; n counts the steps.
//
// xs is the caller's solution array, which persists from step to step and from call to
// call: a step that gaus3 cannot solve takes the components it did not reach from there.
// events receives, in order, every step that gaus3 could not finish (it is cleared
// first); the search goes on after each.
//   default wafer, thicknesses unchanged (525 um, 1 um), m = 0
//     -> n = 1; x, y, z equal c1, r1, r2 to the printed digits (0.1249997E+03 ...)
void regression(const first_state& s, const double& h1, const double& h2, const double& m, vector3& xs,
                std::int32_t& n, regression_result& res, std::vector<solver_event>& events);

// Whether the search stopped on its energy test (|w - wx| < w/10000) rather than at its
// limit; never for a NaN energy.
bool energy_reached(const regression_result& g);

// How far the state g leaves the moment condition unmet under the moment m, relative to
// the bending moment its curvature carries (the bending stiffness of both layers about
// their own mid-planes over the radius x): about 1E-9 where the Newton steps converged.
// Nearly flat states can meet the energy test while this is huge: with radii of 1E11 m
// the terms of the moment condition are large and cancel, and the energy hardly depends
// on the curvature.
double moment_mismatch(const first_state& s, const double& h1, const double& h2, const double& m,
                       const regression_result& g);

// The external moment (MN) under which the first state s is itself in balance once its
// layers are h1 and h2 thick: with the thicknesses of its first calculation (and no
// external moment there) this is zero up to rounding, so s solves the three conditions.
double balancing_moment(const first_state& s, const double& h1, const double& h2);

// The same Newton steps started at (x0, y0, z0) instead of the first state, at most
// limit of them; n counts the steps and events the unfinished ones, appended.
// regression() is regression_from(c1, r1, r2, max_regressions) with events cleared.
void regression_from(const first_state& s, const double& h1, const double& h2, const double& m, const double& x0,
                     const double& y0, const double& z0, const std::int32_t& limit, vector3& xs, std::int32_t& n,
                     regression_result& res, std::vector<solver_event>& events);

}  // namespace waferbow
