// The wafer bow calculator's dialogue: the kept values, the first pass with its stress
// report, the continue prompt and the continue passes that predict the wafer after the
// thicknesses change and an external moment applies. Every prompt shows the current value
// and the answer replaces it, so each answer becomes the default of the next question,
// also after a restart.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "console/console.hpp"
#include "waferbow/continue_pass.hpp"
#include "waferbow/dialogue.hpp"
#include "waferbow/first_calculation.hpp"
#include "waferbow/gaus3.hpp"
#include "waferbow/stress_report.hpp"
#include "waferbow/units.hpp"

namespace waferbow {

namespace {

using console::fmt_write;
using console::list_read;

// Kept values, for the life of the process.
double f = 10.0;                           // bow, um
double d = static_cast<double>(0.1f);      // wafer diameter, m
double d1 = 525.0;                         // silicon thickness, um
double d2 = 1.0;                           // silica thickness, um
double p1 = static_cast<double>(2.28f);    // E/(1-NU) of silicon, 1E5 MPa
double p2 = static_cast<double>(0.863f);   // E/(1-NU) of silica, 1E5 MPa
double t = 0.0;                            // external bending moment, MN; set only by
                                           // the continue pass, used by every later pass

// Working values, kept from one pass to the next.
first_state state{};          // first state of the last first pass
double cd1 = 0.0;             // continue-pass silicon thickness, um
double cd2 = 0.0;             // continue-pass silica thickness, um
// Solution array of the regression's 3x3 steps. It is never cleared: a step that gaus3
// cannot solve keeps whatever the previous step, pass or run left in it. Before the first
// solve of the process it holds zeros, so a first step that fails outright leads to a
// zero geometry and values that are not finite.
vector3 xs{0.0, 0.0, 0.0};

void ask_silicon_thickness(double& v) {
  fmt_write("(' Epaisseur de silicium : ',F9.3,' um ? ',$)", {v});
  list_read({v});
}

void ask_silica_thickness(double& v) {
  fmt_write("(' Epaisseur de silice : ',F9.3,' um ? ',$)", {v});
  list_read({v});
}

// The stress report of both passes. Its fourteen E fields are written E15.7, one column
// wider than E14.7: two blanks before a positive value's "0." and one before a negative
// value's "-0.", as the reference report of the default wafer shows. The moment prompt,
// the regression trace and the solver messages keep E14.7.
template <std::size_t... I>
void write_stress_report(const stress_report& r, std::index_sequence<I...>) {
  fmt_write("(' Rayon de courbure : ',F9.3,'m ; moment de flexion : ',E15.7,'MN',/,"
            "' Lignes neutre du silicium : ',E15.7,'m, de la silice : ',E15.7,'m',/,"
            "' Contrainte dans le silicium : interface ',E15.7,' surface : ',E15.7,'MPa',/,"
            "' Contrainte dans la silice : interface ',E15.7,' surface : ',E15.7,'MPa',/,"
            "' Deformation silicium : interface ',E15.7,' surface : ',E15.7,/,"
            "' Deformation silice : interface ',E15.7,' surface : ',E15.7,/,"
            "' Energie elastique : silicium ',E15.7,', silice ',E15.7,' J.m-2',/)",
            {r.*stress_fields[I].member...});
}

void write_stress_report(const stress_report& r) {
  write_stress_report(r, std::make_index_sequence<stress_fields.size()>{});
}

// Shows the continue prompt with 0 and reads the answer: true for a restart (1).
bool restart_asked() {
  std::int32_t answer = 0;
  fmt_write("(' Continue ou recommence (0/1) : ',I2,' ? ',$)", {answer});
  list_read({answer});
  return answer == 1;
}

void first_pass() {
  fmt_write("(' Fleche : ',F9.3,' um ? ',$)", {f});
  list_read({f});
  fmt_write("(' Diametre : ',F9.4,' m ? ',$)", {d});
  list_read({d});
  ask_silicon_thickness(d1);
  ask_silica_thickness(d2);
  fmt_write("(' E/(1.-NU) Si (111) 2.28 (100) 1.805: ',F9.5,' E5MPa ? ',$)", {p1});
  list_read({p1});
  fmt_write("(' E/(1.-NU) SiO2 0.863 MPa : ',F9.5,' E5MPa ? ',$)", {p2});
  list_read({p2});

  stress_report r{};
  first_calculation(f, d, d1, d2, p1, p2, t, state, r);
  fmt_write("(' Fleche : ',F9.3,' um ; diametre : ',F9.4,' m',/,"
            "' Epaisseur de silicium : ',F9.3,' um, de silice : ',F9.3,' um')",
            {f, d, d1, d2});
  write_stress_report(r);
}

// The message of a solver step that could not be finished; the pass goes on.
void write_solver_event(const solver_event& e) {
  switch (e.status) {
    case gaus3_status::solved:
      break;
    case gaus3_status::singular:
      fmt_write("(' GAUS3 ne peut pas resoudre.')");
      break;
    case gaus3_status::no_x2:
      fmt_write("(' GAUS3 ne peut pas resoudre: X(1) = ',E14.7)", {e.x1});
      break;
    case gaus3_status::no_x3:
      fmt_write("(' GAUS3 ne peut pas resoudre:',/,' X(1-2) = ',2(1X,E14.7))", {e.x1, e.x2});
      break;
  }
}

void continue_pass() {
  ask_silicon_thickness(cd1);
  ask_silica_thickness(cd2);
  // The moment is shown and read in N as a single-precision value and kept in MN.
  float moment_n = newtons_of_moment(t);
  fmt_write("(' Moment flechissant : ',E14.7,' N ? ',$)", {moment_n});
  list_read({moment_n});
  t = moment_of_newtons(moment_n);

  // Nothing else is written during the search, so its messages all come before the trace.
  const continue_prediction p = predict_continue_pass(state, metres_of_um(cd1), metres_of_um(cd2), t, d, xs);
  for (const solver_event& e : p.events) write_solver_event(e);
  fmt_write("(' C1,C2,R1,R2 :',4(1X,E14.7),/,' C3,C4,R3,R4 :',4(1X,E14.7),/,' W,WX :',2(1X,E14.7),/)",
            {state.c1, state.c2, state.r1, state.r2, p.g.x, p.g.c4, p.g.y, p.g.z, p.g.w, p.g.wx});
  fmt_write("(' Fleche : ',F9.3,' um ; diametre : ',F9.4,' m',/,"
            "' Epaisseur de silicium : ',F9.3,' um, de silice : ',F9.3,' um',/,1X,I5,' regressions')",
            {p.bow, d, cd1, cd2, p.regressions});
  write_stress_report(p.report);
}

}  // namespace

void main_routine() {
  for (;;) {
    first_pass();
    if (restart_asked()) continue;
    cd1 = d1;
    cd2 = d2;
    do {
      continue_pass();
    } while (!restart_asked());
  }
}

}  // namespace waferbow
