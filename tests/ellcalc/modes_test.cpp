// The calculations of modes 6 and 7 as one call each: mode 7 reads back the film of
// mode 6, and keeps Psi and Delta after a negative discriminant.
#include <gtest/gtest.h>

#include <cmath>

#include "ellcalc/modes.hpp"

namespace ellcalc {
namespace {

const console::cplx substrate{3.866f, -0.028f};
const float ol = 632.8f, phi = 70.0f;

struct instrument {
  float pol, bir, rot, ref, ana;
};

// Mode 6 on a film, then mode 7 on the amplitudes and phases it printed, from another
// starting thickness: Psi, Delta and the film come back, and so do the harmonics.
TEST(Modes, MeasuredHarmonicsGiveBackTheFilmOfMode6) {
  for (const instrument& q : {instrument{90, 90, 0, 0, -45}, instrument{30, 85, 2, 10, -30},
                              instrument{-20, 70, 1, 5, 20}}) {
    for (float ep : {20.0f, 100.0f, 240.0f}) {
      const float an = 1.46f;
      const harmonics_result six = harmonics_of_film(ol, phi, substrate, an, ep, q.pol, q.bir, q.rot, q.ref, q.ana);
      EXPECT_NEAR(six.psa, six.model.psi, 2e-3);
      EXPECT_NEAR(six.dea, six.model.delta, 5e-3);

      const harmonics_set& h = six.h;
      const float kept_ps = 39.44f, kept_de = 78.24f, start = 50.0f;
      const measured_result seven = from_measured_harmonics(ol, phi, substrate, q.pol, q.bir, q.rot, q.ref, q.ana,
                                                            h.H2A, h.H2P, h.H4A, h.H4P, kept_ps, kept_de, an, start);
      EXPECT_GE(seven.disc, 0.0f);
      EXPECT_TRUE(seven.search.converged);
      EXPECT_NEAR(seven.ps, six.model.psi, 2e-3) << q.pol << ' ' << ep;
      EXPECT_NEAR(seven.de, six.model.delta, 5e-3) << q.pol << ' ' << ep;
      EXPECT_NEAR(seven.ep, ep, 0.02) << q.pol << ' ' << ep;
      EXPECT_NEAR(seven.an, an, 1e-5);
      // The reflection of the film found is the film of mode 6 again.
      EXPECT_NEAR(seven.model.ep, ep, 0.02);
      EXPECT_EQ(seven.model.per, seven.per);
      EXPECT_NEAR(seven.model.Rs, six.model.Rs, 1e-5);
      EXPECT_NEAR(seven.h.H2A, h.H2A, 1e-5);
      EXPECT_NEAR(seven.h.H4P, h.H4P, 1e-2);
      EXPECT_NEAR(seven.psa, seven.ps, 2e-3);
    }
  }
}

// A negative discriminant leaves Psi and Delta as they were, and the film is fitted to
// them all the same.
TEST(Modes, NegativeDiscriminantKeepsPsiAndDelta) {
  const instrument q{90, 90, 0, 0, -45};
  const float ps = 43.613f, de = 75.973f, an = 1.5f, ep = 7.0f;
  const measured_result r = from_measured_harmonics(ol, phi, substrate, q.pol, q.bir, q.rot, q.ref, q.ana,
                                                    0.728055f, 90.0f, 1.0f, 90.0f, ps, de, an, ep);
  EXPECT_LT(r.disc, 0.0f);
  EXPECT_EQ(r.ps, ps);
  EXPECT_EQ(r.de, de);
  EXPECT_NEAR(r.ep, 100.0, 0.01);  // the film whose Psi and Delta these are
  EXPECT_NEAR(r.psa, ps, 1e-3);
}

}  // namespace
}  // namespace ellcalc
