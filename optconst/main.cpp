#include "console/console.hpp"
#include "console/help_text.hpp"
#include "optconst/dialogue.hpp"

namespace {

constexpr auto help = console::join(
    "Usage: optconst [--help | --version]\n"
    "\n"
    "The complex dielectric function and the complex refractive index n, k at one\n"
    "wavelength (nm or eV) of vacuum, crystalline, amorphous, polycrystalline and porous\n"
    "silicon, silica under stress, silicon sub-oxide, aluminium and silicon nitride, with\n"
    "voids mixed in.\n"
    "\n"
    "The program takes no other options: it is driven by its dialogue in French on standard\n"
    "input (a menu of materials, then questions that show the current values; an answer of\n"
    "/ or , keeps the value shown, -1 at the menu ends the program). At a terminal, rlwrap\n"
    "optconst adds line editing and a history of answers. The manual page: man optconst.\n"
    "\n"
    "Exit status:\n"
    "  0  the answer -1, a silica fit that does not converge (STOP 7), --help or --version\n",
    console::exit_interrupted,
    "  2  the end of the input, an answer that cannot be read, output that cannot be\n"
    "     written, or a quit, arithmetic, trace or abort signal\n");

constexpr console::program_info info{"optconst", console::view(help)};

}  // namespace

int main(int argc, char** argv) { return console::run(argc, argv, info, optconst::main_routine); }
