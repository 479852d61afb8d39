#include "console/console.hpp"
#include "console/help_text.hpp"
#include "ellcalc/dialogue.hpp"

namespace {

constexpr auto help = console::join(
    "Usage: ellcalc [--help | --version]\n"
    "\n"
    "Ellipsometry of one transparent film on a substrate, seen from air: Psi and Delta of\n"
    "the film, the index of a bare substrate, the film thickness (and index) from Psi and\n"
    "Delta, the reflection coefficients and reflectances, and the harmonics H0, H2, H4 of a\n"
    "rotating-compensator ellipsometer, forward and back.\n"
    "\n"
    "The program takes no other options: it is driven by its dialogue in French on standard\n"
    "input (a menu, then questions that show the current values; an answer of / or , keeps\n"
    "the value shown). At a terminal, rlwrap ellcalc adds line editing and a history of\n"
    "answers. The manual page: man ellcalc.\n"
    "\n",
    console::exit_status_at_end_of_input);

constexpr console::program_info info{"ellcalc", console::view(help)};

}  // namespace

int main(int argc, char** argv) { return console::run(argc, argv, info, ellcalc::main_routine); }
