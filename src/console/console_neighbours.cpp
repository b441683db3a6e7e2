#include "console/console_neighbours.h"

namespace console {

ConsoleNeighbourTable NullConsoleNeighbours() {
    ConsoleNeighbourTable t{};
    t.SgrDialect = []() -> uint8_t { return 0; };
    t.MacroExists = [](uint16_t) { return false; };
    t.MessageBox = [](std::string_view) { return 0; };
    t.EndSession = []() {};
    t.ResumeSession = []() {};
    t.SessionRunning = []() { return true; };
    t.DdeClientShutdown = []() {};
    t.UpdateMenuState = []() {};
    return t;
}

ConsoleNeighbourTable Neighbours = NullConsoleNeighbours();

}  // namespace console
