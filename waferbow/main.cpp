#include "console/console.hpp"
#include "waferbow/dialogue.hpp"

namespace {

constexpr console::program_info info{
    "waferbow",
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
    "\n"
    "Exit status:\n"
    "  0  after --help or --version\n"
    "  1  interrupted (Ctrl-C) or terminated\n"
    "  2  the end of the input (the normal end of a piped session), an answer that cannot\n"
    "     be read, output that cannot be written, or a quit, arithmetic, trace or abort\n"
    "     signal\n"};

}  // namespace

int main(int argc, char** argv) { return console::run(argc, argv, info, waferbow::main_routine); }
