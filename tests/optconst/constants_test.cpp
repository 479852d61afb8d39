// The wavelength answer and the oxygen content of SiOx; the stress fit of silica, whose
// figures, and the unstressed silica it leaves to the mixtures, the session transcripts and
// the package's tests pin; the double-precision instantiation, which agrees with the
// single-precision one to single precision over the tables, the mixtures and stressed
// silica, and whose stress fit settles to double accuracy.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "optconst/constants.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"

namespace optconst {
namespace {

// Below 30 an answer is a photon energy; from 30 on it is a wavelength in nm (the session
// transcripts answer 29.99 and 30). The double instantiation takes the constant in double.
TEST(WavelengthAnswer, BelowThirtyIsAnEnergy) {
  EXPECT_FLOAT_EQ(wavelength_answer(2.0f).w, 619.927f);
  EXPECT_FLOAT_EQ(wavelength_answer(30.0f).en, 41.32847f);
  EXPECT_EQ(wavelength_answer(2.0).w, 1239.854 / 2.0);
  EXPECT_EQ(energy_of_wavelength(632.8), 1239.854 / 632.8);
}

// x = 0 is silicon, x = 2 silica; the prompt shows x back from the fraction it keeps.
TEST(Siox, OxygenContentAndSilicaFraction) {
  EXPECT_EQ(silica_fraction_of_x(2.0f), 1.0f);
  EXPECT_FLOAT_EQ(silica_fraction_of_x(1.0f), 0.6078431f);
  for (float x : {0.0f, 0.1f, 0.5f, 1.0f, 1.7f, 2.0f})
    EXPECT_NEAR(x_of_silica_fraction(silica_fraction_of_x(x)), x, 3e-7f) << x;
}

const float en6328 = static_cast<float>(1239.854 / double{632.8f});  // 632.8 nm

float stressed(const silica_coefficients& sio2, int pol, float en) {
  return sellmeier<float>(sio2, wavelength_squared(en), stressed_pairs[pol], stressed_squares[pol]);
}

TEST(StressFit, ConvergesForUsualStressesOfEitherSignAndGivesUpAfter500Steps) {
  for (float s : {-450.0f, -150.0f, -1.0f, 0.0f, 1.0f, 150.0f, 450.0f, 3000.0f}) {
    const stress_fit r = bir_fit(s);
    EXPECT_TRUE(r.converged) << s;
    EXPECT_EQ(r.evaluations[0] == 1 && r.evaluations[1] == 1, s == 0.0f) << s;  // nothing to fit at 0
    EXPECT_LT(std::max(r.evaluations[0], r.evaluations[1]), 100) << s;
    // Compression raises the index, tension lowers it.
    EXPECT_EQ(stressed(r.sio2, 0, en6328) > silica(en6328), s < 0.0f) << s;
    EXPECT_EQ(stressed(r.sio2, 1, en6328) > silica(en6328), s < 0.0f) << s;
  }
  // In double precision it settles to double accuracy.
  for (double s : {-450.0, -150.0, 150.0, 450.0}) {
    const stress_fit_t<double> d = bir_fit(s);
    ASSERT_TRUE(d.converged) << s;
    EXPECT_LT(std::max(d.evaluations[0], d.evaluations[1]), 400) << s;
  }
  // It gives up after 500 steps.
  for (float s : {1e30f, 1e5f, INFINITY}) {
    const stress_fit r = bir_fit(s);
    EXPECT_FALSE(r.converged) << s;
    EXPECT_TRUE(r.evaluations[0] == 501 || r.evaluations[1] == 501) << s;
    EXPECT_EQ(r.sio2, unstressed_silica) << s;
  }
  EXPECT_FALSE(bir_fit(1e30).converged);
}

double gap(console::cplx_d d, console::cplx f) {
  return console::modulus(d - console::cplx_d(f)) / std::fmax(1.0, console::modulus(d));
}

TEST(DoublePrecision, ConstantsAgreeWithSinglePrecision) {
  const stress_fit_t<float> ff = bir_fit(-300.0f);
  const stress_fit_t<double> fd = bir_fit(-300.0);
  ASSERT_TRUE(ff.converged && fd.converged);
  for (std::int32_t nat = 1; nat <= 9; ++nat) {
    for (const std::array<float, 2>& fr : {std::array<float, 2>{0.0f, 0.0f}, std::array<float, 2>{0.3f, 0.6f}}) {
      for (float en = 0.25f; en < 6.2f; en += 0.0173f) {
        const optical_constants c = constants_at(fr, en, nat, ff.sio2);
        const optical_constants_t<double> d = constants_at<double>({fr[0], fr[1]}, en, nat, fd.sio2);
        for (int i = 0; i < 2; ++i) {
          const double e = std::fmax(gap(d.eps[i], c.eps[i]), gap(d.index[i], c.index[i]));
          // Stressed silica carries the single-precision fit's own tolerance (1e-6 on the
          // permittivity at the reference wavelengths), a little more far from them.
          ASSERT_LT(e, nat == 3 ? 1e-5 : 3e-6) << nat << ' ' << en << ' ' << fr[0] << ' ' << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace optconst
