// The random source of the sweeps: splitmix64, small and fast; a fixed seed makes every run
// check the same values.
#pragma once

#include <cstdint>

namespace sweep {

struct generator {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1), 53 random bits.
  double uniform() { return static_cast<double>(next() >> 11) * 0x1p-53; }
  // 0 to n - 1, of n's integer type (n > 0).
  template <typename Int>
  Int below(Int n) {
    return static_cast<Int>(next() % static_cast<std::uint64_t>(n));
  }
};

}  // namespace sweep
