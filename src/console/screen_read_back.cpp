#include "console/screen_read_back.h"

#include <algorithm>

#include "console/code_pages.h"
#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/local_screen.h"
#include "console/screen_buffer.h"

namespace console {
namespace {

constexpr size_t kMaxText = 255;

// The width a read is cut at.
int32_t ReadWidth(bool savedWidth) {
    const auto& l = ConsoleLayer;
    if (savedWidth) {
        if (l.DirectWrite) return l.SavedScreenColumns;
        if (LocalScreenActive()) return LocalScreenSavedColumns();
    }
    return ScreenColumnsSetting();
}

void PaintPendingScrollLines() {
    if (ConsoleLayer.PendingScrollLines != 0) RedrawScreen();
}

// The ring line of a row counted from the screen's top; rows 0 and below
// are the scroll-back. -1 above the ring's oldest line.
int32_t RingLineOfRow(int32_t row) {
    const auto& r = TermScreenRing;
    const int64_t back = 1 - static_cast<int64_t>(row);
    if (back > static_cast<int64_t>(r.LineCount) - std::max(ConsoleLayer.ScreenRows, 1)) return -1;
    int64_t line = (static_cast<int64_t>(r.TopLine) + row - 1) % r.LineCount;
    if (line < 0) line += r.LineCount;
    return static_cast<int32_t>(line);
}

void AppendEncoded(std::string& out, char16_t ch, CharEncoder encode) {
    if (encode == nullptr) {
        out.push_back(static_cast<char>(ch & 0xFF));
        return;
    }
    // A character whose bytes do not all fit is left out whole.
    const std::string bytes = encode(ch);
    if (out.size() + bytes.size() <= kMaxText) out += bytes;
}

}  // namespace

std::string GetScreenText(int32_t row, int32_t first, int32_t last,
                          const ScreenTextOptions& options) {
    std::string out;
    last = std::min(last, ReadWidth(options.SavedWidth));
    first = std::max(first, 1);
    PaintPendingScrollLines();
    if (ConsoleLayer.DirectWrite && !options.SavedWidth)
        return ReadWindowText(row, first, last, platform::kAnsiCodePage, options.WindowFlag);
    if (!TermScreenRingUsable() || row < 1 || row > ConsoleLayer.LastRow) return out;
    last = std::min(last, TermScreenRing.Width);
    if (first > last) return out;
    const int32_t line = RingLineOfRow(row);
    if (line < 0) return out;
    const size_t base = static_cast<size_t>(line) * TermScreenRing.Width;
    const uint32_t* cells = TermScreenRing.Cells.data() + base;
    const uint8_t* flags = TermScreenRing.Flags.data() + base;
    bool inProtected = false;
    for (int32_t c = first; c <= last && out.size() < kMaxText; ++c) {
        const bool isProtected = options.MarkProtected && (flags[c - 1] & kCellProtected);
        if (isProtected != inProtected) {
            if (options.ProtectedAsFs) {
                if (isProtected) out.push_back('\x1C');
            } else {
                out += isProtected ? "\x1B)" : "\x1B(";
            }
            inProtected = isProtected;
        }
        if (isProtected && options.ProtectedAsFs) continue;
        AppendEncoded(out, CellChar(cells[c - 1]), options.Encode);
    }
    if (inProtected && !options.ProtectedAsFs) out += "\x1B(";
    if (out.size() > kMaxText) out.resize(kMaxText);
    return out;
}

std::u16string GetScreenTextW(int32_t row, int32_t first, int32_t last, bool markReverse,
                              bool savedWidth) {
    std::u16string raw;
    last = std::min(last, ReadWidth(savedWidth));
    first = std::max(first, 1);
    PaintPendingScrollLines();
    if (ConsoleLayer.DirectWrite && !savedWidth) {
        raw = ReadWindowChars(row, first, last, markReverse);
    } else if (TermScreenRingUsable() && row <= ConsoleLayer.LastRow) {
        last = std::min(last, TermScreenRing.Width);
        const int32_t line = RingLineOfRow(row);
        if (line < 0 || first > last) return {};
        const uint32_t* cells =
            TermScreenRing.Cells.data() + static_cast<size_t>(line) * TermScreenRing.Width;
        const CellAttribute mark = ConsoleLayer.AttrColorMap[4];
        for (int32_t c = first; c <= last; ++c) {
            raw.push_back(CellChar(cells[c - 1]));
            if (markReverse && CellAttr(cells[c - 1]) == mark) raw += u"\u0008_";
        }
    }
    std::u16string out;
    out.reserve(raw.size());
    for (char16_t ch : raw) {
        if ((ch & 0xFF00) == 0xE600) {
            // Line graphics go back to box drawing.
            out.push_back(static_cast<char16_t>(0x2500 | (ch & 0xFF)));
        } else if (ch == 0x200B) {
            // A double-width character's filler cell.
        } else if (ch >= 0xE800 && ch <= 0xE9FF) {
            out += Neighbours.DecomposeChar(ch);
        } else {
            out.push_back(ch);
        }
    }
    return out;
}

}  // namespace console
