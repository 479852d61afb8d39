#include "optconst/cubic.hpp"

namespace optconst {

using console::stored;

namespace {

// Row i holds the coefficients of node i for the powers 1, t, t^2, t^3: the Lagrange
// cubic through t = -1.5, -0.5, 0.5, 1.5, times 48.
template <class R>
constexpr R u[4][4] = {
    {-3, 2, 12, -8},
    {27, -54, -12, 24},
    {27, 54, -12, -24},
    {-3, -2, 12, 8},
};

}  // namespace

template <class R>
R fcub(R t, const std::array<R, 4>& y) {
  const R tt = stored<R>(double{t} * double{t});
  const R p[4] = {1, t, tt, stored<R>(double{t} * double{tt})};
  R w[4];
  for (int i = 0; i < 4; ++i) w[i] = vdot<R>(u<R>[i], p, 4, 1);
  // The weighted sum is carried in double and rounded once, after the division: at a
  // node (one weight 48, the others 0) this returns the entry itself, exactly.
  const double sum = double{y[0]} * double{w[0]} + double{y[1]} * double{w[1]} + double{y[2]} * double{w[2]} +
                     double{y[3]} * double{w[3]};
  return stored<R>(sum / 48.0);
}

template float fcub<float>(float, const std::array<float, 4>&);
template double fcub<double>(double, const std::array<double, 4>&);

}  // namespace optconst
