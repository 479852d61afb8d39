// Psi and Delta (degrees) back from the harmonics H2C, H2S, H4C, H4S of a sample of known
// s-reflectance Rs, with the instrument angles pol, bir, rot, ref, ana (degrees). The
// inverse of `harmonics`. Where sin th2 (for the sine of Delta) or cos th4 (for its cosine)
// is below 0.05 in magnitude, the sign is taken from the other quotient; a quotient that
// is not a number counts as negative.
#pragma once

namespace ellcalc {

void psi_delta_from_harmonics(const float& H2C, const float& H2S, const float& H4C, const float& H4S,
                              const float& Rs, const float& pol, const float& bir, const float& rot,
                              const float& ref, const float& ana, float& psa, float& dea);

}  // namespace ellcalc
