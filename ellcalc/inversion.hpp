// What an inversion's caller needs beyond the film found: how well the film reproduces
// the measurement, and the film's thickness in the order (number of whole periods) the
// caller expects.
//
// residual: the larger of |psa - ps| and |dea - de| in degrees, the Delta difference
// taken into [-180, 180]; NaN when either difference is NaN or Delta is infinite,
// infinite when Psi is.
//   psa 39.384, dea 76.285, ps 39.44, de 78.24 -> 1.955
//   psa 10, dea 179, ps 10, de -179            -> 2
//
// near_order: the order k whose thickness ep + k per is closest to the thickness near:
// the integer nearest (near - ep) / per, ties away from zero, never negative (a film is
// not thinner than its folded thickness), at most 2147483647 (an infinite near). A NaN
// near or ep, or a period that is not positive and finite, gives order 0. At order 0 the
// thickness is ep itself, bit for bit; otherwise ep + k per carried in double, stored in R.
//   ep 92.872, per 270.62, near 1000 -> order 3, thickness 904.732
#pragma once

#include <cmath>
#include <cstdint>

#include "ellcalc/film1.hpp"

namespace ellcalc {

template <class R>
R residual(R psa, R dea, R ps, R de);

// A difference of Deltas taken into [-180, 180]: std::remainder(d, 360), without the call
// when d is there already (the same value, signed zeros and NaN included).
inline double wrapped_delta(double d) { return std::fabs(d) <= 180.0 ? d : std::remainder(d, 360.0); }

template <class R>
struct ordered_t {
  R ep;                // thickness, nm
  std::int32_t order;  // whole periods added to the folded thickness
};

template <class R>
ordered_t<R> near_order(R ep, R per, R near);

// A film found from Psi ps and Delta de (film1 kinds 3 and 4), its thickness ep moved to
// the order nearest `near`, with the residual of its Psi and Delta and the order taken.
template <class R>
struct inverted_film : film1_result<R> {
  R residual;
  std::int32_t order;
};

template <class R>
inverted_film<R> inverted(const film1_result<R>& f, R ps, R de, R near);

}  // namespace ellcalc
