#include "emulation/input/screen_menu.h"

#include <algorithm>
#include <array>

#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/text/charsets.h"
#include "emulation/text/utf8.h"

namespace emulation {
namespace {

using console::ConsoleLayer;

constexpr uint16_t kTab = 9;
constexpr uint16_t kEnter = 13;
constexpr uint16_t kEsc = 27;
constexpr uint16_t kShiftTab = 271;
constexpr uint16_t kHome = 327;
constexpr uint16_t kUp = 328;
constexpr uint16_t kPgUp = 329;
constexpr uint16_t kLeft = 331;
constexpr uint16_t kRight = 333;
constexpr uint16_t kEnd = 335;
constexpr uint16_t kDown = 336;
constexpr uint16_t kPgDn = 337;
constexpr uint16_t kFromMacro = 0x8000;

class Menu {
  public:
    explicit Menu(const ScreenMenuLayout& l) : l_(l) {
        span_ = l.Right - l.Left;
        rows_ = l.Bottom - l.Top + 1;
        columns_ = std::max(l.Columns, 1);
        width_ = std::max(l.ItemWidth, 1);
    }

    bool Fits() const {
        return l_.Left >= 1 && l_.Left <= l_.Right && l_.Top >= 1 && l_.Top <= l_.Bottom &&
               ItemLeft(columns_ - 1) <= ConsoleLayer.ScreenWidth;
    }

    std::string Run() {
        for (int32_t c = 0; c < columns_; ++c)
            for (int32_t r = 0; r < rows_; ++r) Paint(c, r, false);
        // The first item in reading order, column by column.
        if (Blank(column_, row_)) Step(+1);
        std::string choice;
        for (bool done = false; !done;) {
            Paint(column_, row_, true);
            console::GotoRowCol(l_.Top + row_, std::min(ItemLeft(column_), console::Columns()));
            const auto key = static_cast<uint16_t>(GetKey(true, false) & ~kFromMacro);
            Paint(column_, row_, false);
            switch (key) {
                case kUp:
                    Step(-1);
                    break;
                case kDown:
                    Step(+1);
                    break;
                case kLeft:
                case kShiftTab:
                    ToColumn((column_ + columns_ - 1) % columns_);
                    break;
                case kRight:
                case kTab:
                    ToColumn((column_ + 1) % columns_);
                    break;
                case kHome:
                    column_ = 0;
                    row_ = 0;
                    if (Blank(column_, row_)) Step(+1);
                    break;
                case kEnd:
                    column_ = columns_ - 1;
                    row_ = rows_ - 1;
                    if (Blank(column_, row_)) Step(-1);
                    break;
                case kPgUp:
                case kPgDn:
                    if (l_.PageKeysReturn) {
                        choice = key == kPgUp ? "\x01I" : "\x01Q";
                        done = true;
                    } else {
                        const int32_t from = row_;
                        row_ = key == kPgUp ? 0 : rows_ - 1;
                        if (Blank(column_, row_)) Step(key == kPgUp ? +1 : -1, true);
                        if (Blank(column_, row_)) row_ = from;
                    }
                    break;
                case kEnter:
                    choice = ItemText(column_, row_);
                    done = true;
                    break;
                case kEsc:
                    choice = "\x1b";
                    done = true;
                    break;
                default:
                    if (key >= 32 && key <= 255) {
                        // Typed ahead: the keyboard takes the character next.
                        Keyboard.KeyRing.Put(key);
                        done = true;
                    }
                    break;
            }
        }
        for (int32_t c = 0; c < columns_; ++c)
            for (int32_t r = 0; r < rows_; ++r) Restore(c, r);
        if (choice.size() > static_cast<size_t>(std::max(l_.ChoiceCapacity, 0)))
            choice.resize(static_cast<size_t>(std::max(l_.ChoiceCapacity, 0)));
        return choice;
    }

  private:
    int32_t ItemLeft(int32_t column) const {
        return l_.Left + column * span_ + std::max(l_.ItemOffset, 0);
    }
    // The item's cells on the screen: [first, last] ring columns.
    bool ItemCells(int32_t column, int32_t& first, int32_t& last) const {
        first = ItemLeft(column);
        last = std::min(first + width_ - 1, console::Columns());
        return first <= last;
    }

    std::u16string Chars(int32_t column, int32_t row) const {
        int32_t first = 0, last = 0;
        std::u16string text;
        if (!ItemCells(column, first, last)) return text;
        std::array<uint32_t, console::kMaxScreenCols + 1> cells{};
        const int32_t n =
            console::ReadCells(l_.Top + row, first, std::min(last - first + 1, 255), cells.data());
        for (int32_t i = 0; i < n; ++i) {
            const char16_t ch = console::CellChar(cells[static_cast<size_t>(i)]);
            if (ch != console::kFillerChar) text.push_back(ch == 0 ? u' ' : ch);
        }
        return text;
    }

    bool Blank(int32_t column, int32_t row) const {
        const std::u16string text = Chars(column, row);
        return std::all_of(text.begin(), text.end(), [](char16_t ch) { return ch == u' '; });
    }

    std::string ItemText(int32_t column, int32_t row) const {
        std::u16string text = Chars(column, row);
        text.erase(0, std::min(text.find_first_not_of(u' '), text.size()));
        return Utf8ToAnsi(WideToUtf8(text));
    }

    // To the next (+1) or previous (-1) item that is not blank, into the
    // next or previous column past the column's end unless withinColumn.
    void Step(int32_t direction, bool withinColumn = false) {
        int32_t c = column_;
        int32_t r = row_;
        for (int32_t tries = 0; tries < columns_ * rows_; ++tries) {
            r += direction;
            if (r >= rows_ || r < 0) {
                if (withinColumn) return;
                c = (c + (r < 0 ? columns_ - 1 : 1)) % columns_;
                r = r < 0 ? rows_ - 1 : 0;
            }
            if (!Blank(c, r)) {
                column_ = c;
                row_ = r;
                return;
            }
        }
    }

    // Another column at the same row, or its nearest item below, else above.
    void ToColumn(int32_t column) {
        for (int32_t d = 0; d < rows_; ++d) {
            for (int32_t r : {row_ + d, row_ - d}) {
                if (r < 0 || r >= rows_ || Blank(column, r)) continue;
                column_ = column;
                row_ = r;
                return;
            }
        }
    }

    // The window's cells of an item in the menu's colour or its reverse.
    void Paint(int32_t column, int32_t row, bool highlight) const {
        int32_t first = 0, last = 0;
        if (!ItemCells(column, first, last)) return;
        const int32_t view = console::TermScreenRing.ViewLeftColumn;
        const console::CellAttribute normal = console::CurrentAttr();
        console::SetCellAttrs(l_.Top + row - 1, first - 1 - view, last - 1 - view,
                              highlight ? ReverseAttr(normal) : normal, false);
    }

    // The window's cells of an item as the ring holds them.
    void Restore(int32_t column, int32_t row) const {
        int32_t first = 0, last = 0;
        if (!ItemCells(column, first, last)) return;
        std::array<uint32_t, console::kMaxScreenCols + 1> cells{};
        const int32_t n =
            console::ReadCells(l_.Top + row, first, std::min(last - first + 1, 255), cells.data());
        const int32_t wcol = first - 1 - console::TermScreenRing.ViewLeftColumn;
        if (wcol >= 0 && n > 0)
            console::PutCells(cells.data(), wcol, l_.Top + row - 1,
                              std::min(n, console::ConsoleScreen.Cols - wcol));
    }

    const ScreenMenuLayout& l_;
    int32_t span_ = 0;
    int32_t rows_ = 1;
    int32_t columns_ = 1;
    int32_t width_ = 1;
    int32_t column_ = 0;
    int32_t row_ = 0;
};

}  // namespace

bool ScreenMenuSelect(const ScreenMenuLayout& layout, std::string& choice) {
    choice.clear();
    Menu menu(layout);
    if (!menu.Fits()) return false;
    const int32_t selection = ConsoleLayer.AttrSelection;
    choice = menu.Run();
    ConsoleLayer.AttrSelection = selection;
    return true;
}

}  // namespace emulation
