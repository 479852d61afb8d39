// The per-point work of thinfilm's ellcalc.psi_delta in a plain C++ loop: the film model
// (film1, kind 1) at 1,000,000 (thickness, wavelength) points, single thread. The Python
// benchmark (bench/thinfilm_bench.py) compares its array call with this time divided by
// the threads it uses.
//
//   psi_delta_bench [points] [runs]
//   -> "psi_delta loop: 1000000 points, best of 5: 0.210 s, processor time 0.209 s (checksum ...)"
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"

int main(int argc, char** argv) {
  const long points = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (points < 1 || runs < 1) {
    std::fprintf(stderr, "usage: psi_delta_bench [points] [runs]\n");
    return 2;
  }
  // The same points as the Python benchmark: thickness 0..1000 nm, wavelength 300..1000 nm.
  std::vector<float> thickness(static_cast<std::size_t>(points));
  std::vector<float> wavelength(static_cast<std::size_t>(points));
  for (long i = 0; i < points; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(points);
    thickness[static_cast<std::size_t>(i)] = static_cast<float>(1000.0 * t);
    wavelength[static_cast<std::size_t>(i)] = static_cast<float>(300.0 + 700.0 * t);
  }
  std::vector<float> psi(thickness.size()), delta(thickness.size()), period(thickness.size());
  const float phi = 70.0f;
  const console::cplx cn2{3.866f, -0.028f};
  const std::int32_t forward = 1;
  const float unused = 0.0f;

  double best = 1e300;
  double best_cpu = 1e300;
  for (int r = 0; r < runs; ++r) {
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < thickness.size(); ++i) {
      const ellcalc::film1_result<float> r =
          ellcalc::film1<float>(wavelength[i], phi, cn2, forward, unused, unused, 1.46f, thickness[i]);
      psi[i] = r.psa;
      delta[i] = r.dea;
      period[i] = r.per;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    best_cpu = std::min(best_cpu, static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC);
  }
  double check = 0.0;
  for (const float v : psi) check += static_cast<double>(v);
  std::printf("psi_delta loop: %ld points, best of %d: %.3f s, processor time %.3f s (checksum %.6g)\n", points,
              runs, best, best_cpu, check);
  return 0;
}
