// The ellipsometry calculator's dialogue: the kept values, the mode menu and the block of
// each mode. Every prompt shows the current value and the answer replaces it, so each
// answer and each stored result becomes the default of the next question.
#include <cstdint>

#include "console/console.hpp"
#include "ellcalc/dialogue.hpp"
#include "ellcalc/substrate_index.hpp"

namespace ellcalc {

namespace {

using console::cplx;
using console::fmt_write;
using console::list_read;

// Kept values, for the life of the process.
float ol = 632.8f;             // wavelength, nm
float phi = 70.0f;             // angle of incidence, degrees
cplx cn2{3.866f, -0.028f};     // substrate index n - ik
float ps = 39.44f;             // Psi, degrees
float de = 78.24f;             // Delta, degrees
std::int32_t mode = 1;         // last menu choice

void ask_wavelength() {
  fmt_write("(1H+,' Longueur d onde : ',F8.2,' nm ? ',$)", {ol});
  list_read({ol});
}

void ask_angle() {
  fmt_write("(1H+,' Angle d incidence : ',F7.3,' degres ? ',$)", {phi});
  list_read({phi});
}

void ask_psi() {
  fmt_write("(1H+,' Psi : ',F8.3,' degres ? ',$)", {ps});
  list_read({ps});
}

void ask_delta() {
  fmt_write("(1H+,' Delta : ',F8.3,' degres ? ',$)", {de});
  list_read({de});
}

// Mode 2: index of a bare substrate from Psi and Delta. The wavelength is asked and kept
// but takes no part.
void mode_substrate_index() {
  ask_wavelength();
  ask_angle();
  ask_psi();
  ask_delta();
  substrate_index(phi, ps, de, cn2);
  fmt_write("(1H+,' Indice du substrat : ',2(F9.5,1X),' . ',/)", {cn2});
}

}  // namespace

void main_routine() {
  for (;;) {
    fmt_write("(1H0,' 1: Psi et Delta.',/,' 2: Indice d un substrat.',/,' 3: Epaisseur a indice fixe.',/,"
              "' 4: Epaisseur et indice.',/,' 5: Rp, Rs.',/,' 6: H0, H2, H4.',/,' 7: Psi, Delta(H0,H2,H4).',/,"
              "1X,I2,' ? ',$)",
              {mode});
    list_read({mode});
    if (mode == 2) mode_substrate_index();
  }
}

}  // namespace ellcalc
