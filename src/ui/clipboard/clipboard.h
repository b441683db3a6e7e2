#pragma once
// Copying screen cells to the clipboard and the paste pump: a paste is a
// private copy of the clipboard text that the main loop sends to the host a
// line at a time, so that a long paste keeps the window alive and can be
// dropped with the abort key.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ui {

// 1-based cells, corners in any order.
struct ScreenCellRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The longest line one paste step sends.
inline constexpr size_t kPasteLineMax = 254;

// The three text forms of a screen range as the copy builds them.
struct ClipboardTexts {
    std::string Ansi;
    std::string Oem;
    std::u16string Unicode;
};

// The texts of the rectangle (block type 0 column block, 1 stream, 2 wrap),
// read from the window's cells.
ClipboardTexts ScreenRangeTexts(const ScreenCellRect& cells, uint8_t blockType);

void CopyScreenToClipboard(const ScreenCellRect& cells, uint8_t blockType, bool selection);
void CopyTextToClipboard(std::u16string_view text);
void PasteFromClipboard();
bool PastePending();
void FreePasteBuffer();
// The next line of the paste, at most kPasteLineMax characters, without its
// line end; endsWithCr tells whether a carriage return ended it. False when no
// paste is pending. The line is also kept as the last pasted line.
bool NextPasteLine(std::u16string& line, bool& endsWithCr);
// The next single character; CR LF reads as one CR. False when no paste is pending.
bool NextPasteChar(uint16_t& key);

struct ClipboardState {
    std::optional<std::u16string> PasteBuffer;  // none when no paste is in progress
    size_t PasteOffset = 0;
    bool PasteIsWide = false;
    std::u16string LastPastedLine;  // at most 80 characters
};
extern ClipboardState Clipboard;
void ResetClipboard();

}  // namespace ui

namespace platform {

// The system clipboard. The caller opens it, works and closes it again.
class SystemClipboard {
  public:
    virtual ~SystemClipboard() = default;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual void Empty() = 0;
    // Each false when its block could not be made.
    virtual bool SetAnsi(std::string_view text) = 0;
    virtual bool SetOem(std::string_view text) = 0;
    virtual bool SetUnicode(std::u16string_view text) = 0;
    // A picture of the cells, copied from the window (inverted back when the
    // selection is shown inverted), with the console's palette.
    virtual void SetCellPicture(const ui::ScreenCellRect& cells, bool inverted) = 0;
    virtual bool HasText() = 0;
    virtual std::optional<std::u16string> GetUnicode() = 0;
    // The ANSI text as Unicode (converted from the ANSI code page).
    virtual std::optional<std::u16string> GetAnsi() = 0;
    // Caret hidden while the clipboard is written.
    virtual void HideCaret(bool hide) = 0;
};

// nullptr: a clipboard that cannot be opened.
void SetSystemClipboard(SystemClipboard* clipboard);
SystemClipboard& CurrentSystemClipboard();

}  // namespace platform
