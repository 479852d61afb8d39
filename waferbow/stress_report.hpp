#pragma once

#include <array>

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

// The report's values by name, with their units ("" for a strain), in the order they are
// printed: the one list the dialogue's report, the Python package and the tests take them
// from.
struct stress_field {
  const char* name;
  double stress_report::*member;
  const char* unit;
};

inline constexpr std::array<stress_field, 14> stress_fields{{
    {"radius", &stress_report::radius, "m"},
    {"bending_moment", &stress_report::moment, "MN"},
    {"neutral_line_si", &stress_report::neutral_si, "m"},
    {"neutral_line_sio2", &stress_report::neutral_sio2, "m"},
    {"stress_si_interface", &stress_report::stress_si_int, "MPa"},
    {"stress_si_surface", &stress_report::stress_si_surf, "MPa"},
    {"stress_sio2_interface", &stress_report::stress_sio2_int, "MPa"},
    {"stress_sio2_surface", &stress_report::stress_sio2_surf, "MPa"},
    {"strain_si_interface", &stress_report::strain_si_int, ""},
    {"strain_si_surface", &stress_report::strain_si_surf, ""},
    {"strain_sio2_interface", &stress_report::strain_sio2_int, ""},
    {"strain_sio2_surface", &stress_report::strain_sio2_surf, ""},
    {"energy_si", &stress_report::energy_si, "J.m-2"},
    {"energy_sio2", &stress_report::energy_sio2, "J.m-2"},
}};

}  // namespace waferbow
