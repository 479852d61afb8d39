// The wavelength answer and the oxygen content of SiOx.
#include <gtest/gtest.h>

#include <cmath>

#include "optconst/constants.hpp"

namespace optconst {
namespace {

// Below 30 an answer is a photon energy; from 30 on it is a wavelength in nm.
TEST(WavelengthAnswer, BelowThirtyIsAnEnergy) {
  const wavelength_energy ev = wavelength_answer(2.0f);
  EXPECT_EQ(ev.en, 2.0f);
  EXPECT_FLOAT_EQ(ev.w, 619.927f);
  const wavelength_energy edge = wavelength_answer(std::nextafter(30.0f, 0.0f));
  EXPECT_EQ(edge.en, std::nextafter(30.0f, 0.0f));
  const wavelength_energy nm = wavelength_answer(30.0f);
  EXPECT_EQ(nm.w, 30.0f);
  EXPECT_FLOAT_EQ(nm.en, 41.32847f);
  const wavelength_energy he_ne = wavelength_answer(632.8f);
  EXPECT_EQ(he_ne.w, 632.8f);
  EXPECT_EQ(he_ne.en, energy_of_wavelength(632.8f));
  EXPECT_FLOAT_EQ(he_ne.en, 1.959314f);
}

// x = 0 is silicon, x = 2 silica; the prompt shows x back from the fraction it keeps.
TEST(Siox, OxygenContentAndSilicaFraction) {
  EXPECT_EQ(silica_fraction_of_x(0.0f), 0.0f);
  EXPECT_EQ(silica_fraction_of_x(2.0f), 1.0f);
  EXPECT_EQ(x_of_silica_fraction(1.0f), 2.0f);
  EXPECT_FLOAT_EQ(silica_fraction_of_x(1.0f), 0.6078431f);
  for (float x : {0.1f, 0.5f, 1.0f, 1.7f}) EXPECT_NEAR(x_of_silica_fraction(silica_fraction_of_x(x)), x, 3e-7f) << x;
}

}  // namespace
}  // namespace optconst
