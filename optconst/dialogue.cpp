// The optical constants calculator's dialogue: the kept values, the material menu, the
// questions each material needs, the wavelength and the four result lines. Every prompt
// shows the current value and the answer replaces it.
#include <array>
#include <cstdint>

#include "console/console.hpp"
#include "optconst/constants.hpp"
#include "optconst/dialogue.hpp"
#include "optconst/silica.hpp"
#include "optconst/stress_fit.hpp"

namespace optconst {

namespace {

using console::fmt_write;
using console::list_read;

// Kept values, for the life of the process.
std::int32_t nat = 2;                          // material number, also an out-of-range answer
float w = 632.8f;                              // wavelength, nm (an answer in eV is stored converted)
std::array<float, 2> fr{0.0f, 0.0f};           // void fraction; fraction of the second component
float s = 0.0f;                                // stress of silica, MPa
silica_coefficients sio2 = unstressed_silica;  // silica block of the stress last fitted

// Compacity (void fraction): asked again while above 1; no lower bound.
void cmp(float& v) {
  do {
    fmt_write("('Compacite (=<1) : ',F7.4,' ? ',$)", {v});
    list_read({v});
  } while (v > 1.0f);
}

// Si-c rate: asked again until it lies in 0..1.
void tsc(float& v) {
  do {
    fmt_write("('Taux de Si-c (0-1) : ',F7.4,' ? ',$)", {v});
    list_read({v});
  } while (v > 1.0f || v < 0.0f);
}

// Oxygen content x of SiOx, asked for the silica fraction v it stands for.
//   v = 0.6078431 shows x = 1.0000; x = 0 gives v = 0, x = 2 gives v = 1.
void siox(float& v) {
  float x = x_of_silica_fraction(v);
  fmt_write("(' x(SiOx [0.,2.] : ',F7.4,' ? ',$)", {x});
  list_read({x});
  v = silica_fraction_of_x(x);
}

// Silica under stress: the stress question, the fit of both polarisations and the table
// of the unstressed and the two stressed coefficient sets; the block fitted is kept for
// the results. A fit that does not converge ends the program.
void bir() {
  fmt_write("(' Contrainte SiO2 (MPa)(1MPa=10bar=1.E7dyn/cm2)',/,' [-150.,-450.]:',F7.2,'MPa ? ',$)", {s});
  list_read({s});
  const stress_fit fit = bir_fit(s);
  if (!fit.converged) console::stop_run("7");
  sio2 = fit.sio2;
  const int p1 = stressed_pairs[0];
  const int p2 = stressed_pairs[1];
  fmt_write("(' CO =',/,6(I2,2X,F9.7,2X,F9.7,2X,F9.7,/))",
            {std::int32_t{1}, sio2[0], sio2[p1], sio2[p2],
             std::int32_t{2}, sio2[1], sio2[p1 + 1], sio2[p2 + 1],
             std::int32_t{3}, sio2[2], sio2[p1 + 2], sio2[p2 + 2],
             std::int32_t{4}, sio2[3], sio2[p1 + 3], sio2[p2 + 3],
             std::int32_t{5}, sio2[4], sio2[p1 + 4], sio2[p2 + 4],
             std::int32_t{6}, sio2[5], sio2[p1 + 5], sio2[p2 + 5]});
}

// One pass: menu, questions, wavelength, result.
void cycle() {
  fmt_write("(' 1: vide   2: Si      3: SiO2    4: Si-a',5X,'5: SiOx',/,"
            "' 6: Al     7: Si3N4   8: Si polycristallin   9: Si poreux',/,I2,' ? ',$)",
            {nat});
  list_read({nat});
  if (nat == -1) console::stop_run("");
  if (nat < 1 || nat > 9) return;
  if (nat == 3 || nat == 4 || nat == 5 || nat == 7 || nat == 8 || nat == 9) cmp(fr[0]);
  if (nat == 3) bir();
  if (nat == 7 || nat == 8 || nat == 9) tsc(fr[1]);
  if (nat == 5) siox(fr[1]);

  fmt_write("(' LONGUEUR D''ONDE (nm ou eV, -1:arret)',/,F9.3,' ? ',$)", {w});
  list_read({w});
  if (w == -1.0f) console::stop_run("");
  // An answer in eV is kept as the wavelength in nm.
  const wavelength_energy we = wavelength_answer(w);
  w = we.w;
  const float en = we.en;

  const optical_constants c = constants_at(fr, en, nat, sio2);
  fmt_write("(' Lambda(nm)= ',F7.2,5X,' n = ',F10.5,2X,'k = ',F10.5,/,'     E(ev)= ',F7.4,15X,F10.5,2X,F10.5,/,"
            "T19,' Epsilon r = ',F10.5,2X,' Epsilon i =',F10.5,/,T32,F10.5,2X,F10.5)",
            {w, c.index[0], en, c.index[1], c.eps[0], c.eps[1]});
}

}  // namespace

void main_routine() {
  for (;;) cycle();
}

}  // namespace optconst
