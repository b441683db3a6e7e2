#include "console/glyphs/screen_font_model.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace console {

FontSizeTableState FontSizeTable;
ScreenFontHooks ScreenFontPort;

namespace {

constexpr int32_t kSmallestScaledHeight = 4;
constexpr int32_t kLargestScaledHeight = 80;
// The sizes are kept in bytes.
constexpr int32_t kLargestFontNumber = 255;

bool ParseSize(std::string_view word, int32_t& height, int32_t& width) {
    size_t x = word.find('X');
    std::string_view h = word.substr(0, x);
    std::string_view w = x == std::string_view::npos ? std::string_view{} : word.substr(x + 1);
    if (w.find('X') != std::string_view::npos) return false;
    auto number = [](std::string_view text, int32_t& value) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        return ec == std::errc{} && end == text.data() + text.size() && value >= 0 &&
               value <= kLargestFontNumber;
    };
    int32_t hv = 0;
    int32_t wv = 0;
    if (!number(h, hv)) return false;
    if (x != std::string_view::npos && !number(w, wv)) return false;
    height = hv;
    width = wv;
    return true;
}

}  // namespace

bool InsertFontSize(FontSizeTableState& table, int32_t height, int32_t width) {
    FontSize size{height, width};
    auto begin = table.Entries.begin();
    auto end = begin + table.Count;
    auto at = std::lower_bound(begin, end, size, [](const FontSize& a, const FontSize& b) {
        return a.Height != b.Height ? a.Height < b.Height : a.Width < b.Width;
    });
    if (at != end && *at == size) return true;
    if (table.Count >= kMaxFontSizes) return false;
    std::move_backward(at, end, end + 1);
    *at = size;
    ++table.Count;
    return true;
}

void BuildScalableSizes(FontSizeTableState& table, const FontMeasure& measure) {
    table.Count = 0;
    for (int32_t h = kSmallestScaledHeight;
         h <= kLargestScaledHeight && table.Count < kMaxFontSizes; ++h) {
        FontMetrics m;
        if (!measure(h, 0, m) || m.Height <= 0) continue;
        if (table.Count > 0 && table.Entries[table.Count - 1].Height == m.Height) continue;
        table.Entries[table.Count++] = {m.Height, m.AveCharWidth};
    }
}

bool ApplyFontWords(const FontSizeTableState& table, bool trueType, int32_t cellWidth,
                    int32_t fontHeight, std::span<const std::string> words, FontRequest& request) {
    const auto sizes = table.View();
    int32_t index = table.Count;
    for (int32_t i = 0; i < table.Count; ++i) {
        bool match = trueType ? sizes[i].Height >= fontHeight
                              : sizes[i].Width == cellWidth && sizes[i].Height == fontHeight;
        if (match) {
            index = i;
            break;
        }
    }
    request = FontRequest{fontHeight, cellWidth, false, {}};
    auto takeEntry = [&](int32_t i) {
        index = i;
        request.Height = sizes[i].Height;
        request.Width = sizes[i].Width;
    };
    for (const std::string& original : words) {
        if (original.empty()) continue;
        std::string word = original;
        for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (std::isdigit(static_cast<unsigned char>(word[0]))) {
            if (!ParseSize(word, request.Height, request.Width)) return false;
        } else if (word == "LARGER") {
            if (table.Count > 0) takeEntry(std::min(index + 1, table.Count - 1));
        } else if (word == "SMALLER") {
            if (table.Count > 0)
                takeEntry(index >= table.Count ? table.Count - 1 : std::max(index - 1, 0));
        } else if (word == "BOLD") {
            request.Bold = true;
        } else {
            request.Face = word;
        }
    }
    return true;
}

std::u16string CutFaceName(std::u16string_view face) {
    face = face.substr(0, std::min(face.size(), kMaxFaceNameChars));
    // A surrogate pair is not split.
    if (face.size() == kMaxFaceNameChars && face.back() >= 0xD800 && face.back() <= 0xDBFF)
        face.remove_suffix(1);
    return std::u16string(face);
}

CellSize MeasureCell(const FontMetrics& metrics, bool maximised, int32_t zoomCellHeight) {
    CellSize cell;
    cell.CellWidth = std::max(metrics.AveCharWidth, 1);
    cell.FontHeight = std::max(metrics.Height, 1);
    cell.LineHeight = std::max(metrics.Height + std::max(metrics.ExternalLeading, 0), 1);
    cell.CellHeight = maximised ? std::max(cell.LineHeight, zoomCellHeight) : cell.FontHeight;
    cell.CellHeight = std::max(cell.CellHeight, 1);
    return cell;
}

int32_t CentredMargin(int32_t room, int32_t cells, int32_t frame) {
    if (room >= cells && room < cells + 2 * frame) return (room - cells) / 2;
    return frame;
}

FitPlan PlanFitWindow(int32_t cols, int32_t rows, const CellSize& cell, int32_t frameX,
                      int32_t frameY, int32_t areaWidth, int32_t areaHeight) {
    FitPlan plan;
    int64_t cellsWidth = int64_t{cols} * std::max(cell.CellWidth, 1);
    int64_t cellsHeight = int64_t{rows} * std::max(cell.CellHeight, 1);
    plan.LeftPad = frameX;
    plan.VerticalPad = frameY;
    if (cellsWidth + 2 * plan.LeftPad > areaWidth && cellsWidth <= areaWidth) plan.LeftPad = 0;
    if (cellsHeight + 2 * plan.VerticalPad > areaHeight && cellsHeight <= areaHeight)
        plan.VerticalPad = 0;
    plan.ClientWidth =
        static_cast<int32_t>(std::min<int64_t>(cellsWidth + 2 * plan.LeftPad, INT32_MAX));
    plan.ClientHeight =
        static_cast<int32_t>(std::min<int64_t>(cellsHeight + 2 * plan.VerticalPad, INT32_MAX));
    return plan;
}

VisibleCells CountVisibleCells(int32_t width, int32_t height, int32_t leftPad, int32_t verticalPad,
                               const CellSize& cell, int32_t cols, int32_t rows) {
    VisibleCells v;
    v.Cols = std::max(0, (width - 2 * leftPad) / std::max(cell.CellWidth, 1));
    v.Rows = std::max(0, (height - 2 * verticalPad) / std::max(cell.CellHeight, 1));
    v.MaxViewCol = std::max(0, cols - v.Cols);
    v.MaxViewRow = std::max(0, rows - v.Rows);
    return v;
}

bool FitFontToCells(int32_t fitWidth, int32_t fitHeight, int32_t height, int32_t width,
                    int32_t zoomCellHeight, const FontMeasure& measure, FittedFont& fitted) {
    height = std::min(height, kLargestFontNumber);
    width = std::clamp(width, 0, kLargestFontNumber);
    while (height > 0) {
        FontMetrics m;
        if (measure(height, width, m)) {
            CellSize cell = MeasureCell(m, true, zoomCellHeight);
            bool widthFits = cell.CellWidth <= fitWidth;
            if (widthFits && cell.CellHeight <= fitHeight) {
                fitted = {height, width, m};
                return true;
            }
            bool onlyHeight = (widthFits && cell.FontHeight < cell.LineHeight) ||
                              cell.CellHeight == fitHeight + 1 || width == 0;
            if (!onlyHeight) width = std::max(width - 1, 1);
        }
        --height;
    }
    return false;
}

FontSize LargestSizeWithin(const FontSizeTableState& table, int32_t fitWidth, int32_t fitHeight) {
    FontSize best = table.Count > 0 ? table.Entries[0] : FontSize{};
    for (const FontSize& s : table.View())
        if (s.Width <= fitWidth && s.Height <= fitHeight) best = s;
    return best;
}

bool SetScreenFont(const std::string& word1, const std::string& word2, const std::string& word3,
                   ScreenFontChange& change) {
    return ScreenFontPort.SetTerminalFont &&
           ScreenFontPort.SetTerminalFont(word1, word2, word3, change);
}

}  // namespace console
