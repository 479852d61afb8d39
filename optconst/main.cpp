#include "console/console.hpp"
#include "optconst/dialogue.hpp"

int main() { return console::run(optconst::main_routine); }
