// Whether two values are the same to the bit (NaN payloads and signed zeros told apart):
// the test by which the sweeps decide that what a point's arguments fix is what the
// previous point's fixed, so that reusing it gives the same results.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "console/complex.hpp"

namespace ellcalc {

template <class R>
bool same_bits(R a, R b) {
  using bits = std::conditional_t<sizeof(R) == 4, std::uint32_t, std::uint64_t>;
  return std::bit_cast<bits>(a) == std::bit_cast<bits>(b);
}

template <class R>
bool same_bits(console::cplx_of<R> a, console::cplx_of<R> b) {
  return same_bits<R>(a.re, b.re) && same_bits<R>(a.im, b.im);
}

}  // namespace ellcalc
