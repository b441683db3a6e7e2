#pragma once
// Up to eight independent screen pages, each with its own ring (and so its
// own scroll-back), cursor, renditions, character-set invocation, tab stops,
// colours, column mode and terminal type; the copies and attribute changes
// of rectangles that may reach between pages; the title line.

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "console/console_primitives.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/types/emulator_state.h"

namespace emulation {

inline constexpr int32_t kScreenPageCount = 8;

// The saved state of a page that is not on the screen.
struct ScreenPageRec {
    bool Used = false;
    int32_t CursorCol = 1;
    int32_t CursorRow = 1;
    std::string TerminalType;
    console::TermScreenRingState Ring;
    bool Wide132 = false;
    std::array<uint8_t, 250> TabStops{};
    int32_t AttrSelection = 0;
    console::CellAttribute AttrWord = 0;
    uint16_t TermOptions = 0;
    std::array<console::CellAttribute, 16> ColorMap{};
    EmulatorStateData Executor;
    bool OriginMode = false;
    int32_t TopMargin = 1;
    int32_t BottomMargin = 1;
    uint8_t AttributeMode = 0;
    std::string Title;
};

struct ScreenPagesState {
    std::array<ScreenPageRec, kScreenPageCount> Pages;
    int32_t CurrentPage = 0;
    // Set by the first switch: the status row shows the page from then on.
    bool PagesInUse = false;
    // The status row's title: the program banner, three blanks, the version.
    std::string TitleLine;
    // The host's title of the current page.
    std::string Title;
};
extern ScreenPagesState ScreenPages;
// Every page unused and page 0 current; the live ring is left as it is.
void ResetScreenPages();

// Makes page n (0-7; others are ignored) current: the current page's state
// is saved, page n's restored, or a blank page of the same ring size made.
// A new page that cannot be allocated leaves the current page in place.
void SwitchScreenPage(int32_t n);

// The cell of a page at a screen row and column (both clamped to the page):
// the live ring for the current page and for a page never saved, the page's
// own ring otherwise; nullptr for a page number outside 0-7.
uint32_t* PageCellAddress(int32_t page, int32_t row, int32_t column);

// The rectangle operations of the host (parameters as the executor collects
// them; coordinates and page numbers clamped to the screen and 0-7).
void CopyRectangle(const TermOpParams& p);
void ChangeRectAttributes(const TermOpParams& p, bool reverse);

// The title line: the program banner, three blanks and the version text.
void BuildTitleLine();

std::span<const TermOpBinding> ScreenPageOperationBindings();
void RegisterScreenPageOperations();

}  // namespace emulation
