#include "ui/clipboard/clipboard.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/messages.h"
#include "console/screen_buffer.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"

namespace platform {
namespace {

class NoClipboard final : public SystemClipboard {
  public:
    bool Open() override { return false; }
    void Close() override {}
    void Empty() override {}
    bool SetAnsi(std::string_view) override { return false; }
    bool SetOem(std::string_view) override { return false; }
    bool SetUnicode(std::u16string_view) override { return false; }
    void SetCellPicture(const ui::ScreenCellRect&, bool) override {}
    bool HasText() override { return false; }
    std::optional<std::u16string> GetUnicode() override { return std::nullopt; }
    std::optional<std::u16string> GetAnsi() override { return std::nullopt; }
    void HideCaret(bool) override {}
};

SystemClipboard* installed = nullptr;

}  // namespace

void SetSystemClipboard(SystemClipboard* clipboard) {
    installed = clipboard;
}

SystemClipboard& CurrentSystemClipboard() {
    static NoClipboard none;
    return installed ? *installed : none;
}

}  // namespace platform

namespace ui {

ClipboardState Clipboard;

void ResetClipboard() {
    Clipboard = ClipboardState{};
}

namespace {

constexpr uint16_t kMsgClipboardInUse = 311;
constexpr uint16_t kMsgClipboardCaption = 312;
constexpr uint16_t kMsgClipboardNoMemory = 313;

void ShowClipboardError(uint16_t messageId) {
    MenuServices.Ask(console::GetMessageText(messageId, true),
                     console::GetMessageText(kMsgClipboardCaption, true), AskButtons::Ok);
}

ScreenCellRect Normalized(ScreenCellRect r) {
    if (r.Left > r.Right) std::swap(r.Left, r.Right);
    if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
    return r;
}

// The last column of the row that is not blank; 0 for a blank row.
int LastNonBlank(int row) {
    const std::u16string cells =
        console::ReadWindowChars(row, 1, console::ConsoleScreen.Cols, false);
    const size_t end = cells.find_last_not_of(u" \u200B");
    return end == std::u16string::npos ? 0 : static_cast<int>(end) + 1;
}

// Box drawing of the console's own glyphs back to the real characters, the
// zero-width space left out and composite glyphs decomposed.
std::u16string CopyForm(std::u16string_view cells) {
    std::u16string out;
    out.reserve(cells.size());
    for (char16_t c : cells) {
        if (c >= 0xE600 && c <= 0xE6FF) {
            out.push_back(static_cast<char16_t>(0x2500 + (c & 0xFF)));
        } else if (c == 0x200B) {
            continue;
        } else if (c >= 0xE800 && c <= 0xEFFF) {
            out += MenuServices.DecomposeChar(c);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

template <typename Text, typename ReadRow>
Text BuildText(const ScreenCellRect& r, uint8_t blockType, ReadRow read) {
    Text out;
    bool previousNonEmpty = false;
    for (int row = r.Top; row <= r.Bottom; ++row) {
        int first = r.Left;
        int last = r.Right;
        if (blockType != 0) {
            if (row != r.Top) first = 1;
            last = LastNonBlank(row);
            if (row == r.Bottom) last = std::min(last, r.Right);
        }
        const bool nonEmpty = last >= first;
        if (nonEmpty) {
            if (blockType == 2 && row != r.Top && previousNonEmpty) out.push_back(' ');
            out += read(row, first, last);
        }
        if (row != r.Bottom && !(blockType == 2 && nonEmpty)) {
            out.push_back('\r');
            out.push_back('\n');
        }
        previousNonEmpty = nonEmpty;
    }
    return out;
}

bool IsCombiningMark(char16_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

void EndPasteWhenUsedUp() {
    if (Clipboard.PasteBuffer && Clipboard.PasteOffset >= Clipboard.PasteBuffer->size())
        FreePasteBuffer();
}

}  // namespace

ClipboardTexts ScreenRangeTexts(const ScreenCellRect& cells, uint8_t blockType) {
    const ScreenCellRect r = Normalized(cells);
    ClipboardTexts t;
    t.Ansi = BuildText<std::string>(r, blockType, [](int row, int a, int b) {
        return console::ReadWindowText(row, a, b, platform::kAnsiCodePage, false);
    });
    t.Oem = BuildText<std::string>(r, blockType, [](int row, int a, int b) {
        return console::ReadWindowText(row, a, b, platform::kOemCodePage, false);
    });
    t.Unicode = BuildText<std::u16string>(r, blockType, [](int row, int a, int b) {
        return CopyForm(console::ReadWindowTextW(row, a, b, false));
    });
    return t;
}

void CopyScreenToClipboard(const ScreenCellRect& cells, uint8_t blockType, bool selection) {
    auto& clip = platform::CurrentSystemClipboard();
    clip.HideCaret(true);
    if (!clip.Open()) {
        ShowClipboardError(kMsgClipboardInUse);
        clip.HideCaret(false);
        return;
    }
    clip.Empty();
    const ScreenCellRect r = Normalized(cells);
    const ClipboardTexts t = ScreenRangeTexts(r, blockType);
    const bool stored = clip.SetAnsi(t.Ansi) && clip.SetOem(t.Oem) && clip.SetUnicode(t.Unicode);
    if (!stored) {
        ShowClipboardError(kMsgClipboardNoMemory);
    } else if (blockType == 0 || r.Top == r.Bottom) {
        ScreenCellRect picture = r;
        if (blockType != 0)
            picture.Right = std::min(r.Right, std::max(r.Left, LastNonBlank(r.Top)));
        clip.SetCellPicture(picture, selection);
    }
    clip.Close();
    clip.HideCaret(false);
}

void CopyTextToClipboard(std::u16string_view text) {
    auto& clip = platform::CurrentSystemClipboard();
    if (!clip.Open()) {
        ShowClipboardError(kMsgClipboardInUse);
        return;
    }
    clip.Empty();
    if (!clip.SetAnsi(platform::WideToBytes(platform::kAnsiCodePage, text)) ||
        !clip.SetUnicode(text))
        ShowClipboardError(kMsgClipboardNoMemory);
    clip.Close();
}

void PasteFromClipboard() {
    auto& clip = platform::CurrentSystemClipboard();
    if (!clip.Open()) {
        ShowClipboardError(kMsgClipboardInUse);
        return;
    }
    std::optional<std::u16string> text;
    bool wide = false;
    if (commands::Settings.PasteUnicode != 0) {
        text = clip.GetUnicode();
        wide = text.has_value();
    }
    if (!text) text = clip.GetAnsi();
    clip.Close();
    if (!text) return;
    // The text ends at its first zero, as a clipboard block does.
    const size_t zero = text->find(u'\0');
    if (zero != std::u16string::npos) text->resize(zero);
    if (text->empty()) return;
    Clipboard.PasteBuffer = std::move(text);
    Clipboard.PasteOffset = 0;
    Clipboard.PasteIsWide = wide;
}

bool PastePending() {
    return Clipboard.PasteBuffer.has_value();
}

void FreePasteBuffer() {
    Clipboard.PasteBuffer.reset();
    Clipboard.PasteOffset = 0;
    Clipboard.PasteIsWide = false;
}

bool NextPasteLine(std::u16string& line, bool& endsWithCr) {
    line.clear();
    endsWithCr = false;
    if (!Clipboard.PasteBuffer) return false;
    const std::u16string& buffer = *Clipboard.PasteBuffer;
    size_t& at = Clipboard.PasteOffset;
    while (at < buffer.size() && line.size() < kPasteLineMax) {
        const char16_t c = buffer[at];
        if (c == u'\n') {
            ++at;
            break;
        }
        size_t marks = 0;
        if (Clipboard.PasteIsWide)
            while (at + 1 + marks < buffer.size() && IsCombiningMark(buffer[at + 1 + marks]))
                ++marks;
        if (marks != 0) {
            const std::u16string_view group(buffer.data() + at, marks + 1);
            const char16_t composed = MenuServices.ComposeChars(group);
            if (composed != 0xFFFF) {
                line.push_back(composed);
                at += marks + 1;
                continue;
            }
            // A group that would pass the longest line starts the next one,
            // unless it is longer than a line itself.
            if (!line.empty() && line.size() + group.size() > kPasteLineMax) break;
            const size_t take = std::min(group.size(), kPasteLineMax - line.size());
            line.append(group.substr(0, take));
            at += take;
            continue;
        }
        line.push_back(c);
        ++at;
    }
    if (!line.empty() && line.back() == u'\r') {
        line.pop_back();
        endsWithCr = true;
    }
    Clipboard.LastPastedLine = line.substr(0, 80);
    EndPasteWhenUsedUp();
    if (commands::Settings.PasteOneLine != 0) FreePasteBuffer();
    return true;
}

bool NextPasteChar(uint16_t& key) {
    if (!Clipboard.PasteBuffer) return false;
    const std::u16string& buffer = *Clipboard.PasteBuffer;
    size_t& at = Clipboard.PasteOffset;
    if (at >= buffer.size()) {
        FreePasteBuffer();
        return false;
    }
    key = buffer[at++];
    if (key == u'\r' && at < buffer.size() && buffer[at] == u'\n') ++at;
    EndPasteWhenUsedUp();
    return true;
}

}  // namespace ui
