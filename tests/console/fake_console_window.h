#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/console_window_port.h"
#include "console/screen_buffer.h"

namespace console_test {

// Records what the screen buffer tells the window.
class FakeConsoleWindow final : public platform::ConsoleWindowPort {
  public:
    struct Rect {
        int32_t Col1, Col2, Row1, Row2;
        bool operator==(const Rect&) const = default;
    };
    struct Scroll {
        int32_t Left, Right, Top, Bottom, Dx, Dy;
        bool operator==(const Scroll&) const = default;
    };

    bool Exists = true;
    std::vector<Rect> Invalidated;
    std::vector<Rect> DrawnNow;  // Row1 == Row2 == the row
    std::vector<Scroll> Scrolls;
    std::vector<std::pair<int32_t, int32_t>> SizeReports;
    std::vector<uint32_t> Beeps;
    std::vector<std::pair<uint32_t, uint32_t>> Tones;
    int WholeInvalidations = 0;
    int Updates = 0;
    int CursorMoves = 0;
    int ViewTracks = 0;
    int ScrollBarResets = 0;
    int SelectionRemovals = 0;

    void Clear() { *this = FakeConsoleWindow{}; }

    bool EnsureWindow() override { return Exists; }
    bool WindowExists() override { return Exists; }
    void RemoveSelection() override { ++SelectionRemovals; }
    void InvalidateCells(int32_t c1, int32_t c2, int32_t r1, int32_t r2) override {
        Invalidated.push_back({c1, c2, r1, r2});
    }
    void InvalidateWindow() override { ++WholeInvalidations; }
    void UpdateWindow() override { ++Updates; }
    void ScrollCellPixels(int32_t l, int32_t r, int32_t t, int32_t b, int32_t dx,
                          int32_t dy) override {
        Scrolls.push_back({l, r, t, b, dx, dy});
    }
    void DrawRowNow(int32_t row, int32_t c1, int32_t c2) override {
        DrawnNow.push_back({c1, c2, row, row});
    }
    void CursorMoved() override { ++CursorMoves; }
    void TrackCursorView() override { ++ViewTracks; }
    void ResetScrollBars() override { ++ScrollBarResets; }
    void ScreenSizeChanged(int32_t cols, int32_t textRows) override {
        SizeReports.emplace_back(cols, textRows);
    }
    void MessageBeep(uint32_t type) override { Beeps.push_back(type); }
    void Tone(uint32_t hz, uint32_t ms) override { Tones.emplace_back(hz, ms); }
};

// Window row (0-based) as text, one char per cell (non-ASCII cells show as '#').
inline std::string WindowRow(int32_t row) {
    std::string s;
    for (int32_t c = 0; c < console::ConsoleScreen.Cols; ++c) {
        char16_t ch = *console::ScreenCharRow(c, row);
        s.push_back(ch < 0x80 ? static_cast<char>(ch) : '#');
    }
    return s;
}

inline console::CellAttribute WindowAttr(int32_t col, int32_t row) {
    return *console::ScreenAttrRow(col, row);
}

// Text row (1-based) of the ring, as text.
inline std::string RingRow(int32_t row) {
    std::string s;
    const auto& ring = console::TermScreenRing;
    for (int32_t c = 1; c <= ring.Width; ++c) {
        char16_t ch = console::CellChar(ring.Cells[console::CellIndex(row, c)]);
        s.push_back(ch < 0x80 ? static_cast<char>(ch) : '#');
    }
    return s;
}

inline uint32_t RingCell(int32_t row, int32_t col) {
    return console::TermScreenRing.Cells[console::CellIndex(row, col)];
}

inline uint8_t RingFlags(int32_t row, int32_t col) {
    return console::TermScreenRing.Flags[console::CellIndex(row, col)];
}

// 80 x 25 window (24 text rows and a status row) over a ring of 100 lines of 80 cells.
inline void ResetConsoleForTest(FakeConsoleWindow& window, int32_t ringLines = 100) {
    console::ResetConsoleSettings();
    console::ResetConsoleLayer();
    console::ResetConsoleScreen();
    console::SetScreenWindow(&window);
    console::AllocTermScreenRing(ringLines * 80 * 4, 80);
    window.Clear();
}

}  // namespace console_test
