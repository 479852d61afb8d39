#include "ellcalc/inversion.hpp"

#include <cmath>
#include <limits>

#include "ellcalc/real.hpp"

namespace ellcalc {

template <class R>
R residual(R psa, R dea, R ps, R de) {
  // Both differences are exact in double for float operands; the IEEE remainder is exact.
  const double dp = std::fabs(double{psa} - double{ps});
  const double dd = std::fabs(wrapped_delta(double{dea} - double{de}));
  if (std::isnan(dp) || std::isnan(dd)) return std::numeric_limits<R>::quiet_NaN();
  return stored<R>(dp < dd ? dd : dp);
}

template <class R>
ordered_t<R> near_order(R ep, R per, R near) {
  constexpr double most = std::numeric_limits<std::int32_t>::max();
  const bool period = std::isfinite(per) && per > R{0};
  const double q = period ? (double{near} - double{ep}) / double{per} : 0.0;
  // Only a positive quotient moves the film (a NaN one fails the test too); the rounded
  // quotient is clamped before its conversion, which is then always in range.
  const double k = q > 0.0 ? std::fmin(std::round(q), most) : 0.0;
  if (k == 0.0) return {ep, 0};
  return {stored<R>(double{ep} + k * double{per}), static_cast<std::int32_t>(k)};
}

template <class R>
inverted_film<R> inverted(const film1_result<R>& f, R ps, R de, R near) {
  const ordered_t<R> at = near_order<R>(f.ep, f.per, near);
  inverted_film<R> out{f, residual<R>(f.psa, f.dea, ps, de), at.order};
  out.ep = at.ep;
  return out;
}

template float residual<float>(float, float, float, float);
template double residual<double>(double, double, double, double);
template ordered_t<float> near_order<float>(float, float, float);
template ordered_t<double> near_order<double>(double, double, double);
template inverted_film<float> inverted<float>(const film1_result<float>&, float, float, float);
template inverted_film<double> inverted<double>(const film1_result<double>&, double, double, double);

}  // namespace ellcalc
