#pragma once
// What the console reaches of the units above it, as the program fills it.
#include "console/console_neighbours.h"

namespace app {

console::ConsoleNeighbourTable ProgramConsoleNeighbours();
// Installs those as console::Neighbours and points the console layer's
// wait-for-output hook at the connection.
void ComposeConsole();

}  // namespace app
