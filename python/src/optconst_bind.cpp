// optconst's dielectric function and complex index. Each point is one pass of the
// dialogue: material number, void fraction, second fraction (from the oxygen content x for
// the sub-oxide), the silica stress, and a wavelength in nm or an energy in eV. Each
// calculation comes in the program's single precision (R = float) and in double, from the
// same routines.
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

using console::cplx_of;

constexpr std::int32_t silica_number = 3;
constexpr std::int32_t suboxide_number = 5;
constexpr std::int64_t last_number = 9;

// The silica coefficients of the last stress a worker fitted, so that a run of points of
// one stress is fitted once per worker.
template <class R>
class silica_cache {
 public:
  // False when the fit of stress s does not converge.
  bool get(const R& s, optconst::silica_block<R>& out) {
    if (!valid_ || std::memcmp(&s, &stress_, sizeof s) != 0) {
      const optconst::stress_fit_t<R> fit = optconst::bir_fit<R>(s);
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
  R stress_ = 0;
  optconst::silica_block<R> coefficients_{};
};

template <class R>
struct point {
  optconst::optical_constants_t<R> c;
  bool fit_failed;  // the silica stress fit did not converge: the results are NaN
};

template <class R>
point<R> not_a_number(bool fit_failed) {
  constexpr R nan = std::numeric_limits<R>::quiet_NaN();
  const cplx_of<R> z{nan, nan};
  return {{{z, z}, {z, z}}, fit_failed};
}

// ByEnergy: the light is given as a photon energy (eV), else as a wavelength (nm).
template <class R, bool ByEnergy>
struct constants {
  using real = R;
  static constexpr about info{ByEnergy ? "optconst_constants_energy" : "optconst_constants",
                              "Dielectric function and complex index of a material.", 5000};
  static constexpr elem real_kind = real_in<R>;
  static constexpr std::array inputs{input{"material", elem::integer, ""},
                                     ByEnergy ? input{"energy", real_kind, "eV"}
                                              : input{"wavelength", real_kind, "nm"},
                                     input{"voids", real_kind, ""},
                                     input{"x", real_kind, ""},
                                     input{"si_c_rate", real_kind, ""},
                                     input{"stress", real_kind, "MPa"}};
  using result = point<R>;
  static constexpr std::tuple outputs{output{"epsilon", [](const point<R>& p) { return p.c.eps[0]; }},
                                      output{"index", [](const point<R>& p) { return p.c.index[0]; }},
                                      output{"epsilon_2", [](const point<R>& p) { return p.c.eps[1]; }},
                                      output{"index_2", [](const point<R>& p) { return p.c.index[1]; }}};
  using worker = silica_cache<R>;

  static point<R> compute(silica_cache<R>& cache, std::int64_t material, R light, R voids, R x, R rate, R stress) {
    // The Python layer lets only the menu through; anything else gives no value.
    if (material < 1 || material > last_number) return not_a_number<R>(false);
    const auto number = static_cast<std::int32_t>(material);
    const R en = ByEnergy ? light : optconst::energy_of_wavelength<R>(light);
    const std::array<R, 2> fr{voids, number == suboxide_number ? optconst::silica_fraction_of_x<R>(x) : rate};
    optconst::silica_block<R> sio2 = optconst::unstressed_silica_of<R>;
    if (number == silica_number && !cache.get(stress, sio2)) return not_a_number<R>(true);
    return {optconst::constants_at<R>(fr, en, number, sio2), false};
  }

  // The stress fit that failed (the program's STOP 7).
  static constexpr std::array<const char*, 0> event_fields{};
  static std::optional<std::array<double, 0>> event(const point<R>& p) {
    if (!p.fit_failed) return std::nullopt;
    return std::array<double, 0>{};
  }
};

// The conversions of the light as the dialogue makes them: ToEnergy, the photon energy
// (eV) of a wavelength (nm), else the reverse.
template <class R, bool ToEnergy>
struct conversion {
  using real = R;
  static constexpr about info{ToEnergy ? "optconst_energy_of_wavelength" : "optconst_wavelength_of_energy",
                              "The photon energy of a wavelength, or the reverse, as the dialogue converts.", 50000};
  static constexpr input wavelength{"wavelength", real_in<R>, "nm"};
  static constexpr input energy{"energy", real_in<R>, "eV"};
  static constexpr std::array inputs{ToEnergy ? wavelength : energy};
  using result = R;
  static constexpr std::tuple outputs{output{ToEnergy ? energy.name : wavelength.name, [](R v) { return v; }}};
  static R compute(R v) {
    return ToEnergy ? optconst::energy_of_wavelength<R>(v) : optconst::wavelength_of_energy<R>(v);
  }
};

}  // namespace

void bind_optconst(py::module_& m, py::dict& table) {
  define<constants<float, false>>(m, table);
  define<constants<float, true>>(m, table);
  define<conversion<float, true>>(m, table);
  define<conversion<float, false>>(m, table);
  define<constants<double, false>>(m, table);
  define<constants<double, true>>(m, table);
  define<conversion<double, true>>(m, table);
  define<conversion<double, false>>(m, table);
  // hc of the conversions, nm eV.
  m.attr("optconst_hc") = optconst::hc;
}

}  // namespace thinfilm_py
