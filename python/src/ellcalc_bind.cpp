// ellcalc's calculations over arrays: one function per mode. Arguments arrive as numpy
// arrays already checked by the Python layer; each point is converted to the programs'
// single-precision values (complex as two singles) and handed to the same routines the
// dialogue calls.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <array>
#include <complex>
#include <cstdint>

#include "ellcalc/film1.hpp"
#include "ellcalc/modes.hpp"
#include "ellcalc/substrate_index.hpp"
#include "python/src/bindings.hpp"
#include "python/src/points.hpp"

namespace thinfilm_py {

namespace {

using console::cplx;

// Below these many points a computation stays on one thread.
constexpr py::ssize_t light = 20000;  // a forward film model per point
constexpr py::ssize_t heavy = 2000;   // searches, harmonics

using f32 = py::array_t<float>;
using c64 = py::array_t<std::complex<float>>;

// Modes 1, 3 and 4 (film1 of that kind). Results: Psi, Delta and the period of the film;
// then the thickness found (kinds 3 and 4); then the index found and whether the search
// converged (kind 4).
py::tuple film_kind(const py::iterable& shape_in, int threads, std::int32_t kind, const py::array& ol,
                    const py::array& phi, const py::array& cn2, const py::array& an, const py::array& ep,
                    const py::array& ps, const py::array& de) {
  const shape_t shape = shape_of(shape_in);
  const bool found_thickness = kind != 1;
  const bool found_index = kind != 1 && kind != 3;
  f32 psa_out = result<float>(shape), dea_out = result<float>(shape), per_out = result<float>(shape);
  f32 ep_out = found_thickness ? result<float>(shape) : f32();
  f32 an_out = found_index ? result<float>(shape) : f32();
  py::array_t<bool> conv_out = found_index ? result<bool>(shape) : py::array_t<bool>();
  float* psa_p = psa_out.mutable_data();
  float* dea_p = dea_out.mutable_data();
  float* per_p = per_out.mutable_data();
  float* ep_p = found_thickness ? ep_out.mutable_data() : nullptr;
  float* an_p = found_index ? an_out.mutable_data() : nullptr;
  bool* conv_p = found_index ? conv_out.mutable_data() : nullptr;
  for_points<7>(shape, {ol, phi, cn2, an, ep, ps, de}, threads, kind == 1 ? light : heavy,
                [&](const walker<7>& w, const std::array<operand, 7>& o, py::ssize_t i) {
                  const float l = as_float(o[0], w[0]);
                  const float p = as_float(o[1], w[1]);
                  const cplx n2 = as_cplx(o[2], w[2]);
                  float a = as_float(o[3], w[3]);
                  float e = as_float(o[4], w[4]);
                  const float s = as_float(o[5], w[5]);
                  const float d = as_float(o[6], w[6]);
                  float psa = 0.0f, dea = 0.0f, per = 0.0f;
                  const ellcalc::film1_outcome r = ellcalc::film1(l, p, n2, kind, s, d, a, e, psa, dea, per);
                  psa_p[i] = psa;
                  dea_p[i] = dea;
                  per_p[i] = per;
                  if (ep_p) ep_p[i] = e;
                  if (an_p) an_p[i] = a;
                  if (conv_p) conv_p[i] = r.converged;
                });
  if (found_index) return py::make_tuple(psa_out, dea_out, per_out, ep_out, an_out, conv_out);
  if (found_thickness) return py::make_tuple(psa_out, dea_out, per_out, ep_out);
  return py::make_tuple(psa_out, dea_out, per_out);
}

// Mode 2.
c64 substrate(const py::iterable& shape_in, int threads, const py::array& phi, const py::array& ps,
              const py::array& de) {
  const shape_t shape = shape_of(shape_in);
  c64 out = result<std::complex<float>>(shape);
  std::complex<float>* p = out.mutable_data();
  for_points<3>(shape, {phi, ps, de}, threads, light,
                [&](const walker<3>& w, const std::array<operand, 3>& o, py::ssize_t i) {
                  cplx n{};
                  ellcalc::substrate_index(as_float(o[0], w[0]), as_float(o[1], w[1]), as_float(o[2], w[2]), n);
                  p[i] = to_std(n);
                });
  return out;
}

// Mode 5.
py::tuple reflection(const py::iterable& shape_in, int threads, const py::array& ol, const py::array& phi,
                     const py::array& cn2, const py::array& an, const py::array& ep) {
  const shape_t shape = shape_of(shape_in);
  c64 rp = result<std::complex<float>>(shape), rs = result<std::complex<float>>(shape);
  f32 Rp = result<float>(shape), Rs = result<float>(shape), per = result<float>(shape);
  f32 psi = result<float>(shape), delta = result<float>(shape);
  std::complex<float>* rp_p = rp.mutable_data();
  std::complex<float>* rs_p = rs.mutable_data();
  float* Rp_p = Rp.mutable_data();
  float* Rs_p = Rs.mutable_data();
  float* per_p = per.mutable_data();
  float* psi_p = psi.mutable_data();
  float* delta_p = delta.mutable_data();
  for_points<5>(shape, {ol, phi, cn2, an, ep}, threads, light,
                [&](const walker<5>& w, const std::array<operand, 5>& o, py::ssize_t i) {
                  const ellcalc::reflection_result r =
                      ellcalc::reflection(as_float(o[0], w[0]), as_float(o[1], w[1]), as_cplx(o[2], w[2]),
                                          as_float(o[3], w[3]), as_float(o[4], w[4]));
                  rp_p[i] = to_std(r.rp);
                  rs_p[i] = to_std(r.rs);
                  Rp_p[i] = r.Rp;
                  Rs_p[i] = r.Rs;
                  per_p[i] = r.per;
                  psi_p[i] = r.psi;
                  delta_p[i] = r.delta;
                });
  return py::make_tuple(rp, rs, Rp, Rs, per, psi, delta);
}

// Mode 6.
py::tuple harmonics(const py::iterable& shape_in, int threads, const py::array& ol, const py::array& phi,
                    const py::array& cn2, const py::array& an, const py::array& ep, const py::array& pol,
                    const py::array& bir, const py::array& rot, const py::array& ref, const py::array& ana) {
  const shape_t shape = shape_of(shape_in);
  std::array<float*, 7> p{};
  const std::array<f32, 7> out = results(shape, p);
  for_points<10>(shape, {ol, phi, cn2, an, ep, pol, bir, rot, ref, ana}, threads, heavy,
                 [&](const walker<10>& w, const std::array<operand, 10>& o, py::ssize_t i) {
                   const ellcalc::harmonics_result r = ellcalc::harmonics_of_film(
                       as_float(o[0], w[0]), as_float(o[1], w[1]), as_cplx(o[2], w[2]), as_float(o[3], w[3]),
                       as_float(o[4], w[4]), as_float(o[5], w[5]), as_float(o[6], w[6]), as_float(o[7], w[7]),
                       as_float(o[8], w[8]), as_float(o[9], w[9]));
                   p[0][i] = r.h.H0;
                   p[1][i] = r.h.H2A;
                   p[2][i] = r.h.H2P;
                   p[3][i] = r.h.H4A;
                   p[4][i] = r.h.H4P;
                   p[5][i] = r.psa;
                   p[6][i] = r.dea;
                 });
  return py::make_tuple(out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
}

// Mode 7. Results, in order: Psi, Delta from the harmonics, Psi, Delta of the film found,
// film index, thickness, period, rp, rs, Rp, Rs, the model's H0, H2C, H2S, H2A, H2P, H4C,
// H4S, H4A, H4P, and the discriminant.
py::tuple from_harmonics(const py::iterable& shape_in, int threads, const py::array& ol, const py::array& phi,
                         const py::array& cn2, const py::array& pol, const py::array& bir, const py::array& rot,
                         const py::array& ref, const py::array& ana, const py::array& h2p, const py::array& h2d,
                         const py::array& h4p, const py::array& h4d, const py::array& an, const py::array& ps,
                         const py::array& de) {
  const shape_t shape = shape_of(shape_in);
  constexpr std::size_t nreal = 19;
  std::array<float*, nreal> p{};
  const std::array<f32, nreal> out = results(shape, p);
  c64 rp = result<std::complex<float>>(shape), rs = result<std::complex<float>>(shape);
  std::complex<float>* rp_p = rp.mutable_data();
  std::complex<float>* rs_p = rs.mutable_data();
  for_points<15>(shape, {ol, phi, cn2, pol, bir, rot, ref, ana, h2p, h2d, h4p, h4d, an, ps, de}, threads, heavy,
                 [&](const walker<15>& w, const std::array<operand, 15>& o, py::ssize_t i) {
                   // The thickness search (kind 3) does not start from a thickness.
                   const float ep = 100.0f;
                   const ellcalc::measured_result r = ellcalc::from_measured_harmonics(
                       as_float(o[0], w[0]), as_float(o[1], w[1]), as_cplx(o[2], w[2]), as_float(o[3], w[3]),
                       as_float(o[4], w[4]), as_float(o[5], w[5]), as_float(o[6], w[6]), as_float(o[7], w[7]),
                       as_float(o[8], w[8]), as_float(o[9], w[9]), as_float(o[10], w[10]),
                       as_float(o[11], w[11]), as_float(o[13], w[13]), as_float(o[14], w[14]),
                       as_float(o[12], w[12]), ep);
                   const ellcalc::harmonics_set& h = r.h;
                   const std::array<float, nreal> v{
                       r.ps,  r.de,  r.psa, r.dea, r.an,  r.model.ep, r.model.per, r.model.Rp, r.model.Rs, h.H0,
                       h.H2C, h.H2S, h.H2A, h.H2P, h.H4C, h.H4S,      h.H4A,       h.H4P,      r.disc};
                   for (std::size_t k = 0; k < nreal; ++k) p[k][i] = v[k];
                   rp_p[i] = to_std(r.model.rp);
                   rs_p[i] = to_std(r.model.rs);
                 });
  py::list all;
  for (std::size_t k = 0; k < nreal; ++k) all.append(out[k]);
  all.insert(7, rp);
  all.insert(8, rs);
  return py::tuple(all);
}

}  // namespace

void bind_ellcalc(py::module_& m) {
  m.def("ellcalc_film", &film_kind);
  m.def("ellcalc_substrate_index", &substrate);
  m.def("ellcalc_reflection", &reflection);
  m.def("ellcalc_harmonics", &harmonics);
  m.def("ellcalc_from_harmonics", &from_harmonics);
}

}  // namespace thinfilm_py
