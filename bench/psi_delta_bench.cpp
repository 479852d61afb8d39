// The per-point work of thinfilm's ellcalc.psi_delta in a plain C++ loop: the film model
// (kind 1) at 1,000,000 (thickness, wavelength) points, single thread, with angle,
// substrate and film index the same at every point, as in a sweep. Each loop is timed
// three ways: film1 itself, which redoes the whole model at each point; film_sweep, which
// keeps the part that the angle, the substrate and the film index fix; and film_sweep 64
// points at a time (in single precision, several points at once in lanes), as the package
// calls it; in single and in double precision. All must give the same bits ("identical").
// bench/thinfilm_bench.py compares the package with the single-precision line of
// film_sweep 64 at a time divided by the threads it uses.
//
//   psi_delta_bench [points] [runs]
//   -> "psi_delta loop, float film_sweep: 1000000 points, best of 5: 0.080 s, processor
//       time 0.080 s, 80.0 ns/point (checksum ...)"
//      and the float film1, double film_sweep and double film1 lines, then whether each
//      precision's two loops gave identical results.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/film_sweep.hpp"

namespace {

template <class R>
struct outputs {
  std::vector<R> psi, delta, period;
  bool operator==(const outputs& o) const {
    const auto same = [](const std::vector<R>& a, const std::vector<R>& b) {
      return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(R)) == 0;
    };
    return same(psi, o.psi) && same(delta, o.delta) && same(period, o.period);
  }
};

// Times `evaluate(i)` over the points, best of `runs`, prints one line and returns the
// results.
template <class R, class Evaluate>
outputs<R> timed(const char* label, std::size_t points, int runs, Evaluate evaluate) {
  outputs<R> out{std::vector<R>(points), std::vector<R>(points), std::vector<R>(points)};
  double best = 1e300;
  double best_cpu = 1e300;
  for (int run = 0; run < runs; ++run) {
    const std::clock_t cpu_start = std::clock();
    const auto start = std::chrono::steady_clock::now();
    evaluate.reset();
    for (std::size_t i = 0; i < points; ++i) {
      const ellcalc::film1_result<R> r = evaluate(i);
      out.psi[i] = r.psa;
      out.delta[i] = r.dea;
      out.period[i] = r.per;
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    best_cpu = std::min(best_cpu, static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC);
  }
  double check = 0.0;
  for (const R v : out.psi) check += static_cast<double>(v);
  std::printf(
      "psi_delta loop, %s: %zu points, best of %d: %.3f s, processor time %.3f s, %.1f ns/point (checksum %.6g)\n",
      label, points, runs, best, best_cpu, 1e9 * best / static_cast<double>(points), check);
  return out;
}

template <class R>
void both(const char* real, const std::vector<double>& thickness, const std::vector<double>& wavelength, int runs) {
  std::vector<R> ep(thickness.begin(), thickness.end());
  std::vector<R> ol(wavelength.begin(), wavelength.end());
  const R phi = 70;
  const console::cplx_of<R> cn2{static_cast<R>(3.866), static_cast<R>(-0.028)};
  const R an = static_cast<R>(1.46);
  const R unused = 0;
  const std::int32_t forward = 1;

  struct cached {
    const std::vector<R>& ol;
    const std::vector<R>& ep;
    R phi, an;
    console::cplx_of<R> cn2;
    ellcalc::film_sweep<R> sweep{};
    void reset() { sweep = {}; }
    ellcalc::film1_result<R> operator()(std::size_t i) { return sweep.evaluate(ol[i], phi, cn2, an, ep[i]); }
  };
  // film_sweep 64 points at a time, as the package calls it.
  struct blocks {
    const std::vector<R>& ol;
    const std::vector<R>& ep;
    R phi, an;
    console::cplx_of<R> cn2;
    ellcalc::film_sweep<R> sweep{};
    std::array<R, 64> phis{}, ans{};
    std::array<console::cplx_of<R>, 64> cn2s{};
    std::array<ellcalc::film1_result<R>, 64> out{};
    void reset() {
      sweep = {};
      phis.fill(phi);
      ans.fill(an);
      cn2s.fill(cn2);
    }
    ellcalc::film1_result<R> operator()(std::size_t i) {
      const std::size_t k = i % out.size();
      if (k == 0) {
        const std::size_t n = std::min(out.size(), ol.size() - i);
        sweep.evaluate_many(n, &ol[i], phis.data(), cn2s.data(), ans.data(), &ep[i], out.data());
      }
      return out[k];
    }
  };
  struct whole {
    const std::vector<R>& ol;
    const std::vector<R>& ep;
    R phi, an;
    console::cplx_of<R> cn2;
    R unused;
    std::int32_t forward;
    void reset() {}
    ellcalc::film1_result<R> operator()(std::size_t i) const {
      return ellcalc::film1<R>(ol[i], phi, cn2, forward, unused, unused, an, ep[i]);
    }
  };
  char label[64];
  std::snprintf(label, sizeof label, "%s film_sweep", real);
  const outputs<R> a = timed<R>(label, ep.size(), runs, cached{ol, ep, phi, an, cn2});
  std::snprintf(label, sizeof label, "%s film_sweep, 64 at a time", real);
  const outputs<R> c = timed<R>(label, ep.size(), runs, blocks{ol, ep, phi, an, cn2});
  std::snprintf(label, sizeof label, "%s film1", real);
  const outputs<R> b = timed<R>(label, ep.size(), runs, whole{ol, ep, phi, an, cn2, unused, forward});
  std::printf("%s: film_sweep, film_sweep 64 at a time and film1 %s\n", real,
              a == b && c == b ? "identical" : "DIFFER");
}

}  // namespace

int main(int argc, char** argv) {
  const long points = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  if (points < 1 || runs < 1) {
    std::fprintf(stderr, "usage: psi_delta_bench [points] [runs]\n");
    return 2;
  }
  // The same points as the Python benchmark: thickness 0..1000 nm, wavelength 300..1000 nm.
  std::vector<double> thickness(static_cast<std::size_t>(points));
  std::vector<double> wavelength(static_cast<std::size_t>(points));
  for (long i = 0; i < points; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(points);
    thickness[static_cast<std::size_t>(i)] = 1000.0 * t;
    wavelength[static_cast<std::size_t>(i)] = 300.0 + 700.0 * t;
  }
  both<float>("float", thickness, wavelength, runs);
  both<double>("double", thickness, wavelength, runs);
  return 0;
}
