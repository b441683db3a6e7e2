#pragma once
// The screen font's sizes and the window's layout around the cells, decided
// without the platform: the table of sizes a face offers, the FONT command's
// words, the cell size a font's metrics give, the margins when the window is
// fitted, resized or maximised, and the largest font that fits a maximised
// window. The platform makes and measures fonts through a FontMeasure.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace console {

struct FontSize {
    int32_t Height = 0;
    int32_t Width = 0;
    bool operator==(const FontSize&) const = default;
};

inline constexpr int32_t kMaxFontSizes = 21;
// Sorted by height, then width, without duplicates.
struct FontSizeTableState {
    int32_t Count = 0;
    std::array<FontSize, kMaxFontSizes> Entries{};
    std::span<const FontSize> View() const { return {Entries.data(), static_cast<size_t>(Count)}; }
};
extern FontSizeTableState FontSizeTable;

// Inserts a size at its sorted place unless it is there; false when the table is full.
bool InsertFontSize(FontSizeTableState& table, int32_t height, int32_t width);

// What a made font measures.
struct FontMetrics {
    int32_t Height = 0;
    int32_t ExternalLeading = 0;
    int32_t AveCharWidth = 0;
    int32_t Ascent = 0;
};
// Makes a font of the face at (height, width) and measures it; false when none can be made.
using FontMeasure = std::function<bool(int32_t height, int32_t width, FontMetrics& metrics)>;

// A scalable face's sizes: heights 4 to 80 at the face's own width, each kept
// unless its text height repeats the last one's; at most kMaxFontSizes.
void BuildScalableSizes(FontSizeTableState& table, const FontMeasure& measure);

// What the FONT command's words ask for.
struct FontRequest {
    int32_t Height = 0;
    int32_t Width = 0;
    bool Bold = false;
    std::string Face;  // empty: the face stays
};
// Applies up to three words (a size "H" or "HxW", "LARGER", "SMALLER", "BOLD", a
// face) in order from the current size; false for a size that does not parse,
// with request holding what the words before it set.
bool ApplyFontWords(const FontSizeTableState& table, bool trueType, int32_t cellWidth,
                    int32_t fontHeight, std::span<const std::string> words, FontRequest& request);

// Longest face name the font API takes, in characters.
inline constexpr size_t kMaxFaceNameChars = 31;
std::u16string CutFaceName(std::u16string_view face);

// The cell a font's metrics give: never 0 wide or high.
struct CellSize {
    int32_t CellWidth = 1;
    int32_t CellHeight = 1;
    int32_t FontHeight = 1;
    int32_t LineHeight = 1;
};
CellSize MeasureCell(const FontMetrics& metrics, bool maximised, int32_t zoomCellHeight);

// The margin on each side of cells in a room: the frame's size, or half the
// leftover when the room holds the cells but not both frame margins.
int32_t CentredMargin(int32_t room, int32_t cells, int32_t frame);

// The window fitted around cols x rows cells in a work area.
struct FitPlan {
    int32_t LeftPad = 0;
    int32_t VerticalPad = 0;
    int32_t ClientWidth = 0;
    int32_t ClientHeight = 0;
};
FitPlan PlanFitWindow(int32_t cols, int32_t rows, const CellSize& cell, int32_t frameX,
                      int32_t frameY, int32_t areaWidth, int32_t areaHeight);

// Whole cells visible in a client area and how far the view can move.
struct VisibleCells {
    int32_t Cols = 0;
    int32_t Rows = 0;
    int32_t MaxViewCol = 0;
    int32_t MaxViewRow = 0;
};
VisibleCells CountVisibleCells(int32_t width, int32_t height, int32_t leftPad, int32_t verticalPad,
                               const CellSize& cell, int32_t cols, int32_t rows);

// The largest font whose cells fit fitWidth x fitHeight, from (height, width)
// down: only the height drops while the width fits, else both (a width of 0, the
// face's own, stays 0). Ends at height 0; false when no font fitted.
struct FittedFont {
    int32_t Height = 0;
    int32_t Width = 0;
    FontMetrics Metrics;
};
bool FitFontToCells(int32_t fitWidth, int32_t fitHeight, int32_t height, int32_t width,
                    int32_t zoomCellHeight, const FontMeasure& measure, FittedFont& fitted);

// The largest raster size not larger than fitWidth x fitHeight; the table's
// first entry when none is.
FontSize LargestSizeWithin(const FontSizeTableState& table, int32_t fitWidth, int32_t fitHeight);

// The FONT command's way to the window's font: the window side fills the entry.
struct ScreenFontChange {
    int32_t Height = 0;  // the cell size the new font gives
    int32_t Width = 0;
    bool Bold = false;
};
struct ScreenFontHooks {
    bool (*SetTerminalFont)(const std::string& word1, const std::string& word2,
                            const std::string& word3, ScreenFontChange& change) = nullptr;
};
extern ScreenFontHooks ScreenFontPort;
// The words applied to the window's font; false when they do not parse, no font
// could be made, or there is no window side.
bool SetScreenFont(const std::string& word1, const std::string& word2, const std::string& word3,
                   ScreenFontChange& change);

}  // namespace console
