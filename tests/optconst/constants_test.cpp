// The quantities around a request: the wavelength answer and the oxygen content of SiOx.
#include <gtest/gtest.h>

#include <array>
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

// The index is the principal root of the dielectric function, n - ik with n >= 0.
TEST(ConstantsAt, IndexOfEachPolarisation) {
  const float en = energy_of_wavelength(632.8f);
  const optical_constants si = constants_at({0.0f, 0.0f}, en, 2, unstressed_silica);
  EXPECT_NEAR(si.index[0].re, 3.88092, 1e-5);
  EXPECT_LT(si.index[0].im, 0.0f);
  const console::cplx_d square = console::cplx_d(si.index[0]) * si.index[0];
  EXPECT_NEAR(square.re, si.eps[0].re, 2e-6 * 15);
  EXPECT_NEAR(square.im, si.eps[0].im, 2e-6 * 15);
  EXPECT_EQ(si.index[1].re, si.index[0].re);
  const optical_constants al = constants_at({0.0f, 0.0f}, en, 6, unstressed_silica);
  EXPECT_LT(al.eps[0].re, 0.0f);
  EXPECT_GT(al.index[0].re, 0.0f);
  EXPECT_LT(al.index[0].im, -al.index[0].re);  // a metal: k > n
}

}  // namespace
}  // namespace optconst
