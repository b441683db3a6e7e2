#include "emulation/operations/screen_geometry.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "console/console_settings.h"
#include "console/screen_buffer.h"

namespace emulation {
namespace {

using console::ConsoleLayer;
using console::TermScreenRing;

bool ReadNumber(std::string_view text, int32_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The window took its new size: the console layer's rows and columns follow,
// the ring takes the new width, rows the screen gained are blank.
void ResizeScreen(int32_t columns, int32_t textRows) {
    auto& l = ConsoleLayer;
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    const int32_t selection = l.AttrSelection;
    const int32_t oldRows = l.ScreenRows;
    const int32_t statusRows = std::clamp(l.LastRow - l.ScreenRows, 0, 1);
    l.ScreenRows = textRows;
    l.LastRow = textRows + statusRows;
    l.StatusRow = l.LastRow;
    l.ScreenWidth = columns;
    if (TermScreenRing.Width != columns) SetScreenColumns(columns);
    console::SetScreenColumnsSetting(static_cast<uint8_t>(columns));
    // Ring lines below the old screen hold the oldest scroll-back.
    if (textRows > oldRows)
        console::FillCellRect({1, columns, oldRows + 1, textRows},
                              console::MakeCell(u' ', l.AttrColorMap[0]));
    l.BottomMargin = std::clamp(l.BottomMargin, 1, textRows);
    l.TopMargin = std::clamp(l.TopMargin, 1, l.BottomMargin);
    l.RightMargin = std::clamp(l.RightMargin, 1, columns);
    l.LeftMargin = std::clamp(l.LeftMargin, 1, l.RightMargin);
    TermScreenRing.ViewLeftColumn = 0;
    TermScreenRing.ViewRightLimit = columns + 1;
    console::RedrawScreen();
    l.AttrSelection = selection;
    console::GotoRowCol(std::min(row, textRows), std::min(col, columns));
}

}  // namespace

bool SetScreenGeometry(std::string_view text) {
    std::string t(text.substr(0, 80));
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto& l = ConsoleLayer;
    int32_t columns = 0;
    int32_t rows = l.ScreenRows;
    if (t == "80" || t == "132") {
        columns = t == "80" ? 80 : 132;
    } else {
        const size_t x = t.find('X');
        if (x == std::string::npos || !ReadNumber(std::string_view(t).substr(0, x), columns) ||
            !ReadNumber(std::string_view(t).substr(x + 1), rows))
            return false;
    }
    const int32_t statusRows = std::clamp(l.LastRow - l.ScreenRows, 0, 1);
    if (columns < 80 || columns > console::kMaxScreenCols || rows < 1 ||
        rows + statusRows > console::kMaxScreenRows)
        return false;
    // The ring must hold every row of the screen in the new width.
    if (TermScreenRing.BufferBytes / 4 / columns < rows + statusRows) return false;

    console::SetScreenSize(columns, rows + statusRows);
    const auto& window = console::ConsoleScreen;
    if (window.Cols != columns || window.Rows != rows + statusRows) return false;
    ResizeScreen(columns, rows);
    return true;
}

void SetScreenColumns(int32_t n) {
    auto& ring = TermScreenRing;
    n = std::clamp(n, 1, console::kMaxScreenCols);
    if (!console::TermScreenRingUsable() || ring.Width == n) {
        console::SetScreenColumnsSetting(static_cast<uint8_t>(n));
        return;
    }
    const std::vector<uint32_t> oldCells = ring.Cells;
    const std::vector<uint8_t> oldFlags = ring.Flags;
    const int32_t oldWidth = ring.Width;
    const int32_t oldLines = ring.LineCount;
    const int32_t screenRows = std::clamp(ConsoleLayer.ScreenRows, 1, oldLines);
    const int32_t lastLine = (ring.TopLine + screenRows - 1) % oldLines;
    if (!console::AllocTermScreenRing(ring.BufferBytes, n)) return;
    console::SetScreenColumnsSetting(static_cast<uint8_t>(n));

    const int32_t keep = std::min(ring.LineCount, oldLines);
    const int32_t copy = std::min(oldWidth, n);
    for (int32_t k = 0; k < keep; ++k) {
        const int32_t from = ((lastLine - keep + 1 + k) % oldLines + oldLines) % oldLines;
        const size_t src = static_cast<size_t>(from) * oldWidth;
        const size_t dst = static_cast<size_t>(k) * n;
        std::memcpy(ring.Cells.data() + dst, oldCells.data() + src, sizeof(uint32_t) * copy);
        std::memcpy(ring.Flags.data() + dst, oldFlags.data() + src, static_cast<size_t>(copy));
    }
    ring.TopLine = std::max(keep - screenRows, 0);
    console::RedrawScreen();
}

bool DrawFrameBox(const console::CellRect& r) {
    if (r.Left == 0 || r.Right == 0 || r.Top == 0 || r.Bottom == 0 || r.Left >= r.Right ||
        r.Top >= r.Bottom)
        return false;
    auto& l = ConsoleLayer;
    // Corners and lines of code page 437: top-left, horizontal, top-right,
    // vertical, bottom-left, bottom-right.
    constexpr uint8_t kFrame[6] = {0xDA, 0xC4, 0xBF, 0xB3, 0xC0, 0xD9};
    const int32_t selection = l.AttrSelection;
    l.AttrSelection = l.SavedAttrSelection == console::kSelectionInherit ? 0 : l.SavedAttrSelection;
    const bool rightEdge = r.Right <= l.ScreenWidth;
    auto edgeRow = [&](int32_t row, uint8_t left, uint8_t right) {
        std::string line(1, static_cast<char>(left));
        line.append(static_cast<size_t>(r.Right - r.Left - 1), static_cast<char>(kFrame[1]));
        if (rightEdge) line.push_back(static_cast<char>(right));
        console::GotoRowCol(row, r.Left);
        console::WriteScreenStr(line, 437);
    };
    const char vertical = static_cast<char>(kFrame[3]);
    edgeRow(r.Top, kFrame[0], kFrame[2]);
    for (int32_t row = r.Top + 1; row <= std::min(l.ScreenRows, r.Bottom - 1); ++row) {
        console::GotoRowCol(row, r.Left);
        console::WriteScreenStr(std::string_view(&vertical, 1), 437);
        if (rightEdge) {
            console::GotoRowCol(row, r.Right);
            console::WriteScreenStr(std::string_view(&vertical, 1), 437);
        }
    }
    if (r.Bottom <= l.ScreenRows) edgeRow(r.Bottom, kFrame[4], kFrame[5]);
    l.AttrSelection = selection;
    return true;
}

}  // namespace emulation
