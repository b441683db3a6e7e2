#include "emulation/input/line_editor.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/key_names.h"
#include "console/messages.h"
#include "console/screen_review.h"
#include "emulation/input/macros.h"
#include "emulation/text/charsets.h"
#include "emulation/text/composition.h"
#include "emulation/text/utf8.h"
#include "ui/message_box.h"

namespace emulation {
namespace {

using commands::Settings;
using console::ConsoleLayer;

constexpr uint16_t kBackspaceChar = 8;
constexpr uint16_t kEnterChar = 13;
constexpr uint16_t kCtrlP = 16;
constexpr uint16_t kEscChar = 27;
constexpr uint16_t kKeyBackspace = 264;
constexpr uint16_t kKeyF1 = 315;
constexpr uint16_t kKeyF6 = 320;
constexpr uint16_t kKeyF7 = 321;
constexpr uint16_t kKeyHome = 327;
constexpr uint16_t kKeyUp = 328;
constexpr uint16_t kKeyPgUp = 329;
constexpr uint16_t kKeyLeft = 331;
constexpr uint16_t kKeyRight = 333;
constexpr uint16_t kKeyEnd = 335;
constexpr uint16_t kKeyDown = 336;
constexpr uint16_t kKeyPgDn = 337;
constexpr uint16_t kKeyIns = 338;
constexpr uint16_t kKeyDel = 339;
constexpr uint16_t kKeyAltH = 291;
constexpr uint16_t kMessageInvalidFunction = 607;
constexpr uint16_t kFromMacro = 0x8000;
constexpr std::string_view kDefinePrefix = "DEFINE ";
constexpr std::string_view kRectanglePrompt =
    "Use arrows to move corners, F7 to swap corners, ESC, or RETURN";
constexpr int32_t kRectanglePromptColumn = 11;
// Columns before the field's right edge that text never takes.
constexpr int32_t kRightReserve = 4;
// Command lines opened inside each other with F6; deeper, F6 is ignored, so
// a macro full of F6 keys cannot exhaust the stack.
constexpr int kMaxNestedLines = 8;
int nestedLines = 0;

bool IsDefineLine(std::string_view text) {
    if (text.size() < kDefinePrefix.size()) return false;
    for (size_t i = 0; i < kDefinePrefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != kDefinePrefix[i]) return false;
    }
    return true;
}

// One thing the text holds at a byte position, as it is stepped over and shown.
struct Unit {
    enum class Kind : uint8_t { Token, Control, Ascii, Wide };
    Kind What = Kind::Ascii;
    size_t Length = 1;
    uint16_t Key = 0;  // Token and Control: the key code its name shows
    char16_t Ch = 0;   // Ascii and Wide: the character
    std::u16string Name() const {
        std::u16string name = console::KeyCodeToName(Key);
        return name.empty() ? std::u16string(u"?") : name;
    }
    int32_t Cells() const {
        switch (What) {
            case Kind::Token:
            case Kind::Control:
                return static_cast<int32_t>(Name().size());
            case Kind::Wide:
                return console::NeedsFillerCell(Ch) ? 2 : 1;
            case Kind::Ascii:
                break;
        }
        return 1;
    }
};

Unit UnitAt(std::string_view text, size_t i) {
    Unit u;
    const auto b = static_cast<uint8_t>(text[i]);
    if (b == 0 && i + 1 < text.size()) {
        u.What = Unit::Kind::Token;
        u.Length = 2;
        u.Key = static_cast<uint16_t>(256 + static_cast<uint8_t>(text[i + 1]));
    } else if (b < 32 || b == 127) {
        u.What = Unit::Kind::Control;
        u.Key = b;
    } else if (b < 128) {
        u.Ch = b;
    } else {
        const Utf8Step step =
            DecodeUtf8(reinterpret_cast<const uint8_t*>(text.data() + i), text.size() - i);
        u.What = Unit::Kind::Wide;
        u.Length = std::max<size_t>(1, step.length);
        u.Ch = step.status == Utf8Status::Char && step.codePoint <= 0xFFFF
                   ? static_cast<char16_t>(step.codePoint)
                   : char16_t{0xFFFD};
    }
    return u;
}

std::string Utf8Of(char16_t ch) {
    std::string out;
    AppendUtf8(ch, out);
    return out;
}

// Restores the setting that lets the window's accelerators take keys.
class AcceleratorsOff {
  public:
    AcceleratorsOff() : saved_(Settings.AllowAccelerators) { Settings.AllowAccelerators = 0; }
    ~AcceleratorsOff() { Settings.AllowAccelerators = saved_; }
    AcceleratorsOff(const AcceleratorsOff&) = delete;
    AcceleratorsOff& operator=(const AcceleratorsOff&) = delete;

  private:
    uint8_t saved_;
};

class Editor {
  public:
    Editor(bool useMacro, bool escapeReturns, int32_t rightColumn)
        : useMacro_(useMacro), escapeReturns_(escapeReturns) {
        row_ = ConsoleLayer.CursorRow;
        start_ = std::max<int32_t>(1, ConsoleLayer.CursorCol);
        right_ = std::max(start_, std::min(rightColumn, ConsoleLayer.ScreenWidth));
        limit_ = std::max(right_ - kRightReserve, start_ + 1);
    }

    EditedLine Run() {
        Redraw();
        bool literal = false;
        for (;;) {
            const KeyChar k = GetKeyChar(useMacro_, false);
            uint16_t code = k.Code;
            bool isChar = k.IsChar;
            if (!isChar && console::SameKeyAnyShift(kKeyF6, code) && text_.empty()) continue;
            if (!literal && isChar && code == kCtrlP) {
                literal = true;
                continue;
            }
            const bool wasLiteral = literal;
            literal = false;
            if (!wasLiteral && isChar && code == kEscChar && escapeReturns_)
                return {std::string(1, '\x1b'), 0};
            if (!isChar) {
                code = static_cast<uint16_t>(console::NormalizeKeyCode(code));
                if (code <= 0x7E && !TextIsDefinePrefix()) isChar = true;
            }
            // A single byte of a definition that is not UTF-8: a character
            // of the ANSI code page.
            if (!isChar && code >= 0x80 && code <= 0xFF) {
                const std::u16string wide = AnsiToWide(std::string(1, static_cast<char>(code)));
                code = wide.empty() ? u'?' : wide[0];
                isChar = true;
            }
            if (isChar && code >= 32) {
                TypeCharacter(static_cast<char16_t>(code));
            } else if (!wasLiteral && !isChar && console::SameKeyAnyShift(kKeyF6, code)) {
                if (!RunNestedCommand()) return {};
            } else if (!wasLiteral && !isChar && code == kKeyAltH) {
                commands::ExecuteFunction("HELP INDEX");
            } else if (!wasLiteral && isChar && code == kEnterChar) {
                return {text_, DefineKey()};
            } else if (wasLiteral || TextIsDefinePrefix() || !EditingKey(code, isChar)) {
                std::string unit;
                if (isChar || code < 256) {
                    unit.assign(1, static_cast<char>(code));
                } else {
                    unit.assign(1, '\0');
                    unit.push_back(static_cast<char>(code - 256));
                }
                Put(unit);
            }
            Redraw();
        }
    }

  private:
    // The text is exactly "DEFINE ": the next key names the key to define,
    // so keys stay keys.
    bool TextIsDefinePrefix() const {
        return text_.size() == kDefinePrefix.size() && IsDefineLine(text_);
    }

    uint16_t DefineKey() const {
        if (!IsDefineLine(text_) || text_.size() <= kDefinePrefix.size()) return 0;
        const Unit u = UnitAt(text_, kDefinePrefix.size());
        switch (u.What) {
            case Unit::Kind::Token:
            case Unit::Kind::Control:
                return u.Key;
            case Unit::Kind::Ascii:
                return u.Ch;
            case Unit::Kind::Wide:
                break;
        }
        // A character beyond the single-byte keys is named by its lead byte,
        // as the definition command reads it.
        return u.Ch <= 0xFF ? u.Ch : static_cast<uint8_t>(text_[kDefinePrefix.size()]);
    }

    size_t Next(size_t i) const { return std::min(text_.size(), i + UnitAt(text_, i).Length); }
    size_t Previous(size_t i) const {
        size_t at = 0;
        for (size_t j = 0; j < i;) {
            at = j;
            j = Next(j);
        }
        return at;
    }

    // Inserts (insert mode, inside the text) or writes over the unit at the
    // edit position, and moves past it.
    void Put(const std::string& unit) {
        if (Settings.InsertMode == 0 && pos_ < text_.size()) text_.erase(pos_, Next(pos_) - pos_);
        text_.insert(pos_, unit);
        pos_ += unit.size();
    }

    void TypeCharacter(char16_t ch) {
        if (ch == u'?' && pos_ == text_.size() && text_.size() == kDefinePrefix.size() + 2 &&
            IsDefineLine(text_) && text_[kDefinePrefix.size()] == '\0') {
            // The key's definition on request, after the key.
            const auto key =
                static_cast<uint16_t>(256 + static_cast<uint8_t>(text_[kDefinePrefix.size() + 1]));
            text_ += ' ';
            if (MacroExists(key)) text_ += GetMacroText(key);
            pos_ = text_.size();
            return;
        }
        if (pos_ > 0 && IsCombiningMark(ch)) {
            const size_t before = Previous(pos_);
            const Unit base = UnitAt(text_, before);
            if (base.What == Unit::Kind::Ascii || base.What == Unit::Kind::Wide) {
                const char16_t pair[2] = {base.Ch, ch};
                const char16_t composed = ComposeChars(std::u16string_view(pair, 2), false);
                if (composed != kNoComposition && composed != 0) {
                    const std::string bytes = Utf8Of(composed);
                    text_.replace(before, pos_ - before, bytes);
                    pos_ = before + bytes.size();
                    return;
                }
            }
        }
        Put(Utf8Of(ch));
    }

    // The editing keys; false for any other key.
    bool EditingKey(uint16_t code, bool isChar) {
        if ((isChar && code == kBackspaceChar) || (!isChar && code == kKeyBackspace)) {
            if (pos_ > 0) {
                const size_t before = Previous(pos_);
                text_.erase(before, pos_ - before);
                pos_ = before;
            }
            return true;
        }
        if (isChar) return false;
        switch (code) {
            case kKeyDel:
                if (pos_ < text_.size()) text_.erase(pos_, Next(pos_) - pos_);
                return true;
            case kKeyF1:
                text_.erase(pos_);
                return true;
            case kKeyHome:
                pos_ = 0;
                return true;
            case kKeyEnd:
                pos_ = text_.size();
                return true;
            case kKeyIns:
                Settings.InsertMode = Settings.InsertMode == 0 ? 1 : 0;
                return true;
            case kKeyRight:
                if (pos_ < text_.size()) pos_ = Next(pos_);
                return true;
            case kKeyLeft:
                if (pos_ > 0) pos_ = Previous(pos_);
                return true;
            case kKeyF7:
                PickRectangle();
                return true;
            default:
                return false;
        }
    }

    void PickRectangle() {
        console::GotoRowCol(row_, kRectanglePromptColumn);
        console::WriteWideAttr(Utf8ToWide(kRectanglePrompt), Attr(4));
        const std::string picked = SelectRectangleByKeys(useMacro_);
        console::GotoRowCol(row_, start_);
        if (picked.empty()) return;
        const bool blankBefore = pos_ == 0 || text_[Previous(pos_)] == ' ';
        const std::string insert = (blankBefore ? "" : " ") + picked;
        text_.insert(pos_, insert);
        pos_ += insert.size();
    }

    // F6: a command read and run in the line; its reply joins the text.
    // False when the error key's macro took over, which ends the edit.
    bool RunNestedCommand() {
        if (nestedLines >= kMaxNestedLines) return true;
        ++nestedLines;
        const EditedLine nested = EditLine(useMacro_, escapeReturns_, right_);
        --nestedLines;
        const std::string line = nested.Text == "\x1b" ? std::string() : nested.Text;
        auto& in = commands::Interpreter;
        const commands::FunctionStatus status = commands::ExecuteFunction(line, nested.DefineKey);
        if (status == commands::FunctionErrorKeyStarted) return false;
        if (!in.FunctionSucceeded) {
            ui::LangMessageBoxShort(console::GetMessageText(kMessageInvalidFunction, true));
        } else {
            text_ += in.FunctionReply.View();
            text_ += WideToUtf8(in.PendingSendText);
            in.FunctionReply = "";
            in.PendingSendText.clear();
            pos_ = text_.size();
        }
        return true;
    }

    static uint8_t Attr(int entry) {
        return static_cast<uint8_t>(ConsoleLayer.AttrColorMap[static_cast<size_t>(entry)]);
    }

    int32_t WidthBetween(size_t from, size_t to) const {
        int32_t cells = 0;
        for (size_t i = from; i < to; i = Next(i)) cells += UnitAt(text_, i).Cells();
        return cells;
    }

    // Keeps the edit position inside the field: the shown part of the text
    // moves by five columns when the cursor would pass the field, and back
    // so that the cursor stands near the right when it nears the start with
    // text hidden before it.
    void KeepInField() {
        first_ = std::min(first_, pos_);
        while (start_ + WidthBetween(first_, pos_) > limit_ && first_ < pos_) {
            int32_t moved = 0;
            while (moved < 5 && first_ < pos_) {
                moved += UnitAt(text_, first_).Cells();
                first_ = Next(first_);
            }
        }
        if (first_ > 0 && WidthBetween(first_, pos_) < 5) {
            const int32_t target = std::max(right_ - 7, start_);
            while (first_ > 0 && start_ + WidthBetween(Previous(first_), pos_) <= target)
                first_ = Previous(first_);
        }
    }

    void Redraw() {
        KeepInField();
        const uint8_t plain = Attr(4);
        const uint8_t named = Attr(5);
        int32_t col = start_;
        for (size_t i = first_; i < text_.size();) {
            const Unit u = UnitAt(text_, i);
            const int32_t cells = u.Cells();
            if (col + cells > limit_) break;
            console::GotoRowCol(row_, col);
            switch (u.What) {
                case Unit::Kind::Token:
                case Unit::Kind::Control:
                    console::WriteWideAttr(u.Name(), named);
                    break;
                case Unit::Kind::Ascii:
                    console::WriteWideAttr(std::u16string(1, u.Ch), plain);
                    break;
                case Unit::Kind::Wide:
                    console::WriteWideCharAttr(u.Ch, plain);
                    break;
            }
            col += cells;
            i += u.Length;
        }
        const int32_t cursor = start_ + WidthBetween(first_, pos_);
        if (col <= right_) {
            console::GotoRowCol(row_, col);
            console::WriteWideAttr(std::u16string(static_cast<size_t>(right_ - col + 1), u' '),
                                   plain);
        }
        const int32_t width = ConsoleLayer.ScreenWidth;
        if (right_ >= width && width >= 3) {
            console::GotoRowCol(row_, width - 2);
            console::WriteWideAttr(Settings.InsertMode != 0 ? u"INS" : u"   ", plain);
        }
        console::GotoRowCol(row_, std::min(cursor, limit_));
    }

    bool useMacro_;
    bool escapeReturns_;
    int32_t row_ = 1;
    int32_t start_ = 1;
    int32_t right_ = 1;
    int32_t limit_ = 1;
    std::string text_;
    size_t pos_ = 0;    // the edit position, a byte index
    size_t first_ = 0;  // the first byte shown at the start column
};

// The picked rectangle shown in the window only: the ring keeps the cells,
// so a row is put back from it.
struct Rect {
    int32_t Left = 0, Right = 0, Top = 0, Bottom = 0;
};

void ShowRows(const Rect& r, bool highlight) {
    const auto& ring = console::TermScreenRing;
    const int32_t view = ring.ViewLeftColumn;
    const int32_t width = ConsoleLayer.ScreenWidth;
    const int32_t left = std::max(r.Left, view + 1);
    const int32_t right = std::min(r.Right, view + width);
    if (left > right) return;
    const auto attr = static_cast<console::CellAttribute>(ConsoleLayer.AttrColorMap[4]);
    std::array<uint32_t, console::kMaxScreenCols + 1> cells{};
    for (int32_t row = r.Top; row <= r.Bottom; ++row) {
        if (highlight) {
            console::SetCellAttrs(row - 1, left - 1 - view, right - 1 - view, attr, false);
        } else {
            const int32_t n = std::min<int32_t>(right - left + 1, console::kMaxScreenCols);
            console::ReadCells(row, left, n, cells.data());
            console::PutCells(cells.data(), left - 1 - view, row - 1, n);
        }
    }
}

}  // namespace

EditedLine EditLine(bool useMacro, bool escapeReturns, int32_t rightColumn) {
    AcceleratorsOff accelerators;
    return Editor(useMacro, escapeReturns, rightColumn).Run();
}

std::string SelectRectangleByKeys(bool useMacro) {
    auto& l = ConsoleLayer;
    auto& ring = console::TermScreenRing;
    const bool attrCursor = console::AttrCursorSetting();
    if (attrCursor) console::SetAttrCursorMode(false);
    const int32_t savedView = ring.ViewLeftColumn;
    const bool savedStatusMode = l.StatusMode;
    const int32_t savedRow = l.CursorRow;
    const int32_t savedCol = l.CursorCol;
    l.StatusMode = false;

    const int32_t columns = console::Columns();
    const int32_t rows = std::max(l.ScreenRows, 1);
    struct Corner {
        int32_t Col, Row;
    };
    const Corner centre{std::clamp(l.ScreenWidth / 2, 1, columns), std::clamp(rows / 2, 1, rows)};
    std::array<Corner, 2> corner{centre, centre};
    int active = 0;
    Rect shown{};
    bool showing = false;
    std::string result;
    for (bool done = false; !done;) {
        Corner& c = corner[static_cast<size_t>(active)];
        // The view follows the active corner across a ring wider than the window.
        if (c.Col - 1 < ring.ViewLeftColumn)
            console::SetViewLeftColumn(c.Col - 1);
        else if (c.Col > ring.ViewLeftColumn + l.ScreenWidth)
            console::SetViewLeftColumn(c.Col - l.ScreenWidth);
        const Rect now{
            std::min(corner[0].Col, corner[1].Col), std::max(corner[0].Col, corner[1].Col),
            std::min(corner[0].Row, corner[1].Row), std::max(corner[0].Row, corner[1].Row)};
        if (showing) ShowRows(shown, false);
        ShowRows(now, true);
        shown = now;
        showing = true;
        console::GotoRowCol(c.Row, c.Col);

        const auto key = static_cast<uint16_t>(GetKey(useMacro, false) & ~kFromMacro);
        switch (key) {
            case kKeyF7:
                active = 1 - active;
                break;
            case kKeyLeft:
                c.Col = std::max(c.Col - 1, 1);
                break;
            case kKeyRight:
                c.Col = std::min(c.Col + 1, columns);
                break;
            case kKeyUp:
                c.Row = std::max(c.Row - 1, 1);
                break;
            case kKeyDown:
                c.Row = std::min(c.Row + 1, rows);
                break;
            case kKeyHome:
                c.Col = 1;
                break;
            case kKeyEnd:
                c.Col = columns;
                break;
            case kKeyPgUp:
                c.Row = 1;
                break;
            case kKeyPgDn:
                c.Row = rows;
                break;
            case kEnterChar: {
                char text[80];
                std::snprintf(text, sizeof text, "%d %d %d %d", now.Left, now.Right, now.Top,
                              now.Bottom);
                result = text;
                done = true;
                break;
            }
            case kEscChar:
                done = true;
                break;
            default:
                break;
        }
    }
    if (showing) ShowRows(shown, false);
    if (ring.ViewLeftColumn != savedView) console::SetViewLeftColumn(savedView);
    l.StatusMode = savedStatusMode;
    console::GotoRowCol(savedRow, savedCol);
    if (attrCursor) console::SetAttrCursorMode(true);
    return result;
}

}  // namespace emulation
