#include "console/console.hpp"
#include "ellcalc/dialogue.hpp"

int main() { return console::run(ellcalc::main_routine); }
