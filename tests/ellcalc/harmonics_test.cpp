// The rotating-compensator model: harmonics, instrument_factors and both inversions, on
// instrument settings beyond the standard one the session transcripts use.
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

// Harmonics of a sample (mode 6) give back its Psi and Delta, with the reflectance known
// (psi_delta_from_harmonics) and from amplitudes and phases alone (invert_harmonics, mode 7).
// The quadratic of the latter is C (J - tan^2 alpha)^2 = J with C >= 0: its discriminant
// 4 C tan^2 alpha + 1 is at least 1, and Psi and 90 - Psi both solve it when the
// analyser is at 45 degrees.
TEST(Inversions, GiveBackPsiAndDeltaOfTheModelHarmonics) {
  for (const instrument& q : settings) {
    for (float ps : {10.0f, 43.613f, 70.0f}) {
      for (float de : {-170.0f, -90.0f, -5.0f, 30.0f, 75.973f, 179.0f}) {
        const float rs = 0.26f;
        const coefficients c = run_harmonics(ps, de, rs, q);
        float psa, dea;
        psi_delta_from_harmonics(c.H2C, c.H2S, c.H4C, c.H4S, rs, q.pol, q.bir, q.rot, q.ref, q.ana, psa, dea);
        EXPECT_NEAR(psa, ps, 2e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        EXPECT_NEAR(dea, de, 5e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        float ps7 = 39.44f, de7 = 78.24f, disc = 0.0f;
        invert_harmonics(c.H2A, c.H2P, c.H4A, c.H4P, q.pol, q.bir, q.rot, q.ref, q.ana, ps7, de7, disc);
        EXPECT_GE(disc, 0.999f) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        EXPECT_NEAR(ps7, ps, 2e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
        EXPECT_NEAR(de7, de, 5e-3) << q.pol << ' ' << q.ref << ' ' << ps << ' ' << de;
      }
    }
  }
}

}  // namespace
}  // namespace ellcalc
