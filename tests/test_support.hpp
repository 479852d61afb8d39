// What several tests share: values compared bit for bit, NaNs with a payload, uniform
// reals from a seeded engine, and the fuzz targets' check.
#pragma once

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <type_traits>

namespace test_support {

template <class R>
using bits_t = std::conditional_t<sizeof(R) == 4, std::uint32_t, std::uint64_t>;

template <class R>
bits_t<R> bits(R x) {
  return std::bit_cast<bits_t<R>>(x);
}

// Tells apart 0 and -0, and NaNs of different payloads.
template <class R>
bool same_bits(R a, R b) {
  return bits(a) == bits(b);
}

template <class R>
R nan_with(bits_t<R> payload) {
  return std::bit_cast<R>(bits(std::numeric_limits<R>::quiet_NaN()) | payload);
}

template <class Engine>
double uniform(Engine& g, double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(g);
}

// The fuzz targets' check: a fault the fuzzer sees.
inline void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace test_support
