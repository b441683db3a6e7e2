// Arbitrary host bytes through the receive loop, the recogniser, the executor
// and the console primitives, for every terminal type: the first byte picks
// the type, the second a few settings that change the path. Each input runs
// on the fast path and on the plain one, which must agree.
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/idle_refresh.h"
#include "console/screen_buffer.h"
#include "emulation/receive_loop.h"
#include "emulation/parser/recogniser.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/types/term_types.h"
#include "headless_window.h"

namespace {

HeadlessWindow Window;
int32_t FixedTick() { return 1; }

// One run over the input on the fast path or on the plain reference path.
void Run(const uint8_t* data, size_t size, bool fast) {
    using namespace emulation;
    StartHeadlessTerminal(Window, FixedTick);
    SetTerminalType(TermTypeTable[data[0] % kTermTypeCount].Name, (data[0] & 0x80) != 0);
    const uint8_t options = data[1];
    commands::Settings.IgnoreNul = options & 1;
    if (options & 2) {
        commands::Settings.CodePage.Set(0x40000);
        EmulatorState.GR = commands::kGSetCodePage;
    }
    EmulatorState.WrapStyle = (options >> 2) % 3;
    ReceiveLoop.C1AsText = (options & 0x10) != 0;
    TermExecutor.QuietLine = (options & 0x20) != 0;
    ReceiveLoop.InsertMode = (options & 0x40) != 0;
    // A Telnet line, where IAC and CR NUL are the connection's, or a line
    // that carries every byte as data.
    connections::connectionLayer.settings.CommMethod =
        (options & 0x80) ? connections::CommMethodTelnet : connections::CommMethodSerial;

    app::ReceiveHostBytes(std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2),
                          fast);
    // The program's idle pass once the burst has ended: a caret held back
    // while output waited is placed here on either path.
    console::StatusIdleUpdate();
    SetRecogniserSource(nullptr);
    console::SetScreenWindow(nullptr);
}

// The window's cells row by row, whatever row its storage starts at.
void WindowCells(std::vector<uint32_t>& out) {
    const int32_t cols = console::ConsoleScreen.Cols;
    const int32_t rows = console::ConsoleScreen.Rows;
    out.assign(static_cast<size_t>(cols) * static_cast<size_t>(rows), 0);
    for (int32_t r = 1; r <= rows; ++r)
        console::ReadWindowCells(r, 1, cols, out.data() + static_cast<size_t>(r - 1) * static_cast<size_t>(cols));
}

}  // namespace

// The fast path must leave the same screen as the plain one: ring cells and
// their flags, the window's cells and the cursor.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    Run(data, size, true);
    static std::vector<uint32_t> fastCells;
    static std::vector<uint8_t> fastFlags;
    static std::vector<uint32_t> fastWindow;
    fastCells = console::TermScreenRing.Cells;
    fastFlags = console::TermScreenRing.Flags;
    WindowCells(fastWindow);
    const int32_t row = console::ConsoleLayer.CursorRow;
    const int32_t col = console::ConsoleLayer.CursorCol;
    Run(data, size, false);
    if (fastCells != console::TermScreenRing.Cells || fastFlags != console::TermScreenRing.Flags ||
        row != console::ConsoleLayer.CursorRow || col != console::ConsoleLayer.CursorCol)
        __builtin_trap();
    static std::vector<uint32_t> plainWindow;
    WindowCells(plainWindow);
    if (fastWindow != plainWindow) __builtin_trap();
    return 0;
}
