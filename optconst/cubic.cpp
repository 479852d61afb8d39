#include "optconst/cubic.hpp"

#include "console/stored.hpp"

namespace optconst {

using console::stored;

namespace {

// Row i holds the coefficients of node i for the powers 1, t, t^2, t^3: the Lagrange
// cubic through t = -1.5, -0.5, 0.5, 1.5, times 48.
constexpr float u[4][4] = {
    {-3.0f, 2.0f, 12.0f, -8.0f},
    {27.0f, -54.0f, -12.0f, 24.0f},
    {27.0f, 54.0f, -12.0f, -24.0f},
    {-3.0f, -2.0f, 12.0f, 8.0f},
};

}  // namespace

float fcub(const float& t, const std::array<float, 4>& y) {
  const float tt = stored(double{t} * double{t});
  const float p[4] = {1.0f, t, tt, stored(double{t} * double{tt})};
  float w[4];
  for (int i = 0; i < 4; ++i) vdot(w[i], u[i], p, 4, 1);
  // The weighted sum is carried in double and rounded once, after the division: at a
  // node (one weight 48, the others 0) this returns the entry itself, exactly.
  const double sum = double{y[0]} * double{w[0]} + double{y[1]} * double{w[1]} + double{y[2]} * double{w[2]} +
                     double{y[3]} * double{w[3]};
  return stored(sum / 48.0);
}

}  // namespace optconst
