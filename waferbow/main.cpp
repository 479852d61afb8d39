#include "console/console.hpp"
#include "waferbow/dialogue.hpp"

int main() { return console::run(waferbow::main_routine); }
