#include "console/console.hpp"
#include "console/help_text.hpp"
#include "waferbow/dialogue.hpp"

namespace {

constexpr auto help = console::join(
    "Usage: waferbow [--help | --version]\n"
    "\n"
    "The bow of a silicon wafer carrying a silica layer: radius of curvature, bending\n"
    "moment, neutral lines, stresses, strains and elastic energies of both layers; then the\n"
    "bow and stresses predicted after the layer thicknesses change and an external moment\n"
    "is applied.\n"
    "\n"
    "The program takes no other options: it is driven by its dialogue in French on standard\n"
    "input (questions that show the current values; an answer of / or , keeps the value\n"
    "shown). At a terminal, rlwrap waferbow adds line editing and a history of answers.\n"
    "The manual page: man waferbow.\n"
    "\n",
    console::exit_status_at_end_of_input);

constexpr console::program_info info{"waferbow", console::view(help)};

}  // namespace

int main(int argc, char** argv) { return console::run(argc, argv, info, waferbow::main_routine); }
