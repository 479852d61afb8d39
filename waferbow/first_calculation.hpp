#pragma once

#include "waferbow/stress_report.hpp"

namespace waferbow {

// The state of the measured wafer that the continue passes start from.
struct first_state {
  double e1;  // E/(1-NU) of silicon, MPa
  double e2;  // E/(1-NU) of silica, MPa
  double c1;  // mid-plane radius of the silicon, m
  double c2;  // mid-plane radius of the silica, m
  double r1;  // neutral line of the silicon, m
  double r2;  // neutral line of the silica, m
};

// Radius, bending moment, neutral lines, strains, stresses and energies of a wafer from
// its bow f (um) over the diameter d (m), the silicon and silica thicknesses d1, d2 (um),
// the moduli p1, p2 (1E5 MPa) and the external moment t (MN). The silica lies on the
// convex side, its free surface at the radius of curvature.
//   first_calculation(10, 0.1f, 525, 1, 2.28f, 0.863f, 0, s, r)
//     -> r.radius = 125.000, r.moment = 0.3148110E-01, r.neutral_si = -0.3508336E-03
// A zero bow gives an infinite radius and values that are infinite or not a number.
void first_calculation(const double& f, const double& d, const double& d1, const double& d2, const double& p1,
                       const double& p2, const double& t, first_state& s, stress_report& r);

// The radius of curvature (m) of a bow f (um) over the diameter d (m): the circle through
// the sagitta and the ends of the chord. Infinite for a zero bow, negative for a negative
// one.
//   radius_of_bow(10, 0.1f) -> 125.000
double radius_of_bow(const double& f, const double& d);

// The first calculation from the radius of curvature rad (m) instead of a bow:
// first_calculation is this at radius_of_bow(f, d).
void first_calculation_at(const double& rad, const double& d1, const double& d2, const double& p1, const double& p2,
                          const double& t, first_state& s, stress_report& r);

}  // namespace waferbow
