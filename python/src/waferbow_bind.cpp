// waferbow's first calculation and continue pass. Lengths and moduli are the dialogue's
// doubles; the moment is entered in N as a single-precision value, as at the moment
// prompt. The first calculation gives back, besides its report, every number a continue
// pass starts from, so that its result is plain data. Both take the bow of the bare wafer
// (0: the dialogue's flat wafer, to the bit) and add Stoney's stress to the report; the
// first calculation gives the standard deviation of the film stress, the continue pass
// whether it settled.
#include <array>
#include <cstdint>
#include <optional>
#include <tuple>
#include <utility>

#include "python/src/bindings.hpp"
#include "python/src/calculation.hpp"
#include "waferbow/continue_pass.hpp"
#include "waferbow/film_change.hpp"
#include "waferbow/first_calculation.hpp"
#include "waferbow/measured_stress.hpp"
#include "waferbow/stress_report.hpp"
#include "waferbow/units.hpp"

namespace thinfilm_py {

namespace {

using waferbow::first_state;
using waferbow::stress_fields;

// The first state that a continue pass starts from, by name.
struct state_field {
  const char* name;
  double first_state::*member;
  const char* unit;
};

constexpr std::array<state_field, 6> state_fields{{
    {"modulus_si_mpa", &first_state::e1, "MPa"},
    {"modulus_sio2_mpa", &first_state::e2, "MPa"},
    {"mid_radius_si", &first_state::c1, "m"},
    {"mid_radius_sio2", &first_state::c2, "m"},
    {"neutral_radius_si", &first_state::r1, "m"},
    {"neutral_radius_sio2", &first_state::r2, "m"},
}};

constexpr input diameter{"diameter", elem::real64, "m"};
constexpr input silicon{"silicon", elem::real64, "um"};
constexpr input silica{"silica", elem::real64, "um"};
constexpr input moment{"moment", elem::real32, "N"};
constexpr input initial_bow{"initial_bow", elem::real64, "um"};

// The report of a result: its `report`, or its pass's.
inline const waferbow::stress_report& report_of(const waferbow::film_change& c) { return c.pass.report; }
template <class R>
const waferbow::stress_report& report_of(const R& r) {
  return r.report;
}

// The report's field I of a result R.
template <class R, std::size_t I>
struct report_value {
  double operator()(const R& r) const { return report_of(r).*stress_fields[I].member; }
};

template <class R, std::size_t... I>
constexpr auto report_outputs(std::index_sequence<I...>) {
  return std::tuple{output{stress_fields[I].name, report_value<R, I>{}}...};
}

template <class R>
constexpr auto report_outputs() {
  return report_outputs<R>(std::make_index_sequence<stress_fields.size()>{});
}

struct first_point {
  waferbow::stress_report report;
  double stress_stoney, sigma_stress_sio2;
  first_state state;
  double diameter, silicon, silica;
  float moment;
  double initial_bow;
};

template <std::size_t I>
struct state_value {
  double operator()(const first_point& p) const { return p.state.*state_fields[I].member; }
};

template <std::size_t... I>
constexpr auto state_outputs(std::index_sequence<I...>) {
  return std::tuple{output{state_fields[I].name, state_value<I>{}}...};
}

struct first {
  static constexpr about info{"waferbow_first", "The stress report of a measured wafer, and the state it leaves.",
                              20000};
  static constexpr std::array inputs{input{"bow", elem::real64, "um"},
                                     diameter,
                                     silicon,
                                     silica,
                                     input{"modulus_si", elem::real64, "1E5 MPa"},
                                     input{"modulus_sio2", elem::real64, "1E5 MPa"},
                                     moment,
                                     initial_bow,
                                     input{"sigma_bow", elem::real64, "um"},
                                     input{"sigma_initial_bow", elem::real64, "um"},
                                     input{"sigma_silicon", elem::real64, "um"},
                                     input{"sigma_silica", elem::real64, "um"},
                                     input{"sigma_modulus_si", elem::real64, "1E5 MPa"}};
  using result = first_point;
  static constexpr auto outputs = std::tuple_cat(
      report_outputs<first_point>(),
      std::tuple{output{"stress_stoney", &first_point::stress_stoney},
                 output{"sigma_stress_sio2", &first_point::sigma_stress_sio2}},
      state_outputs(std::make_index_sequence<state_fields.size()>{}),
      std::tuple{output{"diameter", &first_point::diameter}, output{"silicon", &first_point::silicon},
                 output{"silica", &first_point::silica}, output{"moment", &first_point::moment},
                 output{"initial_bow", &first_point::initial_bow}});
  static first_point compute(double f, double d, double d1, double d2, double p1, double p2, float newtons,
                             double f0, double sf, double sf0, double sd1, double sd2, double sp1) {
    first_point p{};
    const double t = waferbow::moment_of_newtons(newtons);
    const double rad = waferbow::film_radius(f, f0, d);
    waferbow::first_calculation_at(rad, d1, d2, p1, p2, t, p.state, p.report);
    p.stress_stoney =
        waferbow::stoney_stress(p.state.e1, waferbow::metres_of_um(d1), waferbow::metres_of_um(d2), rad);
    p.sigma_stress_sio2 = waferbow::film_stress_sigma({f, f0, d, d1, d2, p1, p2, t}, {sf, sf0, sd1, sd2, sp1});
    p.diameter = d;
    p.silicon = d1;
    p.silica = d2;
    p.moment = newtons;
    p.initial_bow = f0;
    return p;
  }
};

template <std::size_t... I>
constexpr auto continue_inputs(std::index_sequence<I...>) {
  return std::array{input{state_fields[I].name, elem::real64, state_fields[I].unit}..., diameter, silicon, silica,
                    moment, initial_bow};
}

// A pass's values by the member of its continue_prediction.
template <auto Member>
struct pass_value {
  const auto& operator()(const waferbow::film_change& c) const { return c.pass.*Member; }
};

// Unfinished solver steps are events: the first one's status and values.
struct continue_pass {
  static constexpr about info{"waferbow_continue", "The bow and stress report after the layer thicknesses change.",
                              200};
  static constexpr auto inputs = continue_inputs(std::make_index_sequence<state_fields.size()>{});
  using result = waferbow::film_change;
  static constexpr auto outputs = std::tuple_cat(
      report_outputs<result>(),
      std::tuple{output{"stress_stoney", &result::stress_stoney},
                 output{"bow", pass_value<&waferbow::continue_prediction::bow>{}},
                 output{"regressions", pass_value<&waferbow::continue_prediction::regressions>{}},
                 output{"settled", pass_value<&waferbow::continue_prediction::settled>{}}});
  static result compute(double e1, double e2, double c1, double c2, double r1, double r2, double d, double d1,
                        double d2, float newtons, double f0) {
    const first_state s{e1, e2, c1, c2, r1, r2};
    // Each point starts its solver array from zeros.
    waferbow::vector3 xs{0.0, 0.0, 0.0};
    return waferbow::predict_film_change(s, waferbow::metres_of_um(d1), waferbow::metres_of_um(d2),
                                         waferbow::moment_of_newtons(newtons), d, f0, xs);
  }
  static constexpr std::array event_fields{"status", "x1", "x2"};
  static std::optional<std::array<double, 3>> event(const result& r) {
    if (r.pass.events.empty()) return std::nullopt;
    const waferbow::solver_event& e = r.pass.events.front();
    return std::array<double, 3>{static_cast<double>(e.status), e.x1, e.x2};
  }
};

}  // namespace

void bind_waferbow(py::module_& m, py::dict& table) {
  define<first>(m, table);
  define<continue_pass>(m, table);
  py::list names;
  py::list units;
  for (const waferbow::stress_field& f : stress_fields) {
    names.append(f.name);
    units.append(f.unit);
  }
  m.attr("waferbow_report_fields") = py::tuple(names);
  m.attr("waferbow_report_units") = py::tuple(units);
}

}  // namespace thinfilm_py
