#pragma once
// A console window that exists and draws nothing, so the byte path runs to
// the cells without a display; and the start of a terminal on it, shared by
// the byte-path fuzzer and benchmark.
#include <cstdint>

#include "app/host_input_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/console_window_port.h"
#include "console/screen_buffer.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/operations/screen_pages.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

class HeadlessWindow final : public platform::ConsoleWindowPort {
  public:
    bool EnsureWindow() override { return true; }
    bool WindowExists() override { return true; }
    void RemoveSelection() override {}
    void InvalidateCells(int32_t, int32_t, int32_t, int32_t) override {}
    void InvalidateWindow() override {}
    void UpdateWindow() override {}
    void ScrollCellPixels(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override {}
    void DrawRowNow(int32_t, int32_t, int32_t) override {}
    void CursorMoved() override {}
    void TrackCursorView() override {}
    void ResetScrollBars() override {}
    void ScreenSizeChanged(int32_t, int32_t) override {}
    void MessageBeep(uint32_t) override {}
    void Tone(uint32_t, uint32_t) override {}
};

// Everything the byte path touches back to its start, the window and ring in
// place and the receive loop on a fixed tick. Waiting output lets the console
// defer scrolling and the caret, as it does in the program.
inline void StartHeadlessTerminal(platform::ConsoleWindowPort& window, int32_t (*ticks)()) {
    using namespace emulation;
    commands::ResetSettingsToDefaults();
    commands::ResetInterpreter();
    console::ResetConsoleSettings();
    console::ResetConsoleLayer();
    console::ResetConsoleScreen();
    console::SetScreenWindow(&window);
    console::AllocTermScreenRing(100 * 80 * 4, 80);
    connections::ResetCommLayer();
    ResetEmulatorState();
    ResetScreenOperations();
    ResetScreenPages();
    ResetRecogniser();
    ResetTermExecutor();
    ResetReceiveLoop();
    InstallTermOperations();
    UseHostRecogniserSource();
    app::ConnectEmulatorToHost();
    ReceiveLoop.Hooks.Ticks = ticks;
    console::ConsoleLayer.Hooks.CommInputReady = [](int32_t count) {
        return count >= 0 && connections::CommInputReady(static_cast<uint32_t>(count));
    };
}
