#pragma once

namespace waferbow {

// Micrometres to metres. The factor is 1E-6 held in single precision, i.e.
// 9.999999974752427E-7, and it is applied in double precision: the bow, both thicknesses
// and the external moment all go through this one stored factor. The last printed digit
// of the silicon neutral line of the default wafer depends on it (-0.3508336E-03 here,
// -0.3508337E-03 with an exact 1E-6).
inline constexpr float um = 1.0e-6f;

// Moduli are entered in units of 1E5 MPa.
inline constexpr double modulus_unit = 100000.0;

// The moduli are in MPa, so energies in MPa.m come out in J.m-2 after this factor; the
// same factor turns a bow in metres into micrometres.
inline constexpr double mega = 1000000.0;

}  // namespace waferbow
