// ellcalc's calculations, one per mode, each in two precisions from the same routines:
// R = float reads each point as the program's single-precision values (complex as two
// singles) and hands them to the routines the dialogue calls; R = double reads every value
// as a double and runs the same routines in double.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <tuple>
#include <vector>

#include "ellcalc/film1.hpp"
#include "ellcalc/film_fit.hpp"
#include "ellcalc/film_sweep.hpp"
#include "ellcalc/inversion.hpp"
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

// A real input read in precision R.
template <class R>
constexpr input real_input(const char* name, const char* unit = "") {
  return {name, real_in<R>, unit};
}

template <class R>
constexpr input in_degrees(const char* name) {
  return real_input<R>(name, "degree");
}

template <class R>
constexpr bool converged(const ellcalc::film1_result<R>& f) {
  return f.outcome.converged;
}

// The calculations in precision R, one per mode, and what they share: their inputs, and
// what film1 gives back, whatever the kind (the film found: index an, thickness ep, Psi
// psa, Delta dea, period per; and whether the index search settled).
template <class R>
struct modes {
  // The inputs, by unit.
  static constexpr input wavelength = real_input<R>("wavelength", "nm"), thickness = real_input<R>("thickness", "nm");
  static constexpr input angle = in_degrees<R>("angle"), psi = in_degrees<R>("psi"), delta = in_degrees<R>("delta"),
                         polariser = in_degrees<R>("polariser"), retardance = in_degrees<R>("retardance"),
                         rotation = in_degrees<R>("rotation"), zero = in_degrees<R>("zero"),
                         analyser = in_degrees<R>("analyser"), h2_phase = in_degrees<R>("h2_phase"),
                         h4_phase = in_degrees<R>("h4_phase");
  static constexpr input film_index = real_input<R>("film_index"), h2 = real_input<R>("h2"), h4 = real_input<R>("h4");
  // The thickness an inverted film is expected near; NaN: none (the folded thickness).
  static constexpr input near = real_input<R>("near", "nm");
  static constexpr input substrate{"substrate", complex_in<R>, ""};

  using film = ellcalc::film1_result<R>;

  // Every mode is computed in R.
  struct mode {
    using real = R;
  };

  // Mode 1.
  struct psi_delta : mode {
    static constexpr about info{"ellcalc_psi_delta", "Psi, Delta and the period of a film (mode 1).", light};
    static constexpr std::array inputs{wavelength, angle, substrate, film_index, thickness};
    using result = film;
    static constexpr std::tuple outputs{output{"psi", &film::psa}, output{"delta", &film::dea},
                                        output{"period", &film::per}};
    // Each worker keeps the media and the film set-up of the last angle, substrate and film
    // index: in a sweep only the wavelength and the thickness change from point to point.
    using worker = ellcalc::film_sweep<R>;
    static film compute(worker& w, R l, R p, cplx_of<R> n2, R a, R e) { return w.evaluate(l, p, n2, a, e); }
    static void compute_block(worker& w, std::size_t n, const R* l, const R* p, const cplx_of<R>* n2, const R* a,
                              const R* e, film* out) {
      w.evaluate_many(n, l, p, n2, a, e, out);
    }
  };

  // Modes 3 and 4: the film of the measured Psi and Delta, by film1 of that kind, in the
  // order nearest `near`, with the residual of its Psi and Delta.
  template <std::int32_t Kind>
  struct film_of_psi_delta : mode {
    static constexpr std::array inputs{wavelength, angle, substrate, film_index, psi, delta, near};
    using result = ellcalc::inverted_film<R>;
    static result compute(R l, R p, cplx_of<R> n2, R a, R s, R d, R t) {
      return ellcalc::inverted<R>(ellcalc::film1<R>(l, p, n2, Kind, s, d, a, R{0}), s, d, t);
    }
    static constexpr output residual{"residual", &result::residual};
    static constexpr output order{"order", &result::order};
  };

  // Mode 3.
  struct thickness_at_index : film_of_psi_delta<3> {
    static constexpr about info{"ellcalc_thickness", "The film thickness at a known index (mode 3).", heavy};
    static constexpr std::tuple outputs{output{"thickness", &film::ep}, output{"period", &film::per},
                                        output{"psi", &film::psa}, output{"delta", &film::dea},
                                        thickness_at_index::residual, thickness_at_index::order};
  };

  // Mode 4; a search that does not settle is an event as well as data.
  struct thickness_and_index : film_of_psi_delta<4> {
    static constexpr about info{"ellcalc_thickness_and_index", "The film thickness and index (mode 4).", heavy};
    static constexpr std::tuple outputs{output{"film_index", &film::an}, output{"thickness", &film::ep},
                                        output{"period", &film::per},    output{"psi", &film::psa},
                                        output{"delta", &film::dea},      output{"converged", converged<R>},
                                        thickness_and_index::residual,   thickness_and_index::order};
    static constexpr std::array<const char*, 0> event_fields{};
    static std::optional<std::array<double, 0>> event(const film& f) {
      if (f.outcome.converged) return std::nullopt;
      return std::array<double, 0>{};
    }
  };

  // Mode 2.
  struct substrate_index : mode {
    static constexpr about info{"ellcalc_substrate_index", "The index of a bare substrate (mode 2).", light};
    static constexpr std::array inputs{angle, psi, delta};
    using result = cplx_of<R>;
    static constexpr std::tuple outputs{output{"substrate", [](const cplx_of<R>& n) { return n; }}};
    static cplx_of<R> compute(R p, R s, R d) { return ellcalc::substrate_index<R>(p, s, d); }
  };

  // Mode 5.
  struct reflection : mode {
    static constexpr about info{"ellcalc_reflection", "Reflection coefficients and reflectances (mode 5).", light};
    static constexpr std::array inputs{wavelength, angle, substrate, film_index, thickness};
    using result = ellcalc::reflection_result_t<R>;
    static constexpr std::tuple outputs{
        output{"rp", &result::rp},   output{"rs", &result::rs},       output{"Rp", &result::Rp},
        output{"Rs", &result::Rs},   output{"period", &result::per},  output{"psi", &result::psi},
        output{"delta", &result::delta}};
    static result compute(R l, R p, cplx_of<R> n2, R a, R e) { return ellcalc::reflection<R>(l, p, n2, a, e); }
  };

  // Mode 6.
  struct harmonics : mode {
    static constexpr about info{"ellcalc_harmonics", "Harmonics of the rotating-compensator ellipsometer (mode 6).",
                                heavy};
    static constexpr std::array inputs{wavelength, angle,      substrate, film_index, thickness,
                                       polariser,  retardance, rotation,  zero,       analyser};
    using result = ellcalc::harmonics_result_t<R>;
    static constexpr std::tuple outputs{output{"h0", [](const result& r) { return r.h.H0; }},
                                        output{"h2", [](const result& r) { return r.h.H2A; }},
                                        output{"h2_phase", [](const result& r) { return r.h.H2P; }},
                                        output{"h4", [](const result& r) { return r.h.H4A; }},
                                        output{"h4_phase", [](const result& r) { return r.h.H4P; }},
                                        output{"psi", &result::psa},
                                        output{"delta", &result::dea}};
    static result compute(R l, R p, cplx_of<R> n2, R a, R e, R pol, R bir, R rot, R ref, R ana) {
      return ellcalc::harmonics_of_film<R>(l, p, n2, a, e, pol, bir, rot, ref, ana);
    }
  };

  // Mode 7; a negative discriminant is an event (Psi and Delta stay as given). The residual
  // is that of the film found against the Psi and Delta it was found from.
  struct from_harmonics : mode {
    static constexpr about info{"ellcalc_from_harmonics",
                                "Psi and Delta from measured harmonics, and the film they give (mode 7).", heavy};
    static constexpr std::array inputs{wavelength, angle,    substrate,  polariser, retardance,
                                       rotation,   zero,     analyser,   h2,        h2_phase,
                                       h4,         h4_phase, film_index, psi,       delta};
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
                                        output{"discriminant", &result::disc},
                                        output{"residual", [](const result& r) {
                                          return ellcalc::residual<R>(r.psa, r.dea, r.ps, r.de);
                                        }}};
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

  static void define_all(py::module_& m, py::dict& table) {
    define<psi_delta>(m, table);
    define<substrate_index>(m, table);
    define<thickness_at_index>(m, table);
    define<thickness_and_index>(m, table);
    define<reflection>(m, table);
    define<harmonics>(m, table);
    define<from_harmonics>(m, table);
  }
};

// The fit of one film to the measurements of each site (ellcalc_fit): the arguments have the
// broadcast shape `shape`, whose last dimension is the measurements of a site (a core
// dimension, read through its stride); the others are the sites, walked as in every
// calculation. The known layers under the film have the shape `shape` followed by the
// layers (a second core dimension, from the film down). Each worker keeps one fitter and
// one site's measurements and layers.
constexpr std::size_t fit_inputs = 10;  // wavelength angle substrate film_index psi delta sigmas, layers
constexpr std::size_t under_index = 8, under_thickness = 9;
constexpr py::ssize_t fit_min_sites = 100;

py::dict fit_sites(const py::iterable& shape_in, int threads, const std::array<py::array, fit_inputs>& args,
                   bool fit_index, double max_thickness) {
  const shape_t shape = shape_of(shape_in);
  if (shape.empty()) throw py::value_error("the measurements need an axis");
  const shape_t sites(shape.begin(), shape.end() - 1);
  const auto m = static_cast<std::size_t>(shape.back());
  // The layers: a dimension after the measurements' (of length 0 for a film alone).
  const py::array& layer_arg = args[under_thickness];
  if (layer_arg.ndim() < 1) throw py::value_error("the known layers need an axis");
  const py::ssize_t layer_count = layer_arg.shape(layer_arg.ndim() - 1);
  const auto layers = static_cast<std::size_t>(layer_count);
  std::array<operand, fit_inputs> ops;
  std::array<const operand*, fit_inputs> refs{};
  std::array<py::ssize_t, fit_inputs> core{}, across{};
  for (std::size_t k = 0; k < fit_inputs; ++k) {
    if (k == under_index || k == under_thickness) {
      std::array<py::ssize_t, 2> strides{};
      ops[k] = view_with_cores<2>(args[k], sites, {shape.back(), layer_count}, strides);
      core[k] = strides[0];
      across[k] = strides[1];
    } else {
      std::array<py::ssize_t, 1> strides{};
      ops[k] = view_with_cores<1>(args[k], sites, {shape.back()}, strides);
      core[k] = strides[0];
    }
    refs[k] = &ops[k];
  }
  constexpr std::size_t reals = 6;
  std::array<double*, reals> data{};
  const std::array<py::array_t<double>, reals> out = results<double, reals>(sites, data);
  std::array<bool*, 2> flags{};
  const std::array<py::array_t<bool>, 2> flag_out = results<bool, 2>(sites, flags);
  ellcalc::film_fit_options options;
  options.fit_index = fit_index;
  options.max_thickness = max_thickness;
  run_split(count_of(sites), threads, fit_min_sites, [&](py::ssize_t begin, py::ssize_t end, checkpoint& check) {
    if (begin >= end) return;
    walker<fit_inputs> w(sites, refs, begin, check);
    ellcalc::film_fitter fitter;
    std::vector<ellcalc::fit_measurement> ms(m);
    std::vector<ellcalc::stack_layer<double>> under(m * layers);
    for (py::ssize_t i = begin; i < end; ++i, w.next()) {
      for (std::size_t j = 0; j < m; ++j) {
        const auto at = [&](std::size_t k) { return w[k] + static_cast<py::ssize_t>(j) * core[k]; };
        const console::cplx_d film = as_cplx_d(ops[3], at(3));
        ms[j] = {as_double(ops[0], at(0)), as_double(ops[1], at(1)), as_cplx_d(ops[2], at(2)),
                 film.re,                  as_double(ops[4], at(4)), as_double(ops[5], at(5)),
                 as_double(ops[6], at(6)), as_double(ops[7], at(7)), film.im};
        for (std::size_t l = 0; l < layers; ++l) {
          const auto in_layer = [&](std::size_t k) { return at(k) + static_cast<py::ssize_t>(l) * across[k]; };
          under[j * layers + l] = {as_cplx_d(ops[under_index], in_layer(under_index)),
                                   as_double(ops[under_thickness], in_layer(under_thickness))};
        }
      }
      const ellcalc::film_fit_result r = fitter.fit(ms, options, under, layers);
      const std::array<double, reals> v{r.thickness, r.film_index, r.sigma_thickness,
                                        r.sigma_index, r.chi2,       r.residual};
      for (std::size_t k = 0; k < reals; ++k) data[k][i] = v[k];
      flags[0][i] = r.ambiguous;
      flags[1][i] = r.converged;
    }
  });
  py::dict d;
  const std::array names{"thickness", "film_index", "sigma_thickness", "sigma_index", "chi2", "residual"};
  for (std::size_t k = 0; k < reals; ++k) d[names[k]] = out[k];
  d["ambiguous"] = flag_out[0];
  d["converged"] = flag_out[1];
  return d;
}

}  // namespace

void bind_ellcalc(py::module_& m, py::dict& table) {
  modes<float>::define_all(m, table);
  modes<double>::define_all(m, table);
  m.def(
      "ellcalc_fit",
      [](const py::iterable& shape, int threads, const py::array& wavelength, const py::array& angle,
         const py::array& substrate, const py::array& film_index, const py::array& psi, const py::array& delta,
         const py::array& sigma_psi, const py::array& sigma_delta, const py::array& under_index,
         const py::array& under_thickness, bool fit_index, double max_thickness) {
        return fit_sites(shape, threads,
                         {wavelength, angle, substrate, film_index, psi, delta, sigma_psi, sigma_delta, under_index,
                          under_thickness},
                         fit_index, max_thickness);
      },
      py::arg("shape"), py::arg("threads"), py::arg("wavelength"), py::arg("angle"), py::arg("substrate"),
      py::arg("film_index"), py::arg("psi"), py::arg("delta"), py::arg("sigma_psi"), py::arg("sigma_delta"),
      py::arg("under_index"), py::arg("under_thickness"), py::arg("fit_index"), py::arg("max_thickness"),
      "The film fitted to the measurements of each site, along the last dimension of shape, over the\n"
      "known layers of under_index and under_thickness (shape and a dimension of layers).");
}

}  // namespace thinfilm_py
