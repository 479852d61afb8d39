// The forward film model (film1 kind 1) over a sequence of points, for callers that vary
// the wavelength and the thickness while the angle, the substrate and the film index stay
// put (a sweep). evaluate(ol, phi, cn2, an, ep) gives what film1(ol, phi, cn2, 1, ., ., an,
// ep) gives, to the bit, for every input: it keeps the media of the last (phi, cn2) and the
// film set-up of the last an, and redoes a part only when one of its arguments differs
// from the previous call's in its bits (so -0.0 is not 0.0, and NaNs are told apart by
// their payload). One evaluator per thread: evaluate changes what it keeps.
//   film_sweep<float> s;
//   for (...) r = s.evaluate(ol[i], 70.0f, {3.866f, -0.028f}, 1.46f, ep[j]);
#pragma once

#include <cstddef>

#include "console/complex.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/media.hpp"

namespace ellcalc {

template <class R>
class film_sweep {
 public:
  film1_result<R> evaluate(R ol, R phi, console::cplx_of<R> cn2, R an, R ep);
  // evaluate at n points, out[i] from the arguments' i-th elements: each run of points
  // with the same angle, substrate and film index goes to film_at_many at once.
  void evaluate_many(std::size_t n, const R* ol, const R* phi, const console::cplx_of<R>* cn2, const R* an,
                     const R* ep, film1_result<R>* out);

 private:
  // Sets up the media and the film for these arguments, unless they are the last call's.
  void set_up(R phi, console::cplx_of<R> cn2, R an);

  bool have_media_ = false;
  bool have_film_ = false;
  R phi_{};
  console::cplx_of<R> cn2_{};
  media<R> media_{};
  film_invariants<R> film_{};
};

}  // namespace ellcalc
