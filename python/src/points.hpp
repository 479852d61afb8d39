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

// Calls point(w, i) for every flat index i of `shape`, where w[k] is the address of the
// element of argument k at that point. Arguments are numpy arrays (see view()).
template <std::size_t N, class Point>
void for_points(const shape_t& shape, const std::array<py::array, N>& args, int threads, py::ssize_t min_points,
                Point point) {
  std::array<operand, N> ops;
  std::array<const operand*, N> refs{};
  for (std::size_t k = 0; k < N; ++k) {
    ops[k] = view(args[k], shape);
    refs[k] = &ops[k];
  }
  const py::ssize_t n = count_of(shape);
  run_split(n, threads, min_points, [&](py::ssize_t begin, py::ssize_t end) {
    if (begin >= end) return;
    walker<N> w(shape, refs, begin);
    for (py::ssize_t i = begin; i < end; ++i, w.next()) point(w, ops, i);
  });
}

inline std::complex<float> to_std(const console::cplx& z) { return {z.re, z.im}; }

}  // namespace thinfilm_py
