#pragma once

namespace waferbow {

// The fourteen values of the stress report, in the order they are printed. Radii in m,
// moment in MN, stresses in MPa, energies in J.m-2. The neutral lines are given as
// offsets from the outer radius (the free surface of the silica).
struct stress_report {
  double radius;           // radius of curvature
  double moment;           // bending moment, external moment included
  double neutral_si;       // silicon neutral line minus radius
  double neutral_sio2;     // silica neutral line minus radius
  double stress_si_int;    // silicon stress at the interface
  double stress_si_surf;   // silicon stress at its free surface
  double stress_sio2_int;  // silica stress at the interface
  double stress_sio2_surf; // silica stress at its free surface
  double strain_si_int;
  double strain_si_surf;
  double strain_sio2_int;
  double strain_sio2_surf;
  double energy_si;        // elastic energy of the silicon
  double energy_sio2;      // elastic energy of the silica
};

}  // namespace waferbow
