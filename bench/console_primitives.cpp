// Cells written per second through the console primitives: full-screen writes, short
// runs, and writing while the screen scrolls.
#include "console/console_primitives.h"

#include <benchmark/benchmark.h>

#include <string>

#include "console/console_settings.h"
#include "console/screen_buffer.h"

namespace {

using namespace console;

void SetUpConsole(uint16_t jumpScroll) {
    ResetConsoleSettings();
    ResetConsoleLayer();
    ResetConsoleScreen();
    SetScreenWindow(nullptr);
    SetJumpScrollSetting(jumpScroll);
    AllocTermScreenRing(500 * 80 * 4, 80);
}

std::string Line(int salt) {
    std::string line(80, ' ');
    for (int i = 0; i < 80; ++i) line[i] = static_cast<char>(' ' + (i * 7 + salt) % 95);
    return line;
}

void BM_FullScreenWrite(benchmark::State& state) {
    SetUpConsole(100);
    const std::string line = Line(3);
    for (auto _ : state) {
        for (int32_t row = 1; row <= 24; ++row) {
            GotoRowCol(row, 1);
            WriteScreenStr(line, 1252);
        }
    }
    state.SetItemsProcessed(state.iterations() * 24 * 80);
}
BENCHMARK(BM_FullScreenWrite);

// Runs of 8 bytes, as text broken up by escape sequences arrives.
void BM_ShortRuns(benchmark::State& state) {
    SetUpConsole(100);
    const std::string run = "abcdefgh";
    for (auto _ : state) {
        for (int32_t row = 1; row <= 24; ++row) {
            GotoRowCol(row, 1);
            for (int k = 0; k < 10; ++k) WriteScreenStr(run, 1252);
        }
    }
    state.SetItemsProcessed(state.iterations() * 24 * 80);
}
BENCHMARK(BM_ShortRuns);

// One line per iteration at the bottom of the screen, then CR LF: the screen scrolls
// into the scroll-back (jump scroll 100 repaints every 25 lines, 0 scrolls each line).
void BM_ScrollingWrite(benchmark::State& state) {
    SetUpConsole(static_cast<uint16_t>(state.range(0)));
    const std::string line = Line(5);
    GotoRowCol(24, 1);
    for (auto _ : state) {
        WriteScreenStr(line, 1252);
        WriteCharCtl(13);
        WriteCharCtl(10);
    }
    state.SetItemsProcessed(state.iterations() * 80);
}
BENCHMARK(BM_ScrollingWrite)->Arg(100)->Arg(0);

}  // namespace
