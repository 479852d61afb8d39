// The reflection of a stack of layers (ellcalc_stack_double), in double precision: the
// arguments broadcast to the points' shape `shape`, and the layers' indices and thicknesses
// have a last dimension more, the layers from the ambient side down (a core dimension,
// read through its stride). Each worker keeps one point's layers (read once when they are
// the same at every point) and a stack_sweep.
#include <algorithm>
#include <array>
#include <complex>
#include <cstddef>
#include <vector>

#include "ellcalc/stack.hpp"
#include "python/src/bindings.hpp"
#include "python/src/broadcast.hpp"

namespace thinfilm_py {

namespace {

constexpr std::size_t stack_inputs = 5;  // wavelength angle substrate, layer_index layer_thickness
constexpr std::size_t layer_index = 3, layer_thickness = 4;

// A forward film model costs a point of a sweep about as much as one layer does here; below
// this many layer-points a call stays on one thread.
constexpr py::ssize_t min_layer_points = 20000;

py::dict stack_points(const py::iterable& shape_in, int threads, const std::array<py::array, stack_inputs>& args) {
  const shape_t shape = shape_of(shape_in);
  const py::array& index_arg = args[layer_index];
  const py::array& thickness_arg = args[layer_thickness];
  if (index_arg.ndim() < 1 || thickness_arg.ndim() < 1) throw py::value_error("the layers need an axis");
  const py::ssize_t count = index_arg.shape(index_arg.ndim() - 1);
  if (thickness_arg.shape(thickness_arg.ndim() - 1) != count)
    throw py::value_error("the layers' indices and thicknesses differ in number");
  std::array<operand, stack_inputs> ops;
  std::array<const operand*, stack_inputs> refs{};
  std::array<py::ssize_t, stack_inputs> across{};
  for (std::size_t k = 0; k < stack_inputs; ++k) {
    if (k == layer_index || k == layer_thickness) {
      std::array<py::ssize_t, 1> stride{};
      ops[k] = view_with_cores<1>(args[k], shape, {count}, stride);
      across[k] = stride[0];
    } else {
      ops[k] = view(args[k], shape);
    }
    refs[k] = &ops[k];
  }

  std::array<std::complex<double>*, 2> coefficients{};
  const std::array<py::array_t<std::complex<double>>, 2> coefficient_out =
      results<std::complex<double>, 2>(shape, coefficients);
  std::array<double*, 4> reals{};
  const std::array<py::array_t<double>, 4> real_out = results<double, 4>(shape, reals);

  const auto layers = static_cast<std::size_t>(count);
  bool fixed = true;
  for (const std::size_t k : {layer_index, layer_thickness})
    for (const py::ssize_t stride : ops[k].strides) fixed = fixed && stride == 0;
  const py::ssize_t min_points = std::max<py::ssize_t>(200, min_layer_points / (count + 1));
  run_split(count_of(shape), threads, min_points, [&](py::ssize_t begin, py::ssize_t end, checkpoint& check) {
    if (begin >= end) return;
    walker<stack_inputs> w(shape, refs, begin, check);
    std::vector<ellcalc::stack_layer<double>> stack(layers);
    const auto read_layers = [&] {
      for (std::size_t l = 0; l < layers; ++l) {
        const auto in_layer = [&](std::size_t k) { return w[k] + static_cast<py::ssize_t>(l) * across[k]; };
        stack[l] = {as_cplx_d(ops[layer_index], in_layer(layer_index)),
                    as_double(ops[layer_thickness], in_layer(layer_thickness))};
      }
    };
    if (fixed) read_layers();
    ellcalc::stack_sweep<double> sweep;
    for (py::ssize_t i = begin; i < end; ++i, w.next()) {
      if (!fixed) read_layers();
      const ellcalc::stack_result<double> r =
          sweep.evaluate(stack, as_cplx_d(ops[2], w[2]), as_double(ops[0], w[0]), as_double(ops[1], w[1]));
      coefficients[0][i] = {r.rp.re, r.rp.im};
      coefficients[1][i] = {r.rs.re, r.rs.im};
      reals[0][i] = r.Rp;
      reals[1][i] = r.Rs;
      reals[2][i] = r.psi;
      reals[3][i] = r.delta;
    }
  });
  py::dict d;
  d["rp"] = coefficient_out[0];
  d["rs"] = coefficient_out[1];
  const std::array names{"Rp", "Rs", "psi", "delta"};
  for (std::size_t k = 0; k < names.size(); ++k) d[names[k]] = real_out[k];
  return d;
}

}  // namespace

void bind_stack(py::module_& m) {
  m.def(
      "ellcalc_stack_double",
      [](const py::iterable& shape, int threads, const py::array& wavelength, const py::array& angle,
         const py::array& substrate, const py::array& layer_index, const py::array& layer_thickness) {
        return stack_points(shape, threads, {wavelength, angle, substrate, layer_index, layer_thickness});
      },
      py::arg("shape"), py::arg("threads"), py::arg("wavelength"), py::arg("angle"), py::arg("substrate"),
      py::arg("layer_index"), py::arg("layer_thickness"),
      "rp, rs, Rp, Rs, Psi and Delta of a stack of layers at each point of shape, in double precision; the\n"
      "layers (from the ambient side down) along the last dimension of layer_index and layer_thickness.");
}

}  // namespace thinfilm_py
