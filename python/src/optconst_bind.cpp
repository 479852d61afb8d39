// optconst's dielectric function and complex index over arrays. Each point is one pass of
// the dialogue: material number, void fraction, second fraction (from the oxygen content
// x for the sub-oxide), the silica stress, and a wavelength in nm or an energy in eV.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <mutex>
#include <vector>

#include "optconst/constants.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"
#include "python/src/bindings.hpp"
#include "python/src/points.hpp"

namespace thinfilm_py {

namespace {

using c64 = py::array_t<std::complex<float>>;

constexpr std::int32_t silica_number = 3;
constexpr std::int32_t suboxide_number = 5;

// The silica coefficients of the last stress a worker fitted, so that a stress shared by
// many points is fitted once per worker.
class silica_cache {
 public:
  // False when the fit of stress s does not converge.
  bool get(const float& s, optconst::silica_coefficients& out) {
    if (!valid_ || std::memcmp(&s, &stress_, sizeof s) != 0) {
      const optconst::stress_fit fit = optconst::bir_fit(s);
      valid_ = true;
      stress_ = s;
      converged_ = fit.converged;
      coefficients_ = fit.sio2;
    }
    out = coefficients_;
    return converged_;
  }

 private:
  bool valid_ = false;
  bool converged_ = false;
  float stress_ = 0.0f;
  optconst::silica_coefficients coefficients_{};
};

// Results: eps(1), n(1), eps(2), n(2); then (index, stress) of the first point, in C
// order, whose silica stress fit did not converge, or (-1, 0).
py::tuple constants(const py::iterable& shape_in, int threads, bool by_energy, const py::array& nat,
                    const py::array& light, const py::array& voids, const py::array& x, const py::array& rate,
                    const py::array& stress) {
  const shape_t shape = shape_of(shape_in);
  std::array<std::complex<float>*, 4> p{};
  const std::array<c64, 4> out = results(shape, p);

  py::ssize_t failed_at = -1;
  float failed_stress = 0.0f;
  std::mutex failed_lock;
  for_ranges<6>(shape, {nat, light, voids, x, rate, stress}, threads, 5000,
                [&](walker<6>& w, const std::array<operand, 6>& o, py::ssize_t begin, py::ssize_t end) {
    silica_cache cache;
    py::ssize_t my_failure = -1;
    float my_stress = 0.0f;
    for (py::ssize_t i = begin; i < end; ++i, w.next()) {
      // The Python layer lets only 1..9 through.
      const auto number = static_cast<std::int32_t>(as_int(o[0], w[0]));
      const float given = as_float(o[1], w[1]);
      const float en = by_energy ? given : optconst::energy_of_wavelength(given);
      const std::array<float, 2> fr{as_float(o[2], w[2]), number == suboxide_number
                                                             ? optconst::silica_fraction_of_x(as_float(o[3], w[3]))
                                                             : as_float(o[4], w[4])};
      optconst::silica_coefficients sio2 = optconst::unstressed_silica;
      if (number == silica_number) {
        const float s = as_float(o[5], w[5]);
        if (!cache.get(s, sio2)) {
          if (my_failure < 0) {
            my_failure = i;
            my_stress = s;
          }
          constexpr float nan = std::numeric_limits<float>::quiet_NaN();
          for (std::complex<float>* q : p) q[i] = {nan, nan};
          continue;
        }
      }
      const optconst::optical_constants c = optconst::constants_at(fr, en, number, sio2);
      p[0][i] = to_std(c.eps[0]);
      p[1][i] = to_std(c.index[0]);
      p[2][i] = to_std(c.eps[1]);
      p[3][i] = to_std(c.index[1]);
    }
    if (my_failure >= 0) {
      const std::lock_guard<std::mutex> hold(failed_lock);
      if (failed_at < 0 || my_failure < failed_at) {
        failed_at = my_failure;
        failed_stress = my_stress;
      }
    }
  });
  return py::make_tuple(out[0], out[1], out[2], out[3], failed_at, failed_stress);
}

// The wavelength (nm) of each energy (eV), and the energy of each wavelength, as the
// dialogue converts them.
py::array_t<float> convert(const py::iterable& shape_in, int threads, bool to_energy, const py::array& v) {
  const shape_t shape = shape_of(shape_in);
  py::array_t<float> out = result<float>(shape);
  float* p = out.mutable_data();
  for_points<1>(shape, {v}, threads, 50000, [&](const walker<1>& w, const std::array<operand, 1>& o, py::ssize_t i) {
    const float a = as_float(o[0], w[0]);
    p[i] = to_energy ? optconst::energy_of_wavelength(a) : optconst::wavelength_of_energy(a);
  });
  return out;
}

}  // namespace

void bind_optconst(py::module_& m) {
  m.def("optconst_constants", &constants);
  m.def("optconst_convert", &convert);
}

}  // namespace thinfilm_py
