// film_at at many points with the same film: out[i] = film_at(f, ol[i], ep[i]), to the bit. Single
// precision computes several points at a time in lanes of doubles (lanes.hpp), with the widest set
// of vector instructions the processor has; double precision calls film_at point by point.
//   film_at_many<float>(f, ol, ep, out, n);
#pragma once

#include <cstddef>

#include "ellcalc/film1.hpp"

namespace ellcalc {

template <class R>
void film_at_many(const film_invariants<R>& f, const R* ol, const R* ep, film1_result<R>* out, std::size_t n);

// The builds of the single-precision lanes: 2, 4 and 8 lanes. Each gives the same bits; the test
// suite runs every one the processor has.
enum class lane_set { sse2, avx2, avx512 };

bool has_lane_set(lane_set s);

void film_at_many_on(lane_set s, const film_invariants<float>& f, const float* ol, const float* ep,
                     film1_result<float>* out, std::size_t n);

}  // namespace ellcalc
