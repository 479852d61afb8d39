// The rotating-compensator model: harmonics, instrument_factors and both inversions, on
// instrument settings beyond the standard one the session transcripts use; and the
// calculations of modes 6 and 7 as one call each: mode 7 reads back the film of mode 6.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "ellcalc/harmonics.hpp"
#include "ellcalc/instrument_angles.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/invert_harmonics.hpp"
#include "ellcalc/modes.hpp"
#include "ellcalc/psi_delta_from_harmonics.hpp"

namespace ellcalc {
namespace {

constexpr double k = 0.017453292;

struct instrument {
  float pol, bir, rot, ref, ana;
};

harmonics_set run_harmonics(float ps, float de, float Rs, const instrument& q) {
  return harmonics<float>(ps, de, Rs, q.pol, q.bir, q.rot, q.ref, q.ana);
}

// Instrument settings met in practice and some awkward ones; none puts the analyser at a
// multiple of 90 degrees or the retardance at a multiple of 180.
const instrument settings[] = {
    {90.0f, 90.0f, 0.0f, 0.0f, -45.0f}, {45.0f, 90.0f, 0.0f, 0.0f, 45.0f},  {30.0f, 85.0f, 2.0f, 10.0f, -30.0f},
    {0.0f, 120.0f, 0.0f, 12.0f, 60.0f}, {-20.0f, 70.0f, 1.0f, 5.0f, 20.0f}, {90.0f, 90.0f, 0.0f, 44.0f, -45.0f},
};

TEST(InstrumentFactors, TheThreeIdentitiesOfTheModel) {
  for (const instrument& q : settings) {
    for (float ps : {10.0f, 37.0f, 60.0f}) {
      for (float de : {-150.0f, -20.0f, 75.0f, 170.0f}) {
        const float rs = 0.27f;
        const harmonics_set c = run_harmonics(ps, de, rs, q);
        const auto [e, f, g, h] = instrument_factors<float>(rs, q.bir, q.ana);
        const double tau = std::tan(ps * k), j = tau * tau;
        const double th2 = 2.0 * (q.ref - q.pol - q.rot) * k;
        const double th4 = 2.0 * (2.0 * q.ref - q.pol - q.rot) * k;
        // w2 = e tau sin Delta, read back from H2C = sin th2 w2 and H2S = cos th2 w2.
        const double w2 = std::sin(th2) * c.H2C + std::cos(th2) * c.H2S;
        EXPECT_NEAR(w2, e * tau * std::sin(de * k), 2e-6);
        EXPECT_NEAR(std::cos(th4) * c.H4C - std::sin(th4) * c.H4S, f * j + h, 2e-6);
        EXPECT_NEAR(std::sin(th4) * c.H4C + std::cos(th4) * c.H4S, g * tau * std::cos(de * k), 2e-6);
      }
    }
  }
}

// Harmonics of a sample (mode 6) give back its Psi and Delta, with the reflectance known
// (psi_delta_from_harmonics) and from amplitudes and phases alone (invert_harmonics, mode 7).
// The quadratic of the latter is C (J - tan^2 alpha)^2 = J with C >= 0: its discriminant
// 4 C tan^2 alpha + 1 is at least 1, and Psi and 90 - Psi both solve it when the
// analyser is at 45 degrees.
TEST(Inversions, GiveBackPsiAndDeltaOfTheModelHarmonics) {
  for (const instrument& q : settings) {
    for (float ps : {10.0f, 43.613f, 70.0f}) {
      for (float de : {-170.0f, -90.0f, -5.0f, 30.0f, 75.973f, 179.0f}) {
        SCOPED_TRACE(testing::Message() << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de);
        const float rs = 0.26f;
        const harmonics_set c = run_harmonics(ps, de, rs, q);
        const auto [psa, dea] =
            psi_delta_from_harmonics<float>(c.H2C, c.H2S, c.H4C, c.H4S, rs, q.pol, q.bir, q.rot, q.ref, q.ana);
        EXPECT_NEAR(psa, ps, 2e-3);
        EXPECT_NEAR(dea, de, 5e-3);
        const auto [ps7, de7, disc] =
            invert_harmonics<float>(c.H2A, c.H2P, c.H4A, c.H4P, q.pol, q.bir, q.rot, q.ref, q.ana, 39.44f, 78.24f);
        EXPECT_GE(disc, 0.999f);
        EXPECT_NEAR(ps7, ps, 2e-3);
        EXPECT_NEAR(de7, de, 5e-3);
      }
    }
  }
}

// Where sin th2 (for the sign of sin Delta) or cos th4 (for the sign of cos Delta) is
// small, its quotient is rounding noise and the sign comes from the other quotient. The
// two agree for harmonics of a model; measured ones that disagree show which one was
// read. With the polariser and rotation at 0, th2 = 2T and th4 = 4T: the top-zero angles
// below put |sin th2| or |cos th4| within 4e-5 of 0.05, on either side.
TEST(SignRules, SineOfDeltaFromTheOtherQuotientBelowSinTheta2Of0p05) {
  const float below = 1.4327f, above = 1.4333f;
  ASSERT_LT(std::sin(double{to_radians<float>(0, 90, 0, below, -45).theta2}), 0.05);
  ASSERT_GT(std::sin(double{to_radians<float>(0, 90, 0, above, -45).theta2}), 0.05);

  // Below: the sign of H2S / cos th2 / e, e < 0; above: the sign of H2C / sin th2 / e.
  // Mode 6: H2C and H2S of opposite signs, while th2 is in the first quadrant. Mode 7: a
  // measured H2 phase of 135 degrees puts H2C and H2S at opposite signs.
  for (const auto& [ref, six, seven] : {std::tuple{below, 114.246, -105.296}, std::tuple{above, -114.247, 105.296}}) {
    EXPECT_NEAR(psi_delta_from_harmonics<float>(0.1f, -0.1f, 0.02f, 0.03f, 0.26f, 0, 90, 0, ref, -45).delta, six, 1e-3);
    EXPECT_NEAR(invert_harmonics<float>(0.2f, 135.0f, 0.03f, 60.0f, 0, 90, 0, ref, -45, 39.44f, 78.24f).de, seven,
                1e-3);
  }
}

TEST(SignRules, CosineOfDeltaFromTheOtherQuotientBelowCosTheta4Of0p05) {
  const float below = 21.7845f, above = 21.7825f;
  ASSERT_LT(std::cos(double{to_radians<float>(0, 90, 0, below, -45).theta4}), 0.05);
  ASSERT_GT(std::cos(double{to_radians<float>(0, 90, 0, above, -45).theta4}), 0.05);
  // Below, cos Delta > 0, from the quotient over sin th4; above, cos Delta < 0, from the
  // quotient over cos th4.
  for (const auto& [ref, delta] : {std::pair{below, -29.706}, std::pair{above, -150.295}})
    EXPECT_NEAR(psi_delta_from_harmonics<float>(0.1f, 0.1f, -0.1f, 0.1f, 0.26f, 0, 90, 0, ref, -45).delta, delta, 1e-3);
}

// Mode 7 takes J+ only when its scale s+ is positive; at s+ = 0 it takes J-. With a
// retardance of 0.01 degree and an H4 of 1e38, u and v (s = u J + v) underflow to zero,
// so both scales are 0. The analyser at -45 makes the roots tan^2 22.5 and tan^2 67.5.
TEST(SignRules, AScaleOfZeroTakesTheSmallerRoot) {
  const auto [ps, de, disc] =
      invert_harmonics<float>(0.2f, 30.0f, 1e38f, 60.0f, 90.0f, 0.01f, 0.0f, 0.0f, -45.0f, 39.44f, 78.24f);
  EXPECT_EQ(disc, 2.0f);
  EXPECT_NEAR(ps, 22.5, 1e-4);
  EXPECT_EQ(de, 0.0f);  // both parts of Delta scale with s
}

const console::cplx substrate{3.866f, -0.028f};
const float ol = 632.8f, phi = 70.0f;

// Mode 6 on a film, then mode 7 on the amplitudes and phases it printed, from another
// starting thickness: Psi, Delta and the film come back, and so do the harmonics.
TEST(Modes, MeasuredHarmonicsGiveBackTheFilmOfMode6) {
  for (const instrument& q : {settings[0], settings[2], settings[4]}) {
    for (float ep : {20.0f, 100.0f, 240.0f}) {
      const float an = 1.46f;
      const harmonics_result six = harmonics_of_film(ol, phi, substrate, an, ep, q.pol, q.bir, q.rot, q.ref, q.ana);
      const harmonics_set& h = six.h;
      const float kept_ps = 39.44f, kept_de = 78.24f, start = 50.0f;
      const measured_result seven = from_measured_harmonics(ol, phi, substrate, q.pol, q.bir, q.rot, q.ref, q.ana,
                                                            h.H2A, h.H2P, h.H4A, h.H4P, kept_ps, kept_de, an, start);
      EXPECT_TRUE(seven.search.converged);
      EXPECT_NEAR(seven.ep, ep, 0.02) << q.pol << ' ' << ep;
      EXPECT_NEAR(seven.an, an, 1e-5);
      // The reflection and the harmonics of the film found are those of mode 6 again.
      EXPECT_NEAR(seven.model.Rs, six.model.Rs, 1e-5);
      EXPECT_NEAR(seven.h.H2A, h.H2A, 1e-5);
      EXPECT_NEAR(seven.h.H4P, h.H4P, 1e-2);
      EXPECT_NEAR(seven.psa, seven.ps, 2e-3);
    }
  }
}

}  // namespace
}  // namespace ellcalc
