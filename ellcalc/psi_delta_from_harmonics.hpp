// Psi and Delta (degrees) back from the harmonics H2C, H2S, H4C, H4S of a sample of known
// s-reflectance Rs, with the instrument angles pol, bir, rot, ref, ana (degrees). The
// inverse of `harmonics`. Where sin th2 (for the sine of Delta) or cos th4 (for its cosine)
// is below 0.05 in magnitude, the sign is taken from the other quotient; a quotient that
// is not a number counts as negative.
#pragma once

#include "ellcalc/psd.hpp"

namespace ellcalc {

template <class R>
psi_delta_pair<R> psi_delta_from_harmonics(R H2C, R H2S, R H4C, R H4S, R Rs, R pol, R bir, R rot, R ref, R ana);

}  // namespace ellcalc
