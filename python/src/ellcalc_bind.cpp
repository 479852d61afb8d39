// ellcalc's calculations, one per mode, each in two precisions from the same routines:
// R = float reads each point as the program's single-precision values (complex as two
// singles) and hands them to the routines the dialogue calls; R = double reads every value
// as a double and runs the same routines in double.
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>

#include "ellcalc/film1.hpp"
#include "ellcalc/film_sweep.hpp"
#include "ellcalc/modes.hpp"
#include "ellcalc/substrate_index.hpp"
#include "python/src/bindings.hpp"
#include "python/src/calculation.hpp"

namespace thinfilm_py {

namespace {

using console::cplx_of;

// Below these many points a calculation stays on one thread.
constexpr py::ssize_t light = 20000;  // a forward film model per point
constexpr py::ssize_t heavy = 2000;   // searches, harmonics

// The inputs of the calculations in precision R.
template <class R>
struct in {
  static constexpr elem real = real_in<R>;
  static constexpr input wavelength{"wavelength", real, "nm"};
  static constexpr input angle{"angle", real, "degree"};
  static constexpr input substrate{"substrate", complex_in<R>, ""};
  static constexpr input film_index{"film_index", real, ""};
  static constexpr input thickness{"thickness", real, "nm"};
  static constexpr input psi{"psi", real, "degree"};
  static constexpr input delta{"delta", real, "degree"};
  static constexpr input polariser{"polariser", real, "degree"};
  static constexpr input retardance{"retardance", real, "degree"};
  static constexpr input rotation{"rotation", real, "degree"};
  static constexpr input zero{"zero", real, "degree"};
  static constexpr input analyser{"analyser", real, "degree"};
  static constexpr input h2{"h2", real, ""};
  static constexpr input h2_phase{"h2_phase", real, "degree"};
  static constexpr input h4{"h4", real, ""};
  static constexpr input h4_phase{"h4_phase", real, "degree"};
};

// What film1 gives back, whatever the kind: the film found (index an, thickness ep, Psi
// psa, Delta dea, period per) and whether the index search settled.
template <class R>
using film = ellcalc::film1_result<R>;

template <class R>
film<R> film_of_kind(std::int32_t kind, R l, R p, const cplx_of<R>& n2, R s, R d, R a, R e) {
  return ellcalc::film1<R>(l, p, n2, kind, s, d, a, e);
}

template <class R>
constexpr bool converged(const film<R>& f) {
  return f.outcome.converged;
}

// Mode 1.
template <class R>
struct psi_delta {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_psi_delta";
  static constexpr const char* doc = "Psi, Delta and the period of a film (mode 1).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{A::wavelength, A::angle, A::substrate, A::film_index, A::thickness};
  using result = film<R>;
  static constexpr std::tuple outputs{output{"psi", &result::psa}, output{"delta", &result::dea},
                                      output{"period", &result::per}};
  // Each worker keeps the media and the film set-up of the last angle, substrate and film
  // index: in a sweep only the wavelength and the thickness change from point to point.
  using worker = ellcalc::film_sweep<R>;
  static film<R> compute(worker& w, R l, R p, cplx_of<R> n2, R a, R e) { return w.evaluate(l, p, n2, a, e); }
};

// Mode 3.
template <class R>
struct thickness_at_index {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_thickness";
  static constexpr const char* doc = "The film thickness at a known index (mode 3).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{A::wavelength, A::angle, A::substrate, A::film_index, A::psi, A::delta};
  using result = film<R>;
  static constexpr std::tuple outputs{output{"thickness", &result::ep}, output{"period", &result::per},
                                      output{"psi", &result::psa}, output{"delta", &result::dea}};
  static film<R> compute(R l, R p, cplx_of<R> n2, R a, R s, R d) {
    return film_of_kind(3, l, p, n2, s, d, a, R{0});
  }
};

// Mode 4; a search that does not settle is an event as well as data.
template <class R>
struct thickness_and_index {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_thickness_and_index";
  static constexpr const char* doc = "The film thickness and index (mode 4).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{A::wavelength, A::angle, A::substrate, A::film_index, A::psi, A::delta};
  using result = film<R>;
  static constexpr std::tuple outputs{output{"film_index", &result::an}, output{"thickness", &result::ep},
                                      output{"period", &result::per},    output{"psi", &result::psa},
                                      output{"delta", &result::dea},      output{"converged", converged<R>}};
  static film<R> compute(R l, R p, cplx_of<R> n2, R a, R s, R d) {
    return film_of_kind(4, l, p, n2, s, d, a, R{0});
  }
  static constexpr std::array<const char*, 0> event_fields{};
  static std::optional<std::array<double, 0>> event(const film<R>& f) {
    if (f.outcome.converged) return std::nullopt;
    return std::array<double, 0>{};
  }
};

// Mode 2.
template <class R>
struct substrate_index {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_substrate_index";
  static constexpr const char* doc = "The index of a bare substrate (mode 2).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{A::angle, A::psi, A::delta};
  using result = cplx_of<R>;
  static constexpr std::tuple outputs{output{"substrate", [](const cplx_of<R>& n) { return n; }}};
  static cplx_of<R> compute(R p, R s, R d) {
    return ellcalc::substrate_index<R>(p, s, d);
  }
};

// Mode 5.
template <class R>
struct reflection {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_reflection";
  static constexpr const char* doc = "Reflection coefficients and reflectances (mode 5).";
  static constexpr py::ssize_t min_points = light;
  static constexpr std::array inputs{A::wavelength, A::angle, A::substrate, A::film_index, A::thickness};
  using result = ellcalc::reflection_result_t<R>;
  static constexpr std::tuple outputs{
      output{"rp", &result::rp},   output{"rs", &result::rs},       output{"Rp", &result::Rp},
      output{"Rs", &result::Rs},   output{"period", &result::per},  output{"psi", &result::psi},
      output{"delta", &result::delta}};
  static result compute(R l, R p, cplx_of<R> n2, R a, R e) { return ellcalc::reflection<R>(l, p, n2, a, e); }
};

// Mode 6.
template <class R>
struct harmonics {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_harmonics";
  static constexpr const char* doc = "Harmonics of the rotating-compensator ellipsometer (mode 6).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{A::wavelength, A::angle,      A::substrate, A::film_index, A::thickness,
                                     A::polariser,  A::retardance, A::rotation,  A::zero,       A::analyser};
  using result = ellcalc::harmonics_result_t<R>;
  static constexpr std::tuple outputs{output{"h0", [](const result& r) { return r.h.H0; }},
                                      output{"h2", [](const result& r) { return r.h.H2A; }},
                                      output{"h2_phase", [](const result& r) { return r.h.H2P; }},
                                      output{"h4", [](const result& r) { return r.h.H4A; }},
                                      output{"h4_phase", [](const result& r) { return r.h.H4P; }},
                                      output{"psi", &result::psa},
                                      output{"delta", &result::dea}};
  static result compute(R l, R p, cplx_of<R> n2, R a, R e, R pol, R bir, R rot, R ref,
                        R ana) {
    return ellcalc::harmonics_of_film<R>(l, p, n2, a, e, pol, bir, rot, ref, ana);
  }
};

// Mode 7; a negative discriminant is an event (Psi and Delta stay as given).
template <class R>
struct from_harmonics {
  using real = R;
  using A = in<R>;
  static constexpr const char* name = "ellcalc_from_harmonics";
  static constexpr const char* doc = "Psi and Delta from measured harmonics, and the film they give (mode 7).";
  static constexpr py::ssize_t min_points = heavy;
  static constexpr std::array inputs{A::wavelength, A::angle,    A::substrate, A::polariser, A::retardance,
                                     A::rotation,   A::zero,     A::analyser,  A::h2,        A::h2_phase,
                                     A::h4,         A::h4_phase, A::film_index, A::psi,      A::delta};
  using result = ellcalc::measured_result_t<R>;
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
  static result compute(R l, R p, cplx_of<R> n2, R pol, R bir, R rot, R ref, R ana, R h2p, R h2d, R h4p, R h4d,
                        R an, R ps, R de) {
    // The thickness search (kind 3) does not start from a thickness.
    return ellcalc::from_measured_harmonics<R>(l, p, n2, pol, bir, rot, ref, ana, h2p, h2d, h4p, h4d, ps, de, an,
                                               R{100});
  }
  static constexpr std::array event_fields{"discriminant"};
  static std::optional<std::array<double, 1>> event(const result& r) {
    if (!(r.disc < R{0})) return std::nullopt;
    return std::array<double, 1>{r.disc};
  }
};

}  // namespace

void bind_ellcalc(py::module_& m, py::dict& table) {
  define<psi_delta<float>>(m, table);
  define<psi_delta<double>>(m, table);
  define<substrate_index<float>>(m, table);
  define<substrate_index<double>>(m, table);
  define<thickness_at_index<float>>(m, table);
  define<thickness_at_index<double>>(m, table);
  define<thickness_and_index<float>>(m, table);
  define<thickness_and_index<double>>(m, table);
  define<reflection<float>>(m, table);
  define<reflection<double>>(m, table);
  define<harmonics<float>>(m, table);
  define<harmonics<double>>(m, table);
  define<from_harmonics<float>>(m, table);
  define<from_harmonics<double>>(m, table);
}

}  // namespace thinfilm_py
