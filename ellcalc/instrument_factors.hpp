// Instrument factors of the rotating-compensator ellipsometer for a sample of
// s-reflectance Rs, retardance bir and analyser azimuth ana (degrees). With tau = tan Psi
// and J = tau^2 the harmonics obey
//   w2 = e tau sin Delta,
//   cos th4 H4C - sin th4 H4S = f J + h,
//   sin th4 H4C + cos th4 H4S = g tau cos Delta,
// on which both inversions rest.
//   Rs 1, bir 90, ana -45 -> e = -1, f = 0.25, g = -0.5, h = -0.25
#pragma once

namespace ellcalc {

template <class R>
struct instrument_factor_set {
  R e, f, g, h;
};

template <class R>
instrument_factor_set<R> instrument_factors(R Rs, R bir, R ana);

}  // namespace ellcalc
