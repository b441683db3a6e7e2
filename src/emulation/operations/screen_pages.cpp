#include "emulation/operations/screen_pages.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "commands/settings_record.h"
#include "console/globals.h"
#include "console/screen_buffer.h"
#include "console/status_line.h"
#include "console/terminal_window.h"
#include "emulation/operations/field_and_reset_operations.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/screen_geometry.h"
#include "emulation/operations/tab_stops.h"
#include "emulation/receive_loop.h"
#include "emulation/types/family_tables.h"
#include "emulation/types/term_types.h"

namespace emulation {

ScreenPagesState ScreenPages;

namespace {

using console::ConsoleLayer;
using console::TermScreenRing;

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, lo, std::max(lo, hi)));
}

// The column mode of the screen, as the page switch sets it.
void SetColumnMode(bool wide) {
    ScreenOperations.Hooks.SetScreenGeometry(wide ? "132" : "80");
}

void SavePage(ScreenPageRec& page) {
    const auto& l = ConsoleLayer;
    page.Used = true;
    page.CursorCol = l.CursorCol;
    page.CursorRow = l.CursorRow;
    page.TerminalType = commands::Settings.TerminalType.Str();
    page.Wide132 = l.ScreenWidth > 80;
    page.Ring = std::move(TermScreenRing);
    TermScreenRing = console::TermScreenRingState{};
    std::copy(commands::Settings.TabStops.begin(), commands::Settings.TabStops.end(),
              page.TabStops.begin());
    page.AttrSelection = l.AttrSelection;
    page.AttrWord = l.DirectAttr;
    page.TermOptions = commands::Settings.TermOptions3432.Get();
    page.ColorMap = l.AttrColorMap;
    page.Executor = EmulatorState;
    page.OriginMode = ScreenOperations.OriginMode;
    page.TopMargin = l.TopMargin;
    page.BottomMargin = l.BottomMargin;
    page.AttributeMode = console::ConsoleScreen.AttributeMode;
    page.Title = ScreenPages.Title;
}

// The page's colours, when the settings keep a set for it.
void StoreColours(int32_t n) {
    const auto& map = ConsoleLayer.AttrColorMap;
    for (size_t i = 0; i < 16; ++i)
        commands::Settings.PageAttrColors[static_cast<size_t>(n) * 16 + i].Set(map[i]);
}
bool LoadColours(int32_t n) {
    auto& colours = commands::Settings.PageAttrColors;
    if (colours[static_cast<size_t>(n) * 16].Get() == 0) return false;
    for (size_t i = 0; i < 16; ++i)
        ConsoleLayer.AttrColorMap[i] = colours[static_cast<size_t>(n) * 16 + i].Get();
    return true;
}

void RestorePage(ScreenPageRec& page) {
    auto& l = ConsoleLayer;
    if (page.TerminalType != commands::Settings.TerminalType.View()) {
        commands::Settings.TerminalType.Assign(page.TerminalType);
        SetTerminalType(page.TerminalType, false);
    }
    TermScreenRing = std::move(page.Ring);
    page.Ring = console::TermScreenRingState{};
    console::SetScreenColumnsSetting(static_cast<uint8_t>(std::min(TermScreenRing.Width, 255)));
    std::copy(page.TabStops.begin(), page.TabStops.end(), commands::Settings.TabStops.begin());
    if (page.Wide132 != (l.ScreenWidth > 80)) SetColumnMode(page.Wide132);
    l.AttrSelection = page.AttrSelection;
    l.DirectAttr = page.AttrWord;
    commands::Settings.TermOptions3432.Set(page.TermOptions);
    l.AttrColorMap = page.ColorMap;
    EmulatorState = page.Executor;
    ScreenOperations.OriginMode = page.OriginMode;
    l.BottomMargin = Clamp(page.BottomMargin, 1, l.ScreenRows);
    l.TopMargin = Clamp(page.TopMargin, 1, l.BottomMargin);
    console::SetAttributeMode(page.AttributeMode);
    ScreenPages.Title = page.Title;
    console::GotoRowCol(Clamp(page.CursorRow, 1, l.ScreenRows),
                        Clamp(page.CursorCol, 1, l.ScreenWidth));
}

// A fresh page: a blank ring of the same size in 80 columns.
bool NewPage(int32_t n, int32_t bytes) {
    auto& l = ConsoleLayer;
    if (!console::AllocTermScreenRing(bytes, 80)) return false;
    console::SetScreenColumnsSetting(80);
    LoadColours(n);
    if (l.ScreenWidth != 80) SetColumnMode(false);
    if (EmulatorState.CurrentTermFamily != nullptr &&
        EmulatorState.CurrentTermFamily->TabStyle == kTabsNone) {
        commands::Settings.TabStops.fill(0);
    }
    ScreenPages.Title.clear();
    l.TopMargin = 1;
    l.BottomMargin = l.ScreenRows;
    console::GotoRowCol(1, 1);
    return true;
}

// Reads from a page's saved ring: the screen row's ring line from its top.
uint32_t* SavedPageCell(ScreenPageRec& page, int32_t row, int32_t column) {
    auto& ring = page.Ring;
    if (ring.LineCount <= 0 || ring.Width <= 0 || ring.Cells.empty()) return nullptr;
    const int32_t rows = std::min(ConsoleLayer.ScreenRows, ring.LineCount);
    row = Clamp(row, 1, rows);
    column = Clamp(column, 1, ring.Width);
    const int64_t line = (static_cast<int64_t>(ring.TopLine) + row - 1) % ring.LineCount;
    return ring.Cells.data() + line * ring.Width + column - 1;
}

int32_t PageParam(int32_t value) {
    return Clamp(value, 0, kScreenPageCount - 1);
}

// The byte before the final byte of the running sequence.
uint8_t ByteBeforeFinalByte() {
    const std::string_view text = ScreenOperations.Hooks.SequenceText();
    return text.size() >= 2 ? static_cast<uint8_t>(text[text.size() - 2]) : 0;
}

void SelectPageOp(TermOp op, const TermOpParams& p) {
    auto& pages = ScreenPages;
    switch (op) {
        case OpSelectPage:
            if (p[0] >= 0 && p[0] < kScreenPageCount) SwitchScreenPage(p[0]);
            break;
        case OpNextPage:
            SwitchScreenPage((pages.CurrentPage + 1) % kScreenPageCount);
            break;
        case OpPreviousPage:
            SwitchScreenPage((pages.CurrentPage + kScreenPageCount - 1) % kScreenPageCount);
            break;
        case OpSelectPageAndPosition: {
            // The page byte arrives less 31; the page is its digit.
            const int64_t page = static_cast<int64_t>(p[0]) + 31 - '0';
            if (page >= 0 && page < kScreenPageCount) SwitchScreenPage(static_cast<int32_t>(page));
            console::GotoRowCol(Clamp(p[1], 1, ConsoleLayer.ScreenRows),
                                Clamp(p[2], 1, ConsoleLayer.ScreenWidth));
            break;
        }
        default:
            if (op >= OpSelectPage0 && op <= OpSelectPage7) SwitchScreenPage(op - OpSelectPage0);
            break;
    }
}

void CopyRectangleOp(TermOp, const TermOpParams& p) {
    if (ByteBeforeFinalByte() == '$') CopyRectangle(p);
}

void ChangeRectAttributesOp(TermOp, const TermOpParams& p) {
    if (ByteBeforeFinalByte() == '$') ChangeRectAttributes(p, false);
}

constexpr TermOpBinding kBindings[] = {
    {OpSelectPage, SelectPageOp},   {OpSelectPage0, SelectPageOp},
    {OpSelectPage1, SelectPageOp},  {OpSelectPage2, SelectPageOp},
    {OpSelectPage3, SelectPageOp},  {OpSelectPage4, SelectPageOp},
    {OpSelectPage5, SelectPageOp},  {OpSelectPage6, SelectPageOp},
    {OpSelectPage7, SelectPageOp},  {OpNextPage, SelectPageOp},
    {OpPreviousPage, SelectPageOp}, {OpSelectPageAndPosition, SelectPageOp},
    {OpCsiV, CopyRectangleOp},      {OpCsiR, ChangeRectAttributesOp},
};

}  // namespace

void ResetScreenPages() {
    ScreenPages = ScreenPagesState{};
}

void SwitchScreenPage(int32_t n) {
    auto& pages = ScreenPages;
    if (n < 0 || n >= kScreenPageCount) return;
    ReceiveLoop.StatusLineDirty = true;
    pages.PagesInUse = true;
    console::StatusLine.PageIndicatorOn = true;
    console::StatusLine.CurrentPage = n;
    if (n == pages.CurrentPage) return;
    const int32_t current = pages.CurrentPage;
    const int32_t bytes = TermScreenRing.BufferBytes;
    ScreenPageRec& from = pages.Pages[static_cast<size_t>(current)];
    ScreenPageRec& to = pages.Pages[static_cast<size_t>(n)];
    SavePage(from);
    StoreColours(current);
    if (to.Used) {
        RestorePage(to);
        to.Used = false;
    } else if (!NewPage(n, bytes)) {
        RestorePage(from);
        from.Used = false;
        return;
    }
    pages.CurrentPage = n;
    console::RedrawScreen();
}

uint32_t* PageCellAddress(int32_t page, int32_t row, int32_t column) {
    if (page < 0 || page >= kScreenPageCount) return nullptr;
    ScreenPageRec& rec = ScreenPages.Pages[static_cast<size_t>(page)];
    // The current page lives in the ring, whatever an older record says.
    if (page == ScreenPages.CurrentPage || !rec.Used) {
        if (!console::TermScreenRingUsable()) return nullptr;
        const int32_t index = console::CellIndex(Clamp(row, 1, ConsoleLayer.ScreenRows),
                                                 Clamp(column, 1, TermScreenRing.Width));
        return TermScreenRing.Cells.data() + index;
    }
    return SavedPageCell(rec, row, column);
}

void CopyRectangle(const TermOpParams& p) {
    const auto& l = ConsoleLayer;
    const int32_t columns = std::max(console::Columns(), 1);
    const int32_t rows = std::max(l.ScreenRows, 1);
    // A missing bottom or right edge is the screen's.
    int32_t right = p[3] <= 0 ? columns : Clamp(p[3], 1, columns);
    int32_t left = Clamp(p[1], 0, columns + 1);
    const int32_t hostLeft = std::max(left, 1);
    if (left < 1 || left > right) left = 1;
    int32_t width = right - left + 1;
    int32_t destLeft = p[6];
    if (destLeft < 1 || destLeft > columns) destLeft = 1;
    width = std::min(width, columns - destLeft + 1);

    int32_t bottom = p[2] <= 0 ? rows : Clamp(p[2], 1, rows);
    int32_t top = p[0];
    if (top < 1 || top > bottom) top = 1;
    int32_t destTop = p[5];
    if (destTop < 1 || destTop > rows) destTop = 1;
    bottom = std::min(bottom, top + rows - destTop);
    const int32_t height = bottom - top + 1;
    if (width <= 0 || height <= 0) return;

    const int32_t sourcePage = PageParam(p[4]);
    const int32_t destPage = PageParam(p[7]);
    // Through a copy, so that overlapping areas come out as they were.
    std::vector<uint32_t> cells(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c) {
            const uint32_t* cell = PageCellAddress(sourcePage, top + r, hostLeft + c);
            cells[static_cast<size_t>(r) * width + c] = cell != nullptr ? *cell : 0;
        }
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c) {
            uint32_t* cell = PageCellAddress(destPage, destTop + r, destLeft + c);
            if (cell != nullptr) *cell = cells[static_cast<size_t>(r) * width + c];
        }
    console::RedrawScreen();
}

void ChangeRectAttributes(const TermOpParams& p, bool reverse) {
    const auto& l = ConsoleLayer;
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    const int32_t width = std::max(l.ScreenWidth, 1);
    const int32_t top = Clamp(p[0], 1, l.ScreenRows);
    const int32_t left = Clamp(p[1], 1, width);
    const int32_t bottom = p[2] <= 0 ? l.ScreenRows : Clamp(p[2], 0, l.ScreenRows);
    const int32_t right = p[3] <= 0 ? width : Clamp(p[3], 1, width);
    uint8_t bits = 0;
    for (size_t i = 4; i < 10; ++i) {
        switch (p[i]) {
            case 1:
                bits |= 1;
                break;
            case 4:
                bits |= 8;
                break;
            case 5:
                bits |= 2;
                break;
            case 7:
                bits |= 4;
                break;
            default:
                break;
        }
    }
    const auto& map = l.AttrColorMap;
    std::vector<uint32_t> cells(static_cast<size_t>(width));
    for (int32_t r = top; r <= bottom; ++r) {
        int32_t from = left;
        int32_t to = right;
        if (EmulatorState.StreamExtent) {
            if (r > top) from = 1;
            if (r < bottom) to = width;
        }
        if (to < from) continue;
        const int32_t count = to - from + 1;
        const int32_t got = console::ReadCells(r, from, count, cells.data());
        for (int32_t i = 0; i < got; ++i) {
            uint32_t& cell = cells[static_cast<size_t>(i)];
            if (console::CellChar(cell) == u' ') continue;
            if (!reverse) {
                cell = console::MakeCell(console::CellChar(cell), map[bits]);
                continue;
            }
            const console::CellAttribute attr = console::CellAttr(cell);
            for (int e = 15; e >= 0; --e) {
                if (map[static_cast<size_t>(e)] != attr) continue;
                cell =
                    console::MakeCell(console::CellChar(cell), map[static_cast<size_t>(e ^ bits)]);
                break;
            }
        }
        console::WriteCells(r, from, got, cells.data());
    }
    console::RedrawScreen();
    console::GotoRowCol(row, col);
}

void BuildTitleLine() {
    console::BuildTitleText();
    ScreenPages.TitleLine = console::StatusLine.TitleText;
}

std::span<const TermOpBinding> ScreenPageOperationBindings() {
    return kBindings;
}

void RegisterScreenPageOperations() {
    for (const TermOpBinding& binding : kBindings) RegisterTermOp(binding.Op, binding.Handler);
}

}  // namespace emulation
