// ellcalc's calculations, one per mode: each point is read as the program's
// single-precision values (complex as two singles) and handed to the routines the
// dialogue calls.
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>

#include "ellcalc/film1.hpp"
#include "ellcalc/modes.hpp"
#include "ellcalc/substrate_index.hpp"
#include "python/src/bindings.hpp"
#include "python/src/calculation.hpp"

namespace thinfilm_py {

namespace {

using console::cplx;

// Below these many points a calculation stays on one thread.
constexpr py::ssize_t light = 20000;  // a forward film model per point
constexpr py::ssize_t heavy = 2000;   // searches, harmonics

constexpr input wavelength{"wavelength", elem::real32, "nm"};
constexpr input angle{"angle", elem::real32, "degree"};
constexpr input substrate{"substrate", elem::complex, ""};
constexpr input film_index{"film_index", elem::real32, ""};
constexpr input thickness{"thickness", elem::real32, "nm"};
constexpr input psi{"psi", elem::real32, "degree"};
constexpr input delta{"delta", elem::real32, "degree"};
constexpr input polariser{"polariser", elem::real32, "degree"};
constexpr input retardance{"retardance", elem::real32, "degree"};
constexpr input rotation{"rotation", elem::real32, "degree"};
constexpr input zero{"zero", elem::real32, "degree"};
constexpr input analyser{"analyser", elem::real32, "degree"};

// What film1 gives back, whatever the kind: the film found (index an, thickness ep, Psi
// psa, Delta dea, period per) and whether the index search settled.
using film = ellcalc::film1_result<float>;

film film_of_kind(std::int32_t kind, float l, float p, const cplx& n2, float s, float d, float a, float e) {
  return ellcalc::film1<float>(l, p, n2, kind, s, d, a, e);
}

constexpr bool converged(const film& f) { return f.outcome.converged; }

// Mode 1.
struct psi_delta {
  static constexpr const char* name = "ellcalc_psi_delta";
  static constexpr const char* doc = "Psi, Delta and the period of a film (mode 1).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{wavelength, angle, substrate, film_index, thickness};
  using result = film;
  static constexpr std::tuple outputs{output{"psi", &film::psa}, output{"delta", &film::dea},
                                      output{"period", &film::per}};
  static film compute(float l, float p, cplx n2, float a, float e) {
    return film_of_kind(1, l, p, n2, 0.0f, 0.0f, a, e);
  }
};

// Mode 3.
struct thickness_at_index {
  static constexpr const char* name = "ellcalc_thickness";
  static constexpr const char* doc = "The film thickness at a known index (mode 3).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{wavelength, angle, substrate, film_index, psi, delta};
  using result = film;
  static constexpr std::tuple outputs{output{"thickness", &film::ep}, output{"period", &film::per},
                                      output{"psi", &film::psa}, output{"delta", &film::dea}};
  static film compute(float l, float p, cplx n2, float a, float s, float d) {
    return film_of_kind(3, l, p, n2, s, d, a, 0.0f);
  }
};

// Mode 4; a search that does not settle is an event as well as data.
struct thickness_and_index {
  static constexpr const char* name = "ellcalc_thickness_and_index";
  static constexpr const char* doc = "The film thickness and index (mode 4).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{wavelength, angle, substrate, film_index, psi, delta};
  using result = film;
  static constexpr std::tuple outputs{output{"film_index", &film::an},   output{"thickness", &film::ep},
                                      output{"period", &film::per},      output{"psi", &film::psa},
                                      output{"delta", &film::dea},        output{"converged", converged}};
  static film compute(float l, float p, cplx n2, float a, float s, float d) {
    return film_of_kind(4, l, p, n2, s, d, a, 0.0f);
  }
  static constexpr std::array<const char*, 0> event_fields{};
  static std::optional<std::array<double, 0>> event(const film& f) {
    if (f.outcome.converged) return std::nullopt;
    return std::array<double, 0>{};
  }
};

// Mode 2.
struct substrate_index {
  static constexpr const char* name = "ellcalc_substrate_index";
  static constexpr const char* doc = "The index of a bare substrate (mode 2).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{angle, psi, delta};
  using result = cplx;
  static constexpr std::tuple outputs{output{"substrate", [](const cplx& n) { return n; }}};
  static cplx compute(float p, float s, float d) {
    return ellcalc::substrate_index<float>(p, s, d);
  }
};

// Mode 5.
struct reflection {
  static constexpr const char* name = "ellcalc_reflection";
  static constexpr const char* doc = "Reflection coefficients and reflectances (mode 5).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{wavelength, angle, substrate, film_index, thickness};
  using result = ellcalc::reflection_result;
  static constexpr std::tuple outputs{
      output{"rp", &result::rp},   output{"rs", &result::rs},       output{"Rp", &result::Rp},
      output{"Rs", &result::Rs},   output{"period", &result::per},  output{"psi", &result::psi},
      output{"delta", &result::delta}};
  static result compute(float l, float p, cplx n2, float a, float e) { return ellcalc::reflection(l, p, n2, a, e); }
};

// Mode 6.
struct harmonics {
  static constexpr const char* name = "ellcalc_harmonics";
  static constexpr const char* doc = "Harmonics of the rotating-compensator ellipsometer (mode 6).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{wavelength, angle,      substrate, film_index, thickness,
                                     polariser,  retardance, rotation,  zero,       analyser};
  using result = ellcalc::harmonics_result;
  static constexpr std::tuple outputs{output{"h0", [](const result& r) { return r.h.H0; }},
                                      output{"h2", [](const result& r) { return r.h.H2A; }},
                                      output{"h2_phase", [](const result& r) { return r.h.H2P; }},
                                      output{"h4", [](const result& r) { return r.h.H4A; }},
                                      output{"h4_phase", [](const result& r) { return r.h.H4P; }},
                                      output{"psi", &result::psa},
                                      output{"delta", &result::dea}};
  static result compute(float l, float p, cplx n2, float a, float e, float pol, float bir, float rot, float ref,
                        float ana) {
    return ellcalc::harmonics_of_film(l, p, n2, a, e, pol, bir, rot, ref, ana);
  }
};

// Mode 7; a negative discriminant is an event (Psi and Delta stay as given).
struct from_harmonics {
  static constexpr const char* name = "ellcalc_from_harmonics";
  static constexpr const char* doc = "Psi and Delta from measured harmonics, and the film they give (mode 7).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{wavelength, angle,
                                     substrate,  polariser,
                                     retardance, rotation,
                                     zero,       analyser,
                                     input{"h2", elem::real32, ""},
                                     input{"h2_phase", elem::real32, "degree"},
                                     input{"h4", elem::real32, ""},
                                     input{"h4_phase", elem::real32, "degree"},
                                     film_index, psi,
                                     delta};
  using result = ellcalc::measured_result;
  static constexpr std::tuple outputs{output{"psi", &result::ps},
                                      output{"delta", &result::de},
                                      output{"model_psi", &result::psa},
                                      output{"model_delta", &result::dea},
                                      output{"film_index", &result::an},
                                      output{"thickness", [](const result& r) { return r.model.ep; }},
                                      output{"period", [](const result& r) { return r.model.per; }},
                                      output{"rp", [](const result& r) { return r.model.rp; }},
                                      output{"rs", [](const result& r) { return r.model.rs; }},
                                      output{"Rp", [](const result& r) { return r.model.Rp; }},
                                      output{"Rs", [](const result& r) { return r.model.Rs; }},
                                      output{"h0", [](const result& r) { return r.h.H0; }},
                                      output{"h2_cos", [](const result& r) { return r.h.H2C; }},
                                      output{"h2_sin", [](const result& r) { return r.h.H2S; }},
                                      output{"h2", [](const result& r) { return r.h.H2A; }},
                                      output{"h2_phase", [](const result& r) { return r.h.H2P; }},
                                      output{"h4_cos", [](const result& r) { return r.h.H4C; }},
                                      output{"h4_sin", [](const result& r) { return r.h.H4S; }},
                                      output{"h4", [](const result& r) { return r.h.H4A; }},
                                      output{"h4_phase", [](const result& r) { return r.h.H4P; }},
                                      output{"discriminant", &result::disc}};
  static result compute(float l, float p, cplx n2, float pol, float bir, float rot, float ref, float ana, float h2p,
                        float h2d, float h4p, float h4d, float an, float ps, float de) {
    // The thickness search (kind 3) does not start from a thickness.
    return ellcalc::from_measured_harmonics(l, p, n2, pol, bir, rot, ref, ana, h2p, h2d, h4p, h4d, ps, de, an,
                                            100.0f);
  }
  static constexpr std::array event_fields{"discriminant"};
  static std::optional<std::array<double, 1>> event(const result& r) {
    if (!(r.disc < 0.0f)) return std::nullopt;
    return std::array<double, 1>{r.disc};
  }
};

}  // namespace

void bind_ellcalc(py::module_& m, py::dict& table) {
  define<psi_delta>(m, table);
  define<substrate_index>(m, table);
  define<thickness_at_index>(m, table);
  define<thickness_and_index>(m, table);
  define<reflection>(m, table);
  define<harmonics>(m, table);
  define<from_harmonics>(m, table);
}

}  // namespace thinfilm_py
