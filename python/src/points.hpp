// The shape of one binding: read N arguments at each point of the broadcast shape, compute,
// write the results at the same flat index.
#pragma once

#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <complex>
#include <cstddef>

#include "console/complex.hpp"
#include "python/src/broadcast.hpp"

namespace thinfilm_py {

// Calls range(w, ops, begin, end) for contiguous ranges of the flat indices of `shape`,
// one per worker, where w walks the arguments from `begin` (w[k] is the address of the
// element of argument k at the current point; w.next() moves to the next point, or
// throws when the call is interrupted: the range's loop needs no check of its own) and
// ops are the arguments' views (their element types). Arguments are numpy arrays (see
// view()).
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

// Calls point(w, ops, i) for every flat index i of `shape` (see for_ranges).
template <std::size_t N, class Point>
void for_points(const shape_t& shape, const std::array<py::array, N>& args, int threads, py::ssize_t min_points,
                Point point) {
  for_ranges(shape, args, threads, min_points,
             [&](walker<N>& w, const std::array<operand, N>& ops, py::ssize_t begin, py::ssize_t end) {
               for (py::ssize_t i = begin; i < end; ++i, w.next()) point(w, ops, i);
             });
}

inline std::complex<float> to_std(const console::cplx& z) { return {z.re, z.im}; }

}  // namespace thinfilm_py
