// Broadcasting and threading for the bindings.
//
// Every computation of the package maps one point of its arguments to one point of its
// results. The arguments are numpy arrays of any shape that broadcast together; they are
// read where they lie, through strides (0 along a broadcast dimension), so no broadcast
// copy is ever made. The results are fresh C-contiguous arrays of the broadcast shape.
// The points are split into contiguous ranges over std::thread workers; each point is
// computed alone, so the results do not depend on the number of workers (nor on how many
// of them could be started). Every point passes a checkpoint (checkpoint.hpp), where the
// call ends early on Ctrl-C.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <array>
#include <complex>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "console/complex.hpp"
#include "python/src/checkpoint.hpp"

namespace thinfilm_py {

namespace py = pybind11;

using shape_t = std::vector<py::ssize_t>;

// How an argument's elements are stored. The Python layer hands over arrays of these
// element types only (it converts anything else once).
enum class element { f32, f64, c64, c128, i64 };

// One argument seen with the broadcast shape: its data and a byte stride per dimension
// (0 where the argument is broadcast).
struct operand {
  py::array keep;  // holds the array while the workers read it
  const char* data = nullptr;
  element kind = element::f64;
  shape_t strides;
};

inline element element_of(const py::array& a) {
  const py::dtype dt = a.dtype();
  const char k = dt.kind();
  const auto size = dt.itemsize();
  if (k == 'f' && size == 4) return element::f32;
  if (k == 'f' && size == 8) return element::f64;
  if (k == 'c' && size == 8) return element::c64;
  if (k == 'c' && size == 16) return element::c128;
  if (k == 'i' && size == 8) return element::i64;
  throw py::type_error("unsupported array element type " + dt.attr("str").cast<std::string>());
}

// Elements are read in place, so they must be in the machine's byte order and aligned.
inline void check_readable(const py::array& a) {
  if (!a.dtype().attr("isnative").cast<bool>() || !a.attr("flags").attr("aligned").cast<bool>())
    throw py::value_error("array elements must be aligned and in native byte order");
}

// Views `a` with the broadcast shape `shape`: dimensions are matched from the right, and a
// dimension of size 1 (or a missing one) gets stride 0.
inline operand view(const py::array& a, const shape_t& shape) {
  operand op;
  op.keep = a;
  op.data = static_cast<const char*>(a.data());
  op.kind = element_of(a);
  check_readable(a);
  const auto nd = static_cast<py::ssize_t>(shape.size());
  const py::ssize_t adim = a.ndim();
  if (adim > nd) throw py::value_error("argument has more dimensions than the broadcast shape");
  op.strides.assign(shape.size(), 0);
  for (py::ssize_t i = 0; i < adim; ++i) {
    const py::ssize_t d = nd - adim + i;
    const py::ssize_t n = a.shape(i);
    if (n == shape[static_cast<std::size_t>(d)]) {
      op.strides[static_cast<std::size_t>(d)] = n == 1 ? 0 : a.strides(i);
    } else if (n != 1) {
      throw py::value_error("argument shape does not broadcast to the result shape");
    }
  }
  return op;
}

inline py::ssize_t count_of(const shape_t& shape) {
  py::ssize_t n = 1;
  for (const py::ssize_t d : shape)
    if (__builtin_mul_overflow(n, d, &n)) throw py::value_error("result shape too large");
  return n;
}

// Views `a` with the broadcast shape `outer` followed by core dimensions of the given
// lengths (dimensions a calculation walks itself within each point: a site's
// measurements, a stack's layers), which broadcast like the others; the cores' strides
// are stored in core_strides, in their order, and the operand walks `outer` alone.
template <std::size_t N>
operand view_with_cores(const py::array& a, const shape_t& outer, const std::array<py::ssize_t, N>& cores,
                        std::array<py::ssize_t, N>& core_strides) {
  shape_t shape = outer;
  shape.insert(shape.end(), cores.begin(), cores.end());
  count_of(shape);
  operand op = view(a, shape);
  for (std::size_t c = N; c-- > 0;) {
    core_strides[c] = op.strides.back();
    op.strides.pop_back();
  }
  return op;
}

// The broadcast shape the Python layer computed, checked.
inline shape_t shape_of(const py::iterable& s) {
  shape_t out;
  for (const py::handle h : s) {
    const auto n = h.cast<py::ssize_t>();
    if (n < 0) throw py::value_error("negative dimension");
    out.push_back(n);
  }
  count_of(out);
  return out;
}

// Element readers: a real argument read as float (the programs' single-precision answers,
// rounded to nearest as a read does) or as double; a complex one as a pair of floats or of
// doubles. (The Python layer never hands a complex array for a real argument; its real
// part would do.)
inline double as_double(const operand& op, const char* p) {
  switch (op.kind) {
    case element::f32:
    case element::c64: return static_cast<double>(*reinterpret_cast<const float*>(p));
    case element::f64:
    case element::c128: return *reinterpret_cast<const double*>(p);
    case element::i64: return static_cast<double>(*reinterpret_cast<const std::int64_t*>(p));
  }
  return 0.0;
}

inline float as_float(const operand& op, const char* p) {
  if (op.kind == element::f32 || op.kind == element::c64) return *reinterpret_cast<const float*>(p);
  return static_cast<float>(as_double(op, p));
}

// A complex argument as a pair of doubles (single-precision pairs and reals widened exactly).
inline console::cplx_d as_cplx_d(const operand& op, const char* p) {
  switch (op.kind) {
    case element::c64: {
      const auto* f = reinterpret_cast<const float*>(p);
      return {static_cast<double>(f[0]), static_cast<double>(f[1])};
    }
    case element::c128: {
      const auto* d = reinterpret_cast<const double*>(p);
      return {d[0], d[1]};
    }
    default: return {as_double(op, p), 0.0};
  }
}

// The same pair rounded to single precision, as a program's complex answer is (exact for
// single-precision pairs and reals).
inline console::cplx as_cplx(const operand& op, const char* p) { return console::narrow(as_cplx_d(op, p)); }

inline std::int64_t as_int(const operand& op, const char* p) {
  if (op.kind == element::i64) return *reinterpret_cast<const std::int64_t*>(p);
  return 0;
}

// Walks the points begin..end-1 of the broadcast shape in C order, keeping the address of
// the current element of every argument. Each step passes the range's checkpoint, so that
// next() throws `stopped` when the call is to end (the loops over points need no other
// check).
template <std::size_t N>
class walker {
 public:
  walker(const shape_t& shape, const std::array<const operand*, N>& ops, py::ssize_t begin, checkpoint& check)
      : shape_(shape), ops_(ops), index_(shape.size(), 0), check_(check) {
    py::ssize_t rest = begin;
    for (std::size_t d = shape.size(); d-- > 0;) {
      const py::ssize_t n = shape[d];
      index_[d] = n == 0 ? 0 : rest % n;
      rest = n == 0 ? 0 : rest / n;
    }
    for (std::size_t k = 0; k < N; ++k) {
      const char* p = ops[k]->data;
      for (std::size_t d = 0; d < shape.size(); ++d) p += index_[d] * ops[k]->strides[d];
      at_[k] = p;
    }
  }

  const char* operator[](std::size_t k) const { return at_[k]; }

  // Points left in the innermost dimension, the current one included (1 for a scalar),
  // and the byte step of argument k along it.
  py::ssize_t left_in_row() const { return shape_.empty() ? 1 : shape_.back() - index_.back(); }
  py::ssize_t row_stride(std::size_t k) const { return shape_.empty() ? 0 : ops_[k]->strides.back(); }

  // m steps at once (1 <= m <= left_in_row()), with the checks of m points.
  void skip(py::ssize_t m) {
    check_.points(m - 1);
    if (!shape_.empty()) {
      index_.back() += m - 1;
      for (std::size_t k = 0; k < N; ++k) at_[k] += (m - 1) * ops_[k]->strides.back();
    }
    next();
  }

  void next() {
    check_.point();
    for (std::size_t d = shape_.size(); d-- > 0;) {
      if (++index_[d] < shape_[d]) {
        for (std::size_t k = 0; k < N; ++k) at_[k] += ops_[k]->strides[d];
        return;
      }
      // Back to the start of this dimension, then carry into the one before.
      for (std::size_t k = 0; k < N; ++k) at_[k] -= (shape_[d] - 1) * ops_[k]->strides[d];
      index_[d] = 0;
    }
  }

 private:
  const shape_t& shape_;
  std::array<const operand*, N> ops_;
  shape_t index_;
  std::array<const char*, N> at_{};
  checkpoint& check_;
};

// The number of workers for n points: at most `threads` (and at most max_workers), and no
// more than one per `min_points` points, so that small arrays stay on the calling thread.
inline constexpr int max_workers = 256;

inline int workers_for(py::ssize_t n, int threads, py::ssize_t min_points) {
  threads = std::clamp(threads, 1, max_workers);
  const py::ssize_t by_size = std::max<py::ssize_t>(1, n / std::max<py::ssize_t>(1, min_points));
  return static_cast<int>(std::min<py::ssize_t>(threads, by_size));
}

// n * k / w, without overflow (k <= w).
inline py::ssize_t split_point(py::ssize_t n, int k, int w) {
  return n / w * k + n % w * k / w;
}

// Runs body(begin, end, check) over n points split into contiguous ranges, one per
// worker, with the interpreter lock released; `check` is the checkpoint the range's points
// pass. The calling thread computes the first range. A worker that cannot be started (no
// memory for its stack, a limit on processes) leaves its range to the calling thread. The
// first exception of a range stops the others and is rethrown here; an interrupt raises
// the pending Python exception once every worker has ended.
template <class Body>
void run_split(py::ssize_t n, int threads, py::ssize_t min_points, Body body) {
  const int w = workers_for(n, threads, min_points);
  const int stride = check_stride(min_points);
  call_control control;
  if (w <= 1) {
    // Small arrays (and scalars): no thread, nothing to share.
    {
      py::gil_scoped_release release;
      checkpoint mine(control, stride, true);
      try {
        body(py::ssize_t{0}, n, mine);
      } catch (const stopped&) {
      }
    }
    if (control.interrupted) throw py::error_already_set();
    return;
  }
  std::vector<std::exception_ptr> errors(static_cast<std::size_t>(w));
  {
    py::gil_scoped_release release;
    // Never throws: a worker's exception must not leave its thread.
    auto range = [&](int k, checkpoint& check) noexcept {
      if (control.stop.load(std::memory_order_relaxed)) return;
      const py::ssize_t b = split_point(n, k, w);
      const py::ssize_t e = split_point(n, k + 1, w);
      try {
        body(b, e, check);
      } catch (const stopped&) {
      } catch (...) {
        errors[static_cast<std::size_t>(k)] = std::current_exception();
        control.stop.store(true, std::memory_order_relaxed);
      }
    };
    // The workers that have ended, so that the calling thread, done with its own ranges,
    // goes on answering signals while it waits for the others.
    std::mutex ended_lock;
    std::condition_variable ended_signal;
    int ended = 0;
    std::vector<std::thread> pool;
    int started = 1;
    try {
      pool.reserve(static_cast<std::size_t>(w - 1));
      for (int k = 1; k < w; ++k) {
        pool.emplace_back([&, k] {
          checkpoint check(control, stride, false);
          range(k, check);
          const std::lock_guard<std::mutex> hold(ended_lock);
          ++ended;
          ended_signal.notify_one();
        });
        ++started;
      }
    } catch (...) {
      // std::system_error or std::bad_alloc: the threads started so far share the work.
    }
    checkpoint mine(control, stride, true);
    range(0, mine);
    for (int k = started; k < w; ++k) range(k, mine);
    {
      std::unique_lock<std::mutex> hold(ended_lock);
      while (!ended_signal.wait_for(hold, checkpoint::period, [&] { return ended == started - 1; })) {
        hold.unlock();
        const bool raised = mine.poll();
        hold.lock();
        if (raised) break;
      }
    }
    for (std::thread& t : pool) t.join();
  }
  if (control.interrupted) throw py::error_already_set();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

// A fresh C-contiguous result array of the broadcast shape.
template <class T>
py::array_t<T> result(const shape_t& shape) {
  return py::array_t<T>(std::vector<py::ssize_t>(shape.begin(), shape.end()));
}

// N fresh result arrays of the broadcast shape; data[k] is where the elements of the k-th
// are written.
template <class T, std::size_t N>
std::array<py::array_t<T>, N> results(const shape_t& shape, std::array<T*, N>& data) {
  std::array<py::array_t<T>, N> out;
  for (std::size_t k = 0; k < N; ++k) {
    out[k] = result<T>(shape);
    data[k] = out[k].mutable_data();
  }
  return out;
}

}  // namespace thinfilm_py
