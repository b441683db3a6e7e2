#pragma once
// A console window that exists and draws nothing, so the byte path runs to
// the cells without a display.
#include "console/console_window_port.h"

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
