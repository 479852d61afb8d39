#include "ellcalc/stack.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ellcalc/cf_cg.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/real.hpp"
#include "ellcalc/same_bits.hpp"

namespace ellcalc {

using console::cplx_d;
using console::narrow;

namespace {

constexpr cplx_d times_i(cplx_d z) { return {-z.im, z.re}; }

// Whether the principal root `root` of z = N^2 - s2 (z_im its imaginary part) is the one
// whose field grows away from the interface, so that the other, -root, decays: on the
// negative real axis (a transparent medium whose index is below the sine of the angle);
// -root is there the limit of a weak absorption.
template <class R>
bool grows(cplx_of<R> root, double z_im) {
  return root.im > R{0} && !(z_im > 0.0);
}

template <class R>
cplx_of<R> decaying_root(cplx_of<R> root, double z_im) {
  if (grows<R>(root, z_im)) return {-root.re, -root.im};
  return root;
}

// Ambient and substrate, the substrate's normal component on its decaying root (and its
// p-admittance N^2 / a2 with it).
template <class R>
media<R> stack_ends(R angle, cplx_of<R> substrate) {
  media<R> m = ambient_and_substrate<R>(angle, substrate);
  if (grows<R>(m.a2, (cplx_d(substrate) * cplx_d(substrate)).im)) {
    m.a2 = {-m.a2.re, -m.a2.im};
    m.b2 = {-m.b2.re, -m.b2.im};
  }
  return m;
}

template <class R>
stack_layer_setup<R> layer_setup(cplx_of<R> index, R s2) {
  const cplx_d n2 = cplx_d(index) * cplx_d(index);
  const cplx_d z = n2 - double{s2};
  const cplx_of<R> a = decaying_root<R>(console::csqrt<R>(z), z.im);
  return {n2, a, 1.0 / cplx_d(a), 1.0 / n2};
}

// A layer of zero thickness is passed over, unless its index is not finite.
template <class R>
bool passed_over(const stack_layer<R>& layer) {
  return layer.thickness == R{0} && std::isfinite(layer.index.re) && std::isfinite(layer.index.im);
}

// sin(d) / d by its series, for |d| below 0.1 (the next term is below 3e-18).
cplx_d sinc_series(cplx_d d) {
  const cplx_d d2 = d * d;
  return 1.0 - d2 / 6.0 * (1.0 - d2 / 20.0 * (1.0 - d2 / 42.0 * (1.0 - d2 / 72.0)));
}

template <class R>
double wavenumber(R wavelength) {
  return real_traits<R>::four_pi / 2.0 / wavelength;
}

// What lies under a plane of the stack, for each polarisation the vector (B, C) that the
// characteristic matrices above the substrate make of (1, y): the admittance seen there
// is C / B. The vectors go up without a division. A layer multiplies their size by at
// most about its optical thickness (kd, for a layer at the critical index), so every few
// layers, when they have left [2^-256, 2^256], they are brought back by a power of two,
// which changes no ratio.
struct under_plane {
  cplx_d bs, cs, bp, cp;
  unsigned walked = 0;  // layers carried through
};
constexpr unsigned layers_between_checks = 8;

under_plane under_substrate(cplx_d ys, cplx_d yp) { return {{1.0, 0.0}, ys, {1.0, 0.0}, yp, 0}; }

void keep_in_range(cplx_d& b, cplx_d& c) {
  const double most = std::max(std::max(std::fabs(b.re), std::fabs(b.im)), std::max(std::fabs(c.re), std::fabs(c.im)));
  if (!(most > 0x1p+256 || most < 0x1p-256) || most == 0.0 || !std::isfinite(most)) return;
  const double scale = std::scalbn(1.0, -std::ilogb(most));
  b = b * scale;
  c = c * scale;
}

// The vectors under a layer carried to its top by its characteristic matrices (s: its
// admittance a; p: n^2 / a). kd is 2 pi / wavelength times the thickness; the phase of the
// layer is delta = kd a, and cos(delta), sin(delta) and sin(delta) / a are all taken times
// exp(-|Im delta|), which the ratios C / B do not see.
template <class R>
void through_layer(const stack_layer_setup<R>& f, double kd, under_plane& v) {
  const cplx_d a = f.a;
  const cplx_d d = kd * a;
  // exp(-2 |Im delta|) - 1; a transparent layer's is -0 without the call.
  const double em = d.im == 0.0 ? -0.0 : std::expm1(-2.0 * std::fabs(d.im));
  const double ch = 1.0 + em / 2.0;                  // cosh(Im delta) exp(-|Im delta|)
  const double sh = std::copysign(-em / 2.0, d.im);  // sinh(Im delta) exp(-|Im delta|)
  const double cx = std::cos(d.re);
  const double sx = std::sin(d.re);
  const cplx_d c{cx * ch, -sx * sh};
  const cplx_d s{sx * ch, cx * sh};
  const cplx_d s_over_a =
      d.re * d.re + d.im * d.im < 0.01 ? kd * std::exp(-std::fabs(d.im)) * sinc_series(d) : s * f.inverse_a;
  const cplx_d as = a * s;
  v = {c * v.bs + times_i(s_over_a * v.cs), times_i(as * v.bs) + c * v.cs,
       c * v.bp + times_i(as * f.inverse_n2 * v.cp), times_i(f.n2 * s_over_a * v.bp) + c * v.cp, v.walked + 1};
  if (v.walked % layers_between_checks == 0) {
    keep_in_range(v.bs, v.cs);
    keep_in_range(v.bp, v.cp);
  }
}

// The vectors at the top of `layers` (from the ambient side down) on the media's
// substrate; setup_of(l) gives the set-up of layer l (layer_setup of its index), asked
// only for the layers that are not passed over.
template <class R, class SetupOf>
under_plane walk_up(std::span<const stack_layer<R>> layers, const media<R>& m, R wavelength, SetupOf setup_of) {
  const double k = wavenumber<R>(wavelength);
  under_plane v = under_substrate(m.a2, m.b2);
  for (std::size_t l = layers.size(); l-- > 0;) {
    if (passed_over<R>(layers[l])) continue;
    through_layer<R>(setup_of(l), k * layers[l].thickness, v);
  }
  return v;
}

template <class R>
under_plane walk_up(std::span<const stack_layer<R>> layers, const media<R>& m, R wavelength) {
  return walk_up<R>(layers, m, wavelength, [&](std::size_t l) { return layer_setup<R>(layers[l].index, m.s2); });
}

// The reflection of what lies under the top plane, seen from air: the Fresnel
// coefficients of the ambient against the admittances C / B there, cf(a0, Cs / Bs) and
// cf(Cp / Bp, b0), taken as (a0 Bs - Cs) / (a0 Bs + Cs) and (Cp - b0 Bp) / (Cp + b0 Bp).
template <class R>
stack_result<R> seen_from_air(const media<R>& m, const under_plane& v, R wavelength) {
  stack_result<R> r{};
  const cplx_d a0bs = cplx_d(m.a0) * v.bs, b0bp = cplx_d(m.b0) * v.bp;
  r.rs = narrow<R>((a0bs - v.cs) / (a0bs + v.cs));
  r.rp = narrow<R>((v.cp - b0bp) / (v.cp + b0bp));
  if (std::isnan(wavelength)) {
    // The bare substrate does not depend on the wavelength; a NaN still gives NaN.
    constexpr R nan = std::numeric_limits<R>::quiet_NaN();
    r.rs = r.rp = {nan, nan};
  }
  const psi_delta_pair<R> pd = psi_delta<R>(r.rp, r.rs);
  r.psi = pd.psi;
  r.delta = pd.delta;
  r.Rp = stored<R>(double{r.rp.re} * r.rp.re + double{r.rp.im} * r.rp.im);
  r.Rs = stored<R>(double{r.rs.re} * r.rs.re + double{r.rs.im} * r.rs.im);
  return r;
}


}  // namespace

template <class R>
media<R> stack_media(std::span<const stack_layer<R>> layers, cplx_of<R> substrate, R wavelength, R angle) {
  media<R> m = stack_ends<R>(angle, substrate);
  const under_plane v = walk_up<R>(layers, m, wavelength);
  if (v.walked > 0) {
    m.a2 = narrow<R>(v.cs / v.bs);
    m.b2 = narrow<R>(v.cp / v.bp);
  }
  return m;
}

template <class R>
stack_result<R> stack_reflection(std::span<const stack_layer<R>> layers, cplx_of<R> substrate, R wavelength,
                                 R angle) {
  const media<R> m = stack_ends<R>(angle, substrate);
  return seen_from_air<R>(m, walk_up<R>(layers, m, wavelength), wavelength);
}

template <class R>
stack_result<R> stack_sweep<R>::evaluate(std::span<const stack_layer<R>> layers, cplx_of<R> substrate,
                                         R wavelength, R angle) {
  if (!have_media_ || !same_bits<R>(angle, angle_) || !same_bits<R>(substrate, substrate_)) {
    media_ = stack_ends<R>(angle, substrate);
    angle_ = angle;
    substrate_ = substrate;
    have_media_ = true;
    indices_.clear();
  }
  if (indices_.size() != layers.size()) {
    indices_.resize(layers.size());
    setups_.resize(layers.size());
    for (std::size_t l = 0; l < layers.size(); ++l) {
      indices_[l] = layers[l].index;
      setups_[l] = layer_setup<R>(layers[l].index, media_.s2);
    }
  }
  const under_plane v =
      walk_up<R>(layers, media_, wavelength, [&](std::size_t l) -> const stack_layer_setup<R>& {
        if (!same_bits<R>(layers[l].index, indices_[l])) {
          indices_[l] = layers[l].index;
          setups_[l] = layer_setup<R>(layers[l].index, media_.s2);
        }
        return setups_[l];
      });
  return seen_from_air<R>(media_, v, wavelength);
}

template media<float> stack_media<float>(std::span<const stack_layer<float>>, cplx_of<float>, float, float);
template media<double> stack_media<double>(std::span<const stack_layer<double>>, cplx_of<double>, double, double);
template stack_result<float> stack_reflection<float>(std::span<const stack_layer<float>>, cplx_of<float>, float,
                                                     float);
template stack_result<double> stack_reflection<double>(std::span<const stack_layer<double>>, cplx_of<double>, double,
                                                       double);
template class stack_sweep<float>;
template class stack_sweep<double>;

}  // namespace ellcalc
