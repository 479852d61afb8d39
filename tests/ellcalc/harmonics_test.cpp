// The rotating-compensator model: harmonics, instrument_factors and both inversions.
#include <gtest/gtest.h>

#include <cmath>

#include "ellcalc/harmonics.hpp"
#include "ellcalc/instrument_factors.hpp"
#include "ellcalc/invert_harmonics.hpp"
#include "ellcalc/psi_delta_from_harmonics.hpp"

namespace ellcalc {
namespace {

constexpr double k = 0.017453292;

struct instrument {
  float pol, bir, rot, ref, ana;
};

struct coefficients {
  float H0, H2C, H2S, H2A, H2P, H4C, H4S, H4A, H4P;
};

coefficients run_harmonics(float ps, float de, float Rs, const instrument& q) {
  coefficients c{};
  harmonics(ps, de, Rs, q.pol, q.bir, q.rot, q.ref, q.ana, c.H0, c.H2C, c.H2S, c.H2A, c.H2P, c.H4C, c.H4S, c.H4A,
            c.H4P);
  return c;
}

const instrument standard{90.0f, 90.0f, 0.0f, 0.0f, -45.0f};

// Instrument settings met in practice and some awkward ones; none puts the analyser at a
// multiple of 90 degrees or the retardance at a multiple of 180.
const instrument settings[] = {
    {90.0f, 90.0f, 0.0f, 0.0f, -45.0f}, {45.0f, 90.0f, 0.0f, 0.0f, 45.0f},  {30.0f, 85.0f, 2.0f, 10.0f, -30.0f},
    {0.0f, 120.0f, 0.0f, 12.0f, 60.0f}, {-20.0f, 70.0f, 1.0f, 5.0f, 20.0f}, {90.0f, 90.0f, 0.0f, 44.0f, -45.0f},
};

TEST(Harmonics, StandardFilmOnTheStandardInstrument) {
  const coefficients c = run_harmonics(43.613087f, 75.972748f, 0.262557f, standard);
  EXPECT_NEAR(c.H0, 0.2565, 5e-5);
  EXPECT_NEAR(c.H2C, 0.0, 1e-6);
  EXPECT_NEAR(c.H2S, 0.2427, 5e-5);
  EXPECT_NEAR(c.H2A, 0.2427, 5e-5);
  EXPECT_NEAR(c.H2P, 90.0, 5e-3);
  EXPECT_NEAR(c.H4C, 0.00606, 5e-6);
  EXPECT_NEAR(c.H4S, 0.03032, 5e-6);
  EXPECT_NEAR(c.H4A, 0.03092, 5e-6);
  EXPECT_NEAR(c.H4P, 78.70, 5e-3);
}

TEST(InstrumentFactors, StandardInstrument) {
  float e, f, g, h;
  const float rs = 1.0f;
  instrument_factors(rs, standard.bir, standard.ana, e, f, g, h);
  EXPECT_NEAR(e, -1.0, 1e-6);
  EXPECT_NEAR(f, 0.25, 1e-6);
  EXPECT_NEAR(g, -0.5, 1e-6);
  EXPECT_NEAR(h, -0.25, 1e-6);
}

TEST(InstrumentFactors, TheThreeIdentitiesOfTheModel) {
  for (const instrument& q : settings) {
    for (float ps : {10.0f, 37.0f, 60.0f}) {
      for (float de : {-150.0f, -20.0f, 75.0f, 170.0f}) {
        const float rs = 0.27f;
        const coefficients c = run_harmonics(ps, de, rs, q);
        float e, f, g, h;
        instrument_factors(rs, q.bir, q.ana, e, f, g, h);
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

TEST(PsiDeltaFromHarmonics, GivesBackPsiAndDelta) {
  for (const instrument& q : settings) {
    for (float ps : {10.0f, 43.613f, 70.0f}) {
      for (float de : {-170.0f, -90.0f, -5.0f, 30.0f, 75.973f, 179.0f}) {
        const float rs = 0.26f;
        const coefficients c = run_harmonics(ps, de, rs, q);
        float psa, dea;
        psi_delta_from_harmonics(c.H2C, c.H2S, c.H4C, c.H4S, rs, q.pol, q.bir, q.rot, q.ref, q.ana, psa, dea);
        EXPECT_NEAR(psa, ps, 2e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        EXPECT_NEAR(dea, de, 5e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
      }
    }
  }
}

struct inversion {
  float ps = 39.44f, de = 78.24f, disc = 0.0f;
};

inversion run_invert(float h2p, float h2d, float h4p, float h4d, const instrument& q) {
  inversion r;
  invert_harmonics(h2p, h2d, h4p, h4d, q.pol, q.bir, q.rot, q.ref, q.ana, r.ps, r.de, r.disc);
  return r;
}

TEST(InvertHarmonics, MeasuredHarmonicsOfTheStandardSession) {
  const inversion r = run_invert(2.266f, 92.776f, 0.417f, 45.034f, standard);
  EXPECT_NEAR(r.disc, 16.78, 0.005);
  EXPECT_NEAR(r.ps, 37.94, 0.005);
  EXPECT_NEAR(r.de, 75.40, 0.005);
}

TEST(InvertHarmonics, ScaleOfTheMeasurementDropsOut) {
  const inversion a = run_invert(2.266f, 92.776f, 0.417f, 45.034f, standard);
  const inversion b = run_invert(2.266f * 3.5f, 92.776f, 0.417f * 3.5f, 45.034f, standard);
  EXPECT_NEAR(a.ps, b.ps, 1e-4);
  EXPECT_NEAR(a.de, b.de, 1e-4);
}

TEST(InvertHarmonics, GivesBackTheAnglesOfTheModelHarmonics) {
  for (const instrument& q : settings) {
    for (float ps : {15.0f, 43.613f, 65.0f}) {
      for (float de : {-120.0f, -10.0f, 75.973f, 150.0f}) {
        const coefficients c = run_harmonics(ps, de, 0.3f, q);
        const inversion r = run_invert(c.H2A, c.H2P, c.H4A, c.H4P, q);
        EXPECT_GE(r.disc, 0.0f);
        EXPECT_NEAR(r.ps, ps, 2e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        EXPECT_NEAR(r.de, de, 5e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
      }
    }
  }
}

TEST(InvertHarmonics, AnalyserAt45GivesReciprocalRoots) {
  // Psi and 90 - Psi both solve the quadratic; the sign of the scale picks the right one.
  for (float ps : {20.0f, 70.0f}) {
    const coefficients c = run_harmonics(ps, 60.0f, 0.3f, standard);
    const inversion r = run_invert(c.H2A, c.H2P, c.H4A, c.H4P, standard);
    EXPECT_NEAR(r.ps, ps, 2e-3);
  }
}

TEST(InvertHarmonics, DiscriminantIsOnePlusFourC2TanSquaredAlpha) {
  // The quadratic is C (J - tan^2 alpha)^2 = J, so its discriminant is 4 C tan^2 alpha + 1
  // with C = c2 >= 0: it cannot be negative but through rounding.
  for (float ana : {-45.0f, -30.0f, 20.0f, 60.0f}) {
    const instrument q{90.0f, 90.0f, 0.0f, 0.0f, ana};
    const coefficients c = run_harmonics(30.0f, 50.0f, 0.3f, q);
    const inversion r = run_invert(c.H2A, c.H2P, c.H4A, c.H4P, q);
    EXPECT_GE(r.disc, 1.0f) << ana;
  }
}

TEST(InvertHarmonics, NegativeDiscriminantLeavesPsiAndDelta) {
  // A fourth harmonic in phase 90 degrees has (nearly) no part along cos th4 = -1: the
  // scale divisor d is a rounding residue and the coefficients lose every digit.
  const inversion r = run_invert(2.266f, 92.776f, 1.0f, 90.0f, standard);
  ASSERT_LT(r.disc, 0.0f);
  EXPECT_EQ(r.ps, 39.44f);
  EXPECT_EQ(r.de, 78.24f);
}

}  // namespace
}  // namespace ellcalc
