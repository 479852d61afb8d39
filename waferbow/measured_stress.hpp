#pragma once

namespace waferbow {

// A wafer measured as bow gauges measure it: its bow with the film and the bow of the
// bare wafer before, the film's bending being the change of curvature between them. The
// units of the dialogue: bows and thicknesses in um, the diameter in m, the moduli in
// 1E5 MPa, the external moment in MN.
struct measured_wafer {
  double bow;
  double initial_bow;
  double diameter;
  double silicon;
  double silica;
  double modulus_si;
  double modulus_sio2;
  double moment;
};

// Standard deviations of the measured values, in their units; 0 for a value taken as
// exact.
struct measurement_sigma {
  double bow;
  double initial_bow;
  double silicon;
  double silica;
  double modulus_si;
};

// Radius (m) of the film's bending: of the change of curvature from the bare wafer of bow
// f0 to the wafer of bow f (um), both over the diameter d (m), each curvature the inverse
// of radius_of_bow. With f0 = 0 it is radius_of_bow(f, d) itself, to the bit.
//   film_radius(10, 0, 0.1f) -> 125.000;  film_radius(10, -10, 0.1f) -> 62.500
double film_radius(const double& f, const double& f0, const double& d);

// Bow (um) over the diameter d (m) of a wafer that its film and moments bend to the
// radius rad (m) from the bare wafer's bow f0 (um): the sagitta of the sum of both
// curvatures, 0 for a flat wafer.
double bow_with_initial(const double& rad, const double& f0, const double& d);

// Stoney's stress (MPa) of a film h2 thick (m) on silicon h1 thick (m) of biaxial modulus
// e1 (MPa) bent to the radius rad (m), with the report's signs: a film on the convex side
// of a positive radius pushes, and is negative.
//   stoney_stress(2.28E5, 525E-6, 1E-6, 125) -> -83.8 (the bilayer's own: -83.63)
double stoney_stress(const double& e1, const double& h1, const double& h2, const double& rad);

// The film stress of the measured wafer: the mean of the silica's stresses at the
// interface and at its free surface (MPa), by the first calculation at film_radius.
double film_stress(const measured_wafer& w);

// Standard deviation (MPa) of film_stress(w) for measured values of standard deviations u,
// independent, by first-order propagation: each derivative by central differences of
// film_stress in double precision, the step a small fraction of the value's own scale
// (of the larger bow for both bows). NaN when a value with a non-zero deviation has no
// finite derivative (or a deviation is NaN); 0 when every deviation is 0 and the stress
// is finite.
double film_stress_sigma(const measured_wafer& w, const measurement_sigma& u);

}  // namespace waferbow
