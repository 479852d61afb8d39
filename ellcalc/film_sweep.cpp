#include "ellcalc/film_sweep.hpp"

#include <bit>
#include <cstdint>
#include <type_traits>

#include "ellcalc/psd.hpp"

namespace ellcalc {

using console::cplx_of;

namespace {

template <class R>
bool same_bits(R a, R b) {
  using bits = std::conditional_t<sizeof(R) == 4, std::uint32_t, std::uint64_t>;
  return std::bit_cast<bits>(a) == std::bit_cast<bits>(b);
}

template <class R>
bool same_bits(cplx_of<R> a, cplx_of<R> b) {
  return same_bits<R>(a.re, b.re) && same_bits<R>(a.im, b.im);
}

}  // namespace

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
