// The ellipsometry calculator's dialogue: the kept values, the mode menu and the block of
// each mode. Every prompt shows the current value and the answer replaces it, so each
// answer and each stored result becomes the default of the next question.
#include <cstdint>

#include "console/console.hpp"
#include "ellcalc/dialogue.hpp"
#include "ellcalc/film1.hpp"
#include "ellcalc/modes.hpp"
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
float an = 1.5f;               // film index
float ep = 100.0f;             // film thickness, nm
float ps = 39.44f;             // Psi, degrees
float de = 78.24f;             // Delta, degrees
float pol = 90.0f;             // polariser azimuth, degrees
float bir = 90.0f;             // retardance of the compensator Q, degrees
float rot = 0.0f;              // optical rotation of Q, degrees
float ana = -45.0f;            // analyser azimuth, degrees
float ref = 0.0f;              // azimuth of Q at the top-zero mark, degrees
float h0p = 2.819f;            // measured H0
float h2p = 2.266f;            // measured amplitude of H2
float h2d = 92.776f;           // measured phase of H2, degrees
float h4p = 0.417f;            // measured amplitude of H4
float h4d = 45.034f;           // measured phase of H4, degrees
std::int32_t mode = 1;         // last menu choice
float per = 0.0f;              // thickness period of the last film, nm
float psa = 0.0f;              // Psi of the model for the last film found, degrees
float dea = 0.0f;              // Delta of the model for the last film found, degrees

void ask_wavelength() {
  fmt_write("(1H+,' Longueur d onde : ',F8.2,' nm ? ',$)", {ol});
  list_read({ol});
}

void ask_angle() {
  fmt_write("(1H+,' Angle d incidence : ',F7.3,' degres ? ',$)", {phi});
  list_read({phi});
}

void ask_substrate() {
  fmt_write("(1H+,' Indice du substrat : ',2(F9.5,1X),' ? ',$)", {cn2});
  list_read({cn2});
}

void ask_film_index() {
  fmt_write("(1H+,' Indice de la couche mince : ',F9.5,' ? ',$)", {an});
  list_read({an});
}

void ask_thickness() {
  fmt_write("(1H+,' Epaisseur de la couche mince : ',F9.2,' nm ? ',$)", {ep});
  list_read({ep});
}

void ask_psi() {
  fmt_write("(1H+,' Psi : ',F8.3,' degres ? ',$)", {ps});
  list_read({ps});
}

void ask_delta() {
  fmt_write("(1H+,' Delta : ',F8.3,' degres ? ',$)", {de});
  list_read({de});
}

// The five instrument angles of modes 6 and 7.
void ask_instrument() {
  fmt_write("(1H+,' Angle du polariseur : ',F8.3,' degres ? ',$)", {pol});
  list_read({pol});
  fmt_write("(1H+,' Birefringence de Q : ',F8.3,' degres ? ',$)", {bir});
  list_read({bir});
  fmt_write("(1H+,' Pouvoir rotatoire de Q : ',F8.3,' degres ? ',$)", {rot});
  list_read({rot});
  fmt_write("(1H+,' Angle du top zero : ',F8.3,' degres ? ',$)", {ref});
  list_read({ref});
  fmt_write("(1H+,' Angle de l analyseur : ',F8.3,' degres ? ',$)", {ana});
  list_read({ana});
}

// The film that film1 returns becomes the kept film, period and model Psi, Delta.
void keep(const film1_result<float>& f) {
  an = f.an;
  ep = f.ep;
  psa = f.psa;
  dea = f.dea;
  per = f.per;
}

// Mode 1: Psi and Delta of a film; they become the kept Psi and Delta.
void mode_psi_delta() {
  ask_wavelength();
  ask_angle();
  ask_substrate();
  ask_film_index();
  ask_thickness();
  const film1_result<float> f = film1(ol, phi, cn2, mode, ps, de, an, ep);
  keep(f);
  ps = psa;
  de = dea;
  fmt_write("(1H+,' ',F8.1,' nm, Indice : ',F9.5,' Epaisseur : ',F8.2,' nm',/,' Periode : ',F8.2,' nm',/,"
            "' Psi, Delta : ',F9.3,1X,F9.3,' degres',/)",
            {ol, an, ep, per, ps, de});
}

// Mode 2: index of a bare substrate from Psi and Delta. The wavelength is asked and kept
// but takes no part.
void mode_substrate_index() {
  ask_wavelength();
  ask_angle();
  ask_psi();
  ask_delta();
  cn2 = substrate_index(phi, ps, de);
  fmt_write("(1H+,' Indice du substrat : ',2(F9.5,1X),' . ',/)", {cn2});
}

// Modes 3 and 4: film thickness at a fixed index, or thickness and index together, from
// the measured Psi and Delta, which stay as entered.
void mode_film_fit() {
  ask_wavelength();
  ask_angle();
  ask_substrate();
  ask_film_index();
  ask_psi();
  ask_delta();
  const film1_result<float> f = film1(ol, phi, cn2, mode, ps, de, an, ep);
  keep(f);
  const film1_outcome& search = f.outcome;
  if (!search.converged) fmt_write("(' Conv. lente ! ',/,' S = ',F7.3,' DSS = ',F7.4)", {search.s, search.dss});
  fmt_write("(1H+,' ',F9.2,' nm, Indice : ',F9.5,' Epaisseur : ',F9.3,' nm',/,' Periode : ',F8.2,' nm',/,"
            "' Psi, Delta avant : ',F9.3,1X,F9.3,' degres',/,' Psi, Delta apres : ',E14.7,1X,E14.7,' degres',/)",
            {ol, an, ep, per, ps, de, psa, dea});
}

// Mode 5: reflection coefficients and reflectances; Psi and Delta become the kept ones.
void mode_reflection() {
  ask_wavelength();
  ask_angle();
  ask_substrate();
  ask_film_index();
  ask_thickness();
  const reflection_result r = reflection(ol, phi, cn2, an, ep);
  ep = r.ep;
  per = r.per;
  ps = r.psi;
  de = r.delta;
  fmt_write("(1H+,' ',F9.2,' nm, Indice : ',F9.5,' Epaisseur : ',F9.3,' nm',/,' Periode : ',F9.3,' nm',/,"
            "' Psi, Delta : ',F9.3,1X,F9.3,' degres',/,' rp : ',E14.7,1X,E14.7,'; Rp : ',F8.6,/,"
            "' rs : ',E14.7,1X,E14.7,'; Rs : ',F8.6,/)",
            {ol, an, ep, per, ps, de, r.rp, r.Rp, r.rs, r.Rs});
}

// Mode 6: harmonics of the rotating-compensator instrument for the film model, and Psi,
// Delta computed back from them.
void mode_harmonics() {
  ask_wavelength();
  ask_angle();
  ask_substrate();
  ask_film_index();
  ask_thickness();
  ask_instrument();
  const harmonics_result r = harmonics_of_film(ol, phi, cn2, an, ep, pol, bir, rot, ref, ana);
  const reflection_result& m = r.model;
  const harmonics_set& h = r.h;
  ep = m.ep;
  per = m.per;
  ps = m.psi;
  de = m.delta;
  psa = r.psa;
  dea = r.dea;
  fmt_write("(1H+,' POL,BIR,ROT,REF,ANA =',5(1X,F8.3),' degres')", {pol, bir, rot, ref, ana});
  fmt_write("(1H+,' ',F9.2,' nm, Indice : ',F9.5,' Epaisseur : ',F9.3,' nm',/,' Periode : ',F8.2,' nm',/,"
            "' rp : ',E14.7,1X,E14.7,'; Rp : ',F8.6,/,' rs : ',E14.7,1X,E14.7,'; Rs : ',F8.6,/,' H0 : ',F8.6,/,"
            "' H2 C, S, A, P :',3(1X,F8.6),1X,F8.3,/,' H4 C, S, A, P :',3(1X,F8.6),1X,F8.3,/,"
            "' Psi, Delta avant : ',F9.3,1X,F9.3,' degres',/,' Psi, Delta apres : ',E14.7,1X,E14.7,' degres',/)",
            {ol, an, ep, per, m.rp, m.Rp, m.rs, m.Rs, h.H0, h.H2C, h.H2S, h.H2A, h.H2P, h.H4C, h.H4S, h.H4A, h.H4P, ps,
             de, psa, dea});
}

// Mode 7: Psi and Delta from measured harmonics, the thickness at the kept film index, and
// the harmonics that the film found would give.
void mode_measured_harmonics() {
  ask_wavelength();
  ask_angle();
  ask_substrate();
  ask_instrument();
  fmt_write("(1H+,' H0,HA2,HP2,HA4,HP4 : ',F8.6,2(1X,F8.6,1X,F8.3),' degres ? ')", {h0p, h2p, h2d, h4p, h4d});
  list_read({h0p, h2p, h2d, h4p, h4d});

  const measured_result r =
      from_measured_harmonics(ol, phi, cn2, pol, bir, rot, ref, ana, h2p, h2d, h4p, h4d, ps, de, an, ep);
  if (r.disc < 0.0f) fmt_write("(1H+,' Discriminant negatif: ',E14.7)", {r.disc});
  const reflection_result& m = r.model;
  const harmonics_set& h = r.h;
  ps = r.ps;
  de = r.de;
  an = r.an;
  ep = m.ep;
  per = m.per;
  psa = r.psa;
  dea = r.dea;
  fmt_write("(1H+,' H0 : ',F8.6,' H2 A, P :',1X,F8.6,1X,F8.3,' H4 A, P :',1X,F8.6,1X,F8.3,/,"
            "' Indice : ',F9.5,' Epaisseur : ',F9.3,' nm',' Periode : ',F9.3,' nm',/,"
            "' rp : ',E14.7,1X,E14.7,'; Rp : ',F8.6,/,' rs : ',E14.7,1X,E14.7,'; Rs : ',F8.6,/,' H0 : ',F8.6,/,"
            "' H2 C, S, A, P :',3(1X,F8.6),1X,F8.3,/,' H4 C, S, A, P :',3(1X,F8.6),1X,F8.3,/,"
            "' Psi, Delta avant : ',F9.3,1X,F9.3,' degres',/,' Psi, Delta apres : ',E14.7,1X,E14.7,' degres',/)",
            {h0p, h2p, h2d, h4p, h4d, an, ep, per, m.rp, m.Rp, m.rs, m.Rs, h.H0, h.H2C, h.H2S, h.H2A, h.H2P, h.H4C,
             h.H4S, h.H4A, h.H4P, ps, de, psa, dea});
}

}  // namespace

void main_routine() {
  for (;;) {
    fmt_write("(1H0,' 1: Psi et Delta.',/,' 2: Indice d un substrat.',/,' 3: Epaisseur a indice fixe.',/,"
              "' 4: Epaisseur et indice.',/,' 5: Rp, Rs.',/,' 6: H0, H2, H4.',/,' 7: Psi, Delta(H0,H2,H4).',/,"
              "1X,I2,' ? ',$)",
              {mode});
    list_read({mode});
    if (mode == 1) mode_psi_delta();
    if (mode == 2) mode_substrate_index();
    if (mode == 3) mode_film_fit();
    if (mode == 4) mode_film_fit();
    if (mode == 5) mode_reflection();
    if (mode == 6) mode_harmonics();
    if (mode == 7) mode_measured_harmonics();
  }
}

}  // namespace ellcalc
