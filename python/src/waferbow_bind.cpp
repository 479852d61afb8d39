// waferbow's first calculation and continue pass over arrays. Lengths and moduli are the
// dialogue's doubles; the moment is entered in N as a single-precision value, as at the
// moment prompt.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "python/src/bindings.hpp"
#include "python/src/points.hpp"
#include "waferbow/continue_pass.hpp"
#include "waferbow/first_calculation.hpp"
#include "waferbow/units.hpp"

namespace thinfilm_py {

namespace {

using f64 = py::array_t<double>;

constexpr std::size_t report_size = 14;
constexpr std::size_t state_size = 7;  // e1, e2, c1, c2, r1, r2, t

void put_report(const waferbow::stress_report& r, const std::array<double*, report_size>& p, py::ssize_t i) {
  const std::array<double, report_size> v{r.radius,          r.moment,           r.neutral_si,     r.neutral_sio2,
                                          r.stress_si_int,   r.stress_si_surf,   r.stress_sio2_int,
                                          r.stress_sio2_surf, r.strain_si_int,   r.strain_si_surf,
                                          r.strain_sio2_int, r.strain_sio2_surf, r.energy_si,      r.energy_sio2};
  for (std::size_t k = 0; k < report_size; ++k) p[k][i] = v[k];
}

// The fourteen report values, then the first state that continue passes start from.
py::tuple first(const py::iterable& shape_in, int threads, const py::array& f, const py::array& d,
                const py::array& d1, const py::array& d2, const py::array& p1, const py::array& p2,
                const py::array& moment) {
  const shape_t shape = shape_of(shape_in);
  std::array<double*, report_size> rp{};
  std::array<double*, state_size> sp{};
  std::array<f64, report_size> report = results(shape, rp);
  std::array<f64, state_size> state = results(shape, sp);
  for_points<7>(shape, {f, d, d1, d2, p1, p2, moment}, threads, 20000,
                [&](const walker<7>& w, const std::array<operand, 7>& o, py::ssize_t i) {
                  const double t = waferbow::moment_of_newtons(as_float(o[6], w[6]));
                  waferbow::first_state s{};
                  waferbow::stress_report r{};
                  waferbow::first_calculation(as_double(o[0], w[0]), as_double(o[1], w[1]), as_double(o[2], w[2]),
                                              as_double(o[3], w[3]), as_double(o[4], w[4]), as_double(o[5], w[5]), t,
                                              s, r);
                  put_report(r, rp, i);
                  const std::array<double, state_size> v{s.e1, s.e2, s.c1, s.c2, s.r1, s.r2, t};
                  for (std::size_t k = 0; k < state_size; ++k) sp[k][i] = v[k];
                });
  py::list all;
  for (f64& a : report) all.append(a);
  for (f64& a : state) all.append(a);
  return py::tuple(all);
}

// Where the solver could not finish a step: the number of points concerned and the first
// of them (in C order) with its first unfinished step.
struct solver_trouble {
  py::ssize_t points = 0;
  py::ssize_t first = -1;
  waferbow::solver_event event{};
};

// The fourteen report values, the bow (um) and the regression count of a continue pass,
// then the summary of the solver's trouble (points, first index, status, x1, x2). With
// no moment array (None) each point keeps the moment of its first state, as a null answer
// to the moment prompt does.
py::tuple next(const py::iterable& shape_in, int threads, const py::array& e1, const py::array& e2,
               const py::array& c1, const py::array& c2, const py::array& r1, const py::array& r2,
               const py::array& t, const py::array& d, const py::array& d1, const py::array& d2,
               const py::object& moment_in) {
  const shape_t shape = shape_of(shape_in);
  const bool kept_moment = moment_in.is_none();
  const py::array moment = kept_moment ? py::array(t) : py::array(moment_in);
  std::array<double*, report_size> rp{};
  std::array<f64, report_size> report = results(shape, rp);
  f64 bow = result<double>(shape);
  py::array_t<std::int32_t> count = result<std::int32_t>(shape);
  double* bow_p = bow.mutable_data();
  std::int32_t* count_p = count.mutable_data();
  std::vector<solver_trouble> trouble;
  std::mutex trouble_lock;
  for_ranges<11>(shape, {e1, e2, c1, c2, r1, r2, t, d, d1, d2, moment}, threads, 200,
                 [&](walker<11>& w, const std::array<operand, 11>& o, py::ssize_t begin, py::ssize_t end) {
    solver_trouble mine;
    for (py::ssize_t i = begin; i < end; ++i, w.next()) {
      const waferbow::first_state s{as_double(o[0], w[0]), as_double(o[1], w[1]), as_double(o[2], w[2]),
                                    as_double(o[3], w[3]), as_double(o[4], w[4]), as_double(o[5], w[5])};
      const float newtons =
          kept_moment ? waferbow::newtons_of_moment(as_double(o[10], w[10])) : as_float(o[10], w[10]);
      const double m = waferbow::moment_of_newtons(newtons);
      // Each point starts its solver array from zeros.
      waferbow::vector3 xs{0.0, 0.0, 0.0};
      const waferbow::continue_prediction p =
          waferbow::predict_continue_pass(s, waferbow::metres_of_um(as_double(o[8], w[8])),
                                          waferbow::metres_of_um(as_double(o[9], w[9])), m, as_double(o[7], w[7]), xs);
      put_report(p.report, rp, i);
      bow_p[i] = p.bow;
      count_p[i] = p.regressions;
      if (!p.events.empty()) {
        if (mine.points == 0) {
          mine.first = i;
          mine.event = p.events.front();
        }
        ++mine.points;
      }
    }
    const std::lock_guard<std::mutex> hold(trouble_lock);
    trouble.push_back(mine);
  });
  solver_trouble all;
  for (const solver_trouble& k : trouble) {
    all.points += k.points;
    if (k.points > 0 && (all.first < 0 || k.first < all.first)) {
      all.first = k.first;
      all.event = k.event;
    }
  }
  py::list out;
  for (f64& a : report) out.append(a);
  out.append(bow);
  out.append(count);
  out.append(py::make_tuple(all.points, all.first, static_cast<int>(all.event.status), all.event.x1, all.event.x2));
  return py::tuple(out);
}

}  // namespace

void bind_waferbow(py::module_& m) {
  m.def("waferbow_first", &first);
  m.def("waferbow_continue", &next);
}

}  // namespace thinfilm_py
