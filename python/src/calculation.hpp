// A calculation of the package described once, and the one loop that runs them all.
//
// A calculation is a struct (a descriptor) with
//   info        an `about`: the extension function's name ("ellcalc_psi_delta"), its
//               one-line description, and min_points, the number of points below which it
//               stays on one thread (its cost class: it also sets how often the calling
//               thread looks for Ctrl-C);
//   inputs      a constexpr std::array of input{name, element, unit}, in the order of the
//               arguments of compute;
//   outputs     a constexpr std::tuple of output{name, accessor}: an accessor is a member
//               pointer or a function of compute's result, giving a float, double,
//               std::int32_t, bool or complex value;
//   compute     a static function of one point: the inputs as values (float, double,
//               complex or 64-bit integer by their element), returning the result.
// Optionally
//   real        the real type the calculation is computed in: a descriptor template on R
//               makes one calculation per precision, the double one named with the suffix
//               "_double" (`real_in<R>` and `complex_in<R>` are the elements of its inputs);
//   worker      a type of which each worker makes one, passed first to compute: what a
//               worker keeps from one point to the next of its range;
//   compute_block  compute over a block of points (see with_blocks), when the worker
//               does better with many points at once;
//   event_fields and event(result)  per-point trouble: event returns std::nullopt, or the
//               values named by event_fields. The call reports how many points had one,
//               the flat index of the first (in C order) and its values.
//
// define<D>(m, table) makes the extension function
//   D::info.name(shape, threads, <inputs by name>) -> {output name: array, ..., ["events": {...}]}
// and records the description in `table` (the module's `calculations`), with its precision
// ("single", "double", or "" when the descriptor names none).
#pragma once

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "console/complex.hpp"
#include "python/src/broadcast.hpp"

namespace thinfilm_py {

// How an input's elements are taken at each point: a real in single precision (the
// programs' answers) or in double precision, a complex number as two singles or as two
// doubles, an integer.
enum class elem { real32, real64, complex, complex128, integer };

// The elements of the real and complex inputs of a calculation computed in R.
template <class R>
inline constexpr elem real_in = std::is_same_v<R, float> ? elem::real32 : elem::real64;
template <class R>
inline constexpr elem complex_in = std::is_same_v<R, float> ? elem::complex : elem::complex128;

struct about {
  const char* name;
  const char* doc;
  py::ssize_t min_points;
};

struct input {
  const char* name;
  elem kind;
  const char* unit;  // "" for a plain number
};

template <class Get>
struct output {
  const char* name;
  Get get;
};

template <class Get>
output(const char*, Get) -> output<Get>;

namespace detail {

template <elem K>
auto read(const operand& op, const char* p) {
  if constexpr (K == elem::real32) return as_float(op, p);
  else if constexpr (K == elem::real64) return as_double(op, p);
  else if constexpr (K == elem::complex) return as_cplx(op, p);
  else if constexpr (K == elem::complex128) return as_cplx_d(op, p);
  else return as_int(op, p);
}

constexpr const char* kind_name(elem k) {
  switch (k) {
    case elem::real32:
    case elem::real64: return "real";
    case elem::complex:
    case elem::complex128: return "complex";
    case elem::integer: return "integer";
  }
  return "";
}

// The element type of a result array for an accessor's value.
template <class V>
struct stored {
  using type = V;
  static V of(const V& v) { return v; }
};
template <>
struct stored<console::cplx> {
  using type = std::complex<float>;
  static type of(const console::cplx& z) { return {z.re, z.im}; }
};

template <>
struct stored<console::cplx_d> {
  using type = std::complex<double>;
  static type of(const console::cplx_d& z) { return {z.re, z.im}; }
};

template <class D, class Get>
using value_of = std::remove_cvref_t<std::invoke_result_t<const Get&, const typename D::result&>>;

template <class D>
concept with_worker = requires { typename D::worker; };

template <class D>
concept with_events = requires { D::event_fields; };

template <class D>
concept with_real = requires { typename D::real; };

template <class D>
constexpr const char* precision_of() {
  if constexpr (!with_real<D>) return "";
  else if constexpr (std::is_same_v<typename D::real, double>) return "double";
  else return "single";
}

// The extension function's name: D::info.name, with "_double" for a double-precision twin. The
// string lives as long as the module.
template <class D>
const char* name_of() {
  static const std::string name =
      std::string(D::info.name) + (std::string_view(precision_of<D>()) == "double" ? "_double" : "");
  return name.c_str();
}

// The events of a range, and of the whole call once merged.
template <std::size_t K>
struct event_log {
  py::ssize_t count = 0;
  py::ssize_t first = -1;
  std::array<double, K> values{};

  void note(py::ssize_t i, const std::array<double, K>& v) {
    if (count++ == 0) {
      first = i;
      values = v;
    }
  }
  void merge(const event_log& o) {
    count += o.count;
    if (o.first >= 0 && (first < 0 || o.first < first)) {
      first = o.first;
      values = o.values;
    }
  }
};

struct no_worker {};

template <class D>
struct worker_of {
  using type = no_worker;
};
template <with_worker D>
struct worker_of<D> {
  using type = typename D::worker;
};

// A calculation whose worker computes points a block at a time:
//   static void compute_block(worker&, std::size_t n, const In0*, const In1*, ...,
//                             result* out)
// with the inputs of n points, each in an array of its element's type.
template <class D>
concept with_blocks = requires { &D::compute_block; };

inline constexpr py::ssize_t block_points = 64;

template <class D, std::size_t I>
using read_t = decltype(read<D::inputs[I].kind>(std::declval<const operand&>(), nullptr));

// The inputs and the results of one block.
template <class D, std::size_t N, class = std::make_index_sequence<N>>
struct blocks;
template <class D, std::size_t N, std::size_t... I>
struct blocks<D, N, std::index_sequence<I...>> {
  std::tuple<std::array<read_t<D, I>, block_points>...> in;
  std::array<typename D::result, block_points> out;

  // The next n points, a row of the innermost dimension at a time.
  void read(walker<N>& w, const std::array<operand, N>& o, std::size_t n) {
    for (std::size_t k = 0; k < n;) {
      const auto run =
          static_cast<std::size_t>(std::min<py::ssize_t>(w.left_in_row(), static_cast<py::ssize_t>(n - k)));
      (read_row<D::inputs[I].kind>(std::get<I>(in).data() + k, o[I], w[I], w.row_stride(I), run), ...);
      w.skip(static_cast<py::ssize_t>(run));
      k += run;
    }
  }
  template <class State>
  void compute(State& state, std::size_t n) {
    D::compute_block(state, n, std::get<I>(in).data()..., out.data());
  }

 private:
  template <elem K, class T>
  static void read_row(T* to, const operand& op, const char* p, py::ssize_t stride, std::size_t run) {
    for (std::size_t k = 0; k < run; ++k, p += stride) to[k] = detail::read<K>(op, p);
  }
};

template <class D, std::size_t N, class State, std::size_t... I>
typename D::result compute_at(State& state, const walker<N>& w, const std::array<operand, N>& o,
                              std::index_sequence<I...>) {
  if constexpr (with_worker<D>)
    return D::compute(state, read<D::inputs[I].kind>(o[I], w[I])...);
  else
    return D::compute(read<D::inputs[I].kind>(o[I], w[I])...);
}

// Calls range(w, ops, begin, end) for contiguous ranges of the flat indices of `shape`,
// one per worker, where w walks the arguments from `begin` (w[k] is the address of the
// element of argument k at the current point; w.next() moves to the next point, or throws
// when the call is interrupted: the range's loop needs no check of its own) and ops are
// the arguments' views.
template <std::size_t N, class Range>
void for_ranges(const shape_t& shape, const std::array<py::array, N>& args, int threads, py::ssize_t min_points,
                Range range) {
  std::array<operand, N> ops;
  std::array<const operand*, N> refs{};
  for (std::size_t k = 0; k < N; ++k) {
    ops[k] = view(args[k], shape);
    refs[k] = &ops[k];
  }
  run_split(count_of(shape), threads, min_points, [&](py::ssize_t begin, py::ssize_t end, checkpoint& check) {
    if (begin >= end) return;
    walker<N> w(shape, refs, begin, check);
    range(w, ops, begin, end);
  });
}

template <class D, std::size_t N>
py::dict run(const py::iterable& shape_in, int threads, const std::array<py::array, N>& args) {
  const shape_t shape = shape_of(shape_in);
  // One result array per output, and where its elements go.
  auto arrays = std::apply(
      [&](const auto&... out) {
        return std::make_tuple(result<typename stored<value_of<D, decltype(out.get)>>::type>(shape)...);
      },
      D::outputs);
  auto data = std::apply([](auto&... a) { return std::make_tuple(a.mutable_data()...); }, arrays);
  constexpr std::size_t K = [] {
    if constexpr (with_events<D>) return D::event_fields.size();
    else return std::size_t{0};
  }();
  event_log<K> events;
  std::mutex events_lock;
  for_ranges<N>(shape, args, threads, D::info.min_points,
                [&](walker<N>& w, const std::array<operand, N>& o, py::ssize_t begin, py::ssize_t end) {
    typename worker_of<D>::type state{};
    event_log<K> mine;
    const auto store = [&](py::ssize_t i, const typename D::result& r) {
      [&]<std::size_t... J>(std::index_sequence<J...>) {
        ((std::get<J>(data)[i] =
              stored<value_of<D, decltype(std::get<J>(D::outputs).get)>>::of(
                  std::invoke(std::get<J>(D::outputs).get, r))),
         ...);
      }(std::make_index_sequence<std::tuple_size_v<decltype(D::outputs)>>{});
      if constexpr (with_events<D>) {
        if (const std::optional<std::array<double, K>> e = D::event(r)) mine.note(i, *e);
      }
    };
    if constexpr (with_blocks<D>) {
      blocks<D, N> b;
      for (py::ssize_t i = begin; i < end;) {
        const auto n = static_cast<std::size_t>(std::min<py::ssize_t>(end - i, block_points));
        b.read(w, o, n);
        b.compute(state, n);
        for (std::size_t k = 0; k < n; ++k) store(i + static_cast<py::ssize_t>(k), b.out[k]);
        i += static_cast<py::ssize_t>(n);
      }
    } else {
      for (py::ssize_t i = begin; i < end; ++i, w.next())
        store(i, compute_at<D>(state, w, o, std::make_index_sequence<N>{}));
    }
    if constexpr (with_events<D>) {
      const std::lock_guard<std::mutex> hold(events_lock);
      events.merge(mine);
    }
  });
  py::dict out;
  [&]<std::size_t... J>(std::index_sequence<J...>) {
    ((out[std::get<J>(D::outputs).name] = std::get<J>(arrays)), ...);
  }(std::make_index_sequence<std::tuple_size_v<decltype(D::outputs)>>{});
  if constexpr (with_events<D>) {
    py::dict e;
    e["count"] = events.count;
    e["first"] = events.first;
    for (std::size_t k = 0; k < K; ++k) e[D::event_fields[k]] = events.values[k];
    out["events"] = e;
  }
  return out;
}

template <std::size_t>
using array_arg = const py::array&;

template <class D, std::size_t... I>
void define(py::module_& m, std::index_sequence<I...>) {
  m.def(
      name_of<D>(),
      [](const py::iterable& shape, int threads, array_arg<I>... args) {
        return run<D, sizeof...(I)>(shape, threads, {args...});
      },
      py::arg("shape"), py::arg("threads"), py::arg(D::inputs[I].name)..., D::info.doc);
}

}  // namespace detail

// Makes the extension function of calculation D and adds its description to `table`:
// name -> {"inputs": ((name, kind, unit), ...), "outputs": (name, ...), "events": (name, ...),
// "min_points": n, "precision": "single", "double" or ""} ("events" empty when the
// calculation has none).
template <class D>
void define(py::module_& m, py::dict& table) {
  detail::define<D>(m, std::make_index_sequence<D::inputs.size()>{});
  py::list inputs;
  for (const input& in : D::inputs) inputs.append(py::make_tuple(in.name, detail::kind_name(in.kind), in.unit));
  py::list outputs;
  std::apply([&](const auto&... out) { (outputs.append(out.name), ...); }, D::outputs);
  py::list events;
  if constexpr (detail::with_events<D>)
    for (const char* e : D::event_fields) events.append(e);
  py::dict description;
  description["inputs"] = py::tuple(inputs);
  description["outputs"] = py::tuple(outputs);
  description["events"] = py::tuple(events);
  description["min_points"] = D::info.min_points;
  description["precision"] = detail::precision_of<D>();
  table[detail::name_of<D>()] = description;
}

}  // namespace thinfilm_py
