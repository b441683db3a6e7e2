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
    t.DecomposeChar = [](char16_t ch) { return std::u16string(1, ch); };
    t.AutoWrapOff = []() -> uint8_t { return 0; };
    t.RestoreAutoWrap = [](uint8_t) {};
    return t;
}

ConsoleNeighbourTable Neighbours = NullConsoleNeighbours();

}  // namespace console
