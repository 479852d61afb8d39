#include "ellcalc/film_sweep.hpp"

#include "ellcalc/film_at_many.hpp"
#include "ellcalc/psd.hpp"
#include "ellcalc/same_bits.hpp"

namespace ellcalc {

using console::cplx_of;

template <class R>
void film_sweep<R>::set_up(R phi, cplx_of<R> cn2, R an) {
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
}

template <class R>
film1_result<R> film_sweep<R>::evaluate(R ol, R phi, cplx_of<R> cn2, R an, R ep) {
  set_up(phi, cn2, an);
  return film_at<R>(film_, ol, ep);
}

template <class R>
void film_sweep<R>::evaluate_many(std::size_t n, const R* ol, const R* phi, const cplx_of<R>* cn2, const R* an,
                                  const R* ep, film1_result<R>* out) {
  for (std::size_t i = 0; i < n;) {
    set_up(phi[i], cn2[i], an[i]);
    std::size_t end = i + 1;
    while (end < n && same_bits<R>(phi[end], phi_) && same_bits<R>(cn2[end], cn2_) && same_bits<R>(an[end], film_.an))
      ++end;
    film_at_many<R>(film_, ol + i, ep + i, out + i, end - i);
    i = end;
  }
}

template class film_sweep<float>;
template class film_sweep<double>;

}  // namespace ellcalc
