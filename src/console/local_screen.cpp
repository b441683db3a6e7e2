#include "console/local_screen.h"

#include <algorithm>
#include <array>
#include <new>
#include <utility>
#include <vector>

#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"

namespace console {
namespace {

// What the outermost open saved of the host's screen.
struct LocalScreenState {
    int32_t Depth = 0;
    TermScreenRingState Ring;
    uint8_t ScreenColumns = 80;
    std::array<int32_t, 4> Margins{};
    bool ScrollOn = true;
    uint8_t AutoWrap = 0;
};
LocalScreenState local;

struct SavedArea {
    CellRect Rect;
    int32_t Width = 0;
    std::vector<uint32_t> Cells;
};
std::vector<SavedArea> savedAreas;

}  // namespace

void OpenLocalScreen(int32_t minBytes) {
    auto& l = ConsoleLayer;
    EndDirectWrite();
    // A display drawn while another is open draws on the same private ring;
    // the count makes the inner close leave it in place.
    if (local.Depth > 0) {
        ++local.Depth;
        return;
    }
    local.Depth = 1;
    local.ScreenColumns = ScreenColumnsSetting();
    local.Margins = {l.TopMargin, l.BottomMargin, l.LeftMargin, l.RightMargin};
    local.ScrollOn = l.ScrollOn;
    local.AutoWrap = Neighbours.AutoWrapOff();
    local.Ring = std::move(TermScreenRing);

    const int32_t width = std::clamp(l.ScreenWidth, 1, 255);
    SetScreenColumnsSetting(static_cast<uint8_t>(width));
    l.TopMargin = 1;
    l.BottomMargin = l.ScreenRows;
    l.LeftMargin = 1;
    l.RightMargin = width;
    l.StatusMode = false;
    l.ScrollOn = true;

    const int64_t screenBytes = static_cast<int64_t>(width) * std::max(l.LastRow, 1) * 4;
    // A caller's size never asks for more than a generous scroll-back.
    constexpr int64_t kMaxLocalBytes = int64_t{64} << 20;
    const int64_t bytes =
        std::max<int64_t>(std::clamp<int64_t>(minBytes, 0, kMaxLocalBytes), screenBytes);
    auto& r = TermScreenRing;
    r = TermScreenRingState{};
    r.Width = width;
    r.LineCount = static_cast<int32_t>(bytes / width / 4);
    r.BufferBytes = r.LineCount * width * 4;
    r.Cells.assign(static_cast<size_t>(r.LineCount) * width, BlankCell());
    r.Flags.assign(static_cast<size_t>(r.LineCount) * width, 0);
    r.TopLine = 0;
    r.ViewLeftColumn = 0;
    r.ViewRightLimit = width + 1;
}

void CloseLocalScreen() {
    if (local.Depth == 0) return;
    if (--local.Depth > 0) return;
    auto& l = ConsoleLayer;
    EndDirectWrite();
    TermScreenRing = std::move(local.Ring);
    local.Ring = TermScreenRingState{};
    SetScreenColumnsSetting(local.ScreenColumns);
    l.TopMargin = local.Margins[0];
    l.BottomMargin = local.Margins[1];
    l.LeftMargin = local.Margins[2];
    l.RightMargin = local.Margins[3];
    l.ScrollOn = local.ScrollOn;
    Neighbours.RestoreAutoWrap(local.AutoWrap);
    RedrawScreen();
}

bool LocalScreenActive() {
    return local.Depth > 0;
}

int32_t LocalScreenSavedColumns() {
    return local.Depth > 0 ? local.ScreenColumns : 0;
}

void ResetLocalScreen() {
    local = LocalScreenState{};
    savedAreas.clear();
}

bool PushScreenRect(const CellRect& rect) {
    SavedArea area;
    area.Rect.Left = std::max(rect.Left, 1);
    area.Rect.Right = std::min(rect.Right, Columns());
    area.Rect.Top = std::max(rect.Top, 1);
    area.Rect.Bottom = std::min(rect.Bottom, ConsoleLayer.LastRow);
    const bool any = area.Rect.Left <= area.Rect.Right && area.Rect.Top <= area.Rect.Bottom &&
                     TermScreenRingUsable();
    try {
        if (any) {
            area.Width = area.Rect.Right - area.Rect.Left + 1;
            area.Cells.resize(static_cast<size_t>(area.Width) *
                              static_cast<size_t>(area.Rect.Bottom - area.Rect.Top + 1));
            for (int32_t row = area.Rect.Top; row <= area.Rect.Bottom; ++row)
                ReadCells(row, area.Rect.Left, area.Width,
                          area.Cells.data() + static_cast<size_t>(row - area.Rect.Top) *
                                                  static_cast<size_t>(area.Width));
        }
        savedAreas.push_back(std::move(area));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void PopScreenRect() {
    if (savedAreas.empty()) return;
    const SavedArea area = std::move(savedAreas.back());
    savedAreas.pop_back();
    if (area.Width > 0 && TermScreenRingUsable())
        for (int32_t row = area.Rect.Top; row <= area.Rect.Bottom; ++row)
            WriteCells(row, area.Rect.Left, area.Width,
                       area.Cells.data() + static_cast<size_t>(row - area.Rect.Top) *
                                               static_cast<size_t>(area.Width));
    if (!ConsoleLayer.DirectWrite) RedrawScreen();
}

size_t SavedScreenRectCount() {
    return savedAreas.size();
}

}  // namespace console
