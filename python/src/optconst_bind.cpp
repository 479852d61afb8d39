// optconst's dielectric function and complex index. Each point is one pass of the
// dialogue: material number, void fraction, second fraction (from the oxygen content x for
// the sub-oxide), the silica stress, and a wavelength in nm or an energy in eV.
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <tuple>

#include "optconst/constants.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"
#include "python/src/bindings.hpp"
#include "python/src/calculation.hpp"

namespace thinfilm_py {

namespace {

using console::cplx;

constexpr std::int32_t silica_number = 3;
constexpr std::int32_t suboxide_number = 5;
constexpr std::int64_t last_number = 9;

// The silica coefficients of the last stress a worker fitted, so that a run of points of
// one stress is fitted once per worker.
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

struct point {
  optconst::optical_constants c;
  bool fit_failed;  // the silica stress fit did not converge: the results are NaN
};

point not_a_number(bool fit_failed) {
  constexpr float nan = std::numeric_limits<float>::quiet_NaN();
  const cplx z{nan, nan};
  return {{{z, z}, {z, z}}, fit_failed};
}

// ByEnergy: the light is given as a photon energy (eV), else as a wavelength (nm).
template <bool ByEnergy>
struct constants {
  static constexpr const char* name = ByEnergy ? "optconst_constants_energy" : "optconst_constants";
  static constexpr const char* doc = "Dielectric function and complex index of a material.";
  static constexpr py::ssize_t min_points = 5000;
  static constexpr std::array inputs{input{"material", elem::integer, ""},
                                     ByEnergy ? input{"energy", elem::real32, "eV"}
                                              : input{"wavelength", elem::real32, "nm"},
                                     input{"voids", elem::real32, ""},
                                     input{"x", elem::real32, ""},
                                     input{"si_c_rate", elem::real32, ""},
                                     input{"stress", elem::real32, "MPa"}};
  using result = point;
  static constexpr std::tuple outputs{output{"epsilon", [](const point& p) { return p.c.eps[0]; }},
                                      output{"index", [](const point& p) { return p.c.index[0]; }},
                                      output{"epsilon_2", [](const point& p) { return p.c.eps[1]; }},
                                      output{"index_2", [](const point& p) { return p.c.index[1]; }}};
  using worker = silica_cache;

  static point compute(silica_cache& cache, std::int64_t material, float light, float voids, float x, float rate,
                       float stress) {
    // The Python layer lets only the menu through; anything else gives no value.
    if (material < 1 || material > last_number) return not_a_number(false);
    const auto number = static_cast<std::int32_t>(material);
    const float en = ByEnergy ? light : optconst::energy_of_wavelength(light);
    const std::array<float, 2> fr{voids, number == suboxide_number ? optconst::silica_fraction_of_x(x) : rate};
    optconst::silica_coefficients sio2 = optconst::unstressed_silica;
    if (number == silica_number && !cache.get(stress, sio2)) return not_a_number(true);
    return {optconst::constants_at(fr, en, number, sio2), false};
  }

  // The stress fit that failed (the program's STOP 7).
  static constexpr std::array<const char*, 0> event_fields{};
  static std::optional<std::array<double, 0>> event(const point& p) {
    if (!p.fit_failed) return std::nullopt;
    return std::array<double, 0>{};
  }
};

// The conversions of the light as the dialogue makes them: ToEnergy, the photon energy
// (eV) of a wavelength (nm), else the reverse.
template <bool ToEnergy>
struct conversion {
  static constexpr const char* name = ToEnergy ? "optconst_energy_of_wavelength" : "optconst_wavelength_of_energy";
  static constexpr const char* doc = "The photon energy of a wavelength, or the reverse, as the dialogue converts.";
  static constexpr py::ssize_t min_points = 50000;
  static constexpr input wavelength{"wavelength", elem::real32, "nm"};
  static constexpr input energy{"energy", elem::real32, "eV"};
  static constexpr std::array inputs{ToEnergy ? wavelength : energy};
  using result = float;
  static constexpr std::tuple outputs{output{ToEnergy ? energy.name : wavelength.name, [](float v) { return v; }}};
  static float compute(float v) {
    return ToEnergy ? optconst::energy_of_wavelength(v) : optconst::wavelength_of_energy(v);
  }
};

}  // namespace

void bind_optconst(py::module_& m, py::dict& table) {
  define<constants<false>>(m, table);
  define<constants<true>>(m, table);
  define<conversion<true>>(m, table);
  define<conversion<false>>(m, table);
  // hc of the conversions, nm eV.
  m.attr("optconst_hc") = optconst::hc;
}

}  // namespace thinfilm_py
