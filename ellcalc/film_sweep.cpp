#include "ellcalc/film_sweep.hpp"

#include "ellcalc/psd.hpp"
#include "ellcalc/same_bits.hpp"

namespace ellcalc {

using console::cplx_of;

template <class R>
film1_result<R> film_sweep<R>::evaluate(R ol, R phi, cplx_of<R> cn2, R an, R ep) {
  if (!have_media_ || !same_bits<R>(phi, phi_) || !same_bits<R>(cn2, cn2_)) {
    media_ = ambient_and_substrate<R>(phi, cn2);
    phi_ = phi;
    cn2_ = cn2;
    have_media_ = true;
    have_film_ = false;
  }
  if (!have_film_ || !same_bits<R>(an, film_.an)) {
    film_ = film_setup<R>(media_, an, normal_component<R>(an, media_.s2));
    have_film_ = true;
  }
  return film_at<R>(film_, ol, ep);
}

template class film_sweep<float>;
template class film_sweep<double>;

}  // namespace ellcalc
