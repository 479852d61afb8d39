// Reflection of a stack of layers on a semi-infinite substrate, seen from air (index 1).
//
// The layers are listed from the ambient side down, each with its complex index n - ik (an
// absorbing layer has a negative imaginary part) and its thickness in nm; the wavelength is
// in nm and the angle of incidence in degrees (0 to below 90). Psi and Delta follow the
// conventions of the single-film model (rcoef): Psi = atan |rp / rs| in [0, 90], Delta the
// argument of rp / rs in (-180, 180]; rp and rs are the coefficients of the same sign
// conventions, Rp = |rp|^2 and Rs = |rs|^2.
//
// The admittance of the substrate is carried up through the characteristic matrix of each
// layer, then compared with the ambient's. The matrices are even in the layer's normal
// wave-vector component, and written with sin(delta) / delta where that component
// vanishes, so a layer whose index crosses the sine of the angle (an evanescent wave) gives
// a result continuous across it; both cosines and sines are scaled by exp(-|Im delta|), so
// thick absorbing layers neither overflow nor lose the rest of the stack. The substrate's
// normal component is the root whose field decays (or propagates) away from the surface.
// A layer of zero thickness changes nothing; the layer count has no bound and nothing is
// allocated. A NaN among the inputs gives NaN results.
//   one layer (1.5, 100 nm) on (3.866, -0.028), 632.8 nm, 70 degrees
//     -> Psi 43.613, Delta 75.973, as rcoef gives
//
// stack_sweep gives the same results, to the bit, over a sequence of points where the
// angle, the substrate and the layers' indices stay put (a sweep of wavelengths or
// thicknesses): it keeps what they alone fix and redoes a part only when one of its
// inputs differs from the previous call's in its bits. One per thread.
//   stack_sweep<double> s;
//   for (...) r = s.evaluate(layers, {3.866, -0.028}, wavelength[i], 70.0);
#pragma once

#include <span>
#include <vector>

#include "console/complex.hpp"
#include "ellcalc/media.hpp"

namespace ellcalc {

template <class R>
struct stack_layer {
  console::cplx_of<R> index;  // n - ik
  R thickness;                // nm
};

template <class R>
struct stack_result {
  console::cplx_of<R> rp, rs;
  R Rp, Rs;      // |rp|^2, |rs|^2
  R psi, delta;  // degrees
};

// layers from the ambient side down; substrate n - ik; wavelength in nm; angle in degrees.
template <class R>
stack_result<R> stack_reflection(std::span<const stack_layer<R>> layers, console::cplx_of<R> substrate, R wavelength,
                                 R angle);

// The ambient, and what lies under `layers` seen from above them: media whose a2, b2 are
// the admittances at the top of the layers (the substrate's when there is none).
// stack_reflection is these media's "substrate" seen from air; a film on top of the layers
// is the single-film model on these media.
template <class R>
media<R> stack_media(std::span<const stack_layer<R>> layers, console::cplx_of<R> substrate, R wavelength, R angle);

// What a layer's index and the angle fix: the square of the index, the normal
// wave-vector component and its inverse.
template <class R>
struct stack_layer_setup {
  console::cplx_d n2;
  console::cplx_of<R> a;
  console::cplx_d inverse_a;
  console::cplx_d inverse_n2;
};

template <class R>
class stack_sweep {
 public:
  stack_result<R> evaluate(std::span<const stack_layer<R>> layers, console::cplx_of<R> substrate, R wavelength,
                           R angle);

 private:
  bool have_media_ = false;
  R angle_{};
  console::cplx_of<R> substrate_{};
  media<R> media_{};
  std::vector<console::cplx_of<R>> indices_;
  std::vector<stack_layer_setup<R>> setups_;
};

}  // namespace ellcalc
