#include "emulation/text/host_char_display.h"

#include <algorithm>
#include <span>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "emulation/receive_loop.h"
#include "emulation/text/charsets.h"
#include "emulation/text/composition.h"
#include "emulation/types/emulator_state.h"

namespace emulation {

using enum commands::GSetCode;

namespace {

constexpr char16_t kLineDrawing[] = {
    0x0020, 0x2666, 0x2591, 0x2409, 0x240C, 0x240D, 0x240A, 0x00B0, 0x00B1, 0x2424, 0x240B,
    0x2518, 0x2510, 0x250C, 0x2514, 0x253C, 0x2594, 0xE8B6, 0x2500, 0xE8B8, 0x2581, 0x251C,
    0x2524, 0x2534, 0x252C, 0x2502, 0x2264, 0x2265, 0x03A0, 0x2260, 0x00A3, 0x00B7};
constexpr char16_t kTv965[] = {
    0x0020, 0x2570, 0x256D, 0x256E, 0x256F, 0x2514, 0x250C, 0x2510, 0x2518, 0x253C, 0x2502,
    0x2500, 0x2524, 0x251C, 0x252C, 0x2534, 0x2594, 0x2581, 0x2666, 0xE8A0, 0xE8A1, 0xE8A2,
    0xE8A3, 0x2590, 0x2584, 0x258C, 0x2580, 0xE8A4, 0xE8A5, 0xE8A6, 0xE8A7, 0x258C};
constexpr char16_t kTechnical[] = {
    0x0020, 0x23B7, 0x2308, 0x2212, 0x2320, 0x2321, 0x239C, 0x2308, 0x230A, 0x2309, 0x230B, 0x23A7,
    0x23A9, 0x23AB, 0x23AD, 0x23A8, 0x23AC, 0x23B2, 0x23B3, 0x2575, 0x2571, 0x00AC, 0x2A3C, 0xE8BB,
    0x2426, 0xFFFF, 0xFFFF, 0xFFFF, 0x2264, 0x2260, 0x2265, 0x222B, 0x2234, 0x221D, 0x221E, 0x00F7,
    0x2206, 0x2207, 0x03A6, 0x0393, 0x223C, 0x2243, 0x0398, 0x0078, 0x039B, 0x21D4, 0x21D2, 0x2261,
    0x03A0, 0x03A8, 0xFFFF, 0x03A3, 0xFFFF, 0xFFFF, 0x221A, 0x03A9, 0x039E, 0x03A5, 0x2282, 0x2283,
    0x2229, 0x222A, 0x2227, 0x2228, 0x00AC, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03B8, 0x03BA, 0x03BB, 0xFFFF, 0x03BD, 0x2202, 0x03C0, 0x03C8, 0x03C1, 0x03C3,
    0x03C4, 0x2426, 0x0192, 0x03C9, 0x03BE, 0x03C5, 0x03B6, 0x2190, 0x2191, 0x2192, 0x2193, 0xFFFF};
constexpr char16_t kWyse18[] = {
    0x2070, 0x00B9, 0x00B2, 0x00B3, 0x2074, 0x2075, 0x2076, 0x2077, 0x2078, 0x2079, 0x0020,
    0x0020, 0x25BA, 0x25C4, 0x25B2, 0x25BC, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x0020, 0x0020, 0x0020, 0x2080, 0x2081, 0x2082, 0x2083, 0x2084, 0x2085, 0x2086,
    0x2087, 0x2088, 0x2089, 0x2518, 0x2510, 0x250C, 0x2514, 0x253C, 0x258C, 0x2590, 0x2500,
    0x2584, 0x2580, 0x251C, 0x2524, 0x2534, 0x252C, 0x2502, 0x0020, 0x256E, 0x256F, 0x2570,
    0x256D, 0x258C, 0x0020};
constexpr char16_t kWyse19[] = {
    0x250C, 0x20, 0x20, 0x20, 0x2510, 0x20, 0x20, 0x20, 0x2514, 0x20, 0x20, 0x20,
    0x2518, 0x20, 0x20, 0x20, 0x252C, 0x20, 0x20, 0x20, 0x2524, 0x20, 0x20, 0x20,
    0x251C, 0x20, 0x20, 0x20, 0x2534, 0x20, 0x20, 0x20, 0x2500, 0x20, 0x20, 0x20,
    0x2502, 0x20, 0x20, 0x20, 0x253C, 0x20, 0x20, 0x20, 0x0020, 0x20, 0x20, 0x20};

static_assert(sizeof(kLineDrawing) / 2 == 0x7E - 0x5F + 1);
static_assert(sizeof(kTv965) / 2 == 0xDF - 0xC0 + 1);
static_assert(sizeof(kTechnical) / 2 == 0xFF - 0xA0 + 1);
static_assert(sizeof(kWyse18) / 2 == 0xFF - 0xB0 + 1);
static_assert(sizeof(kWyse19) / 2 == 0xEF - 0xC0 + 1);

constexpr RangeTable kLineDrawingTable{0x5F, 0x7E, kLineDrawing};
constexpr RangeTable kTv965Table{0xC0, 0xDF, kTv965};
constexpr RangeTable kTechnicalTable{0xA0, 0xFF, kTechnical};
constexpr RangeTable kWyse18Table{0xB0, 0xFF, kWyse18};
constexpr RangeTable kWyse19Table{0xC0, 0xEF, kWyse19};

constexpr char16_t kN7900Glyphs[12] = {0x250C, 0x2510, 0x2514, 0x2518, 0x252C, 0x2524,
                                       0x251C, 0x2534, 0x2500, 0x2502, 0x253C, 0x0020};
constexpr char16_t kControlPictures[16] = {0x252C, 0x2514, 0x250C, 0x2510, 0x251C, 0x2518,
                                           0x2502, 0x2588, 0x253C, 0x2524, 0x2500, 0x2591,
                                           0x2550, 0x2534, 0x2551, 0x2592};
constexpr char16_t kC332Glyphs[11] = {0x2500, 0x2502, 0x253C, 0x2534, 0x252C, 0x2514,
                                      0x250C, 0x2510, 0x2518, 0x251C, 0x2524};

// One byte of a code page; a NUL of 437 shows as a blank.
char16_t CodePageChar(uint8_t byte, uint32_t codePage) {
    if (byte == 0 && codePage == 437) return u' ';
    char16_t ch = 0xFFFF;
    if (HostToUnicode(std::span<const uint8_t>(&byte, 1), codePage, ch) == kHostChar &&
        ch != 0xFFFF)
        return ch;
    char16_t out = 0;
    if (platform::RunToWide(codePage, &byte, 1, 5, &out) == 1) return out;
    return byte;
}

constexpr uint32_t kOemCodePage = 437;

uint8_t DecSupplementalByte(uint8_t b) {
    switch (b) {
        case 0xA8: return 0xA4;
        case 0xD7: return 0x8C;
        case 0xDD: return 0x9F;
        case 0xF7: return 0x9C;
        case 0xFD: return 0xFF;
        default: return b;
    }
}

}  // namespace

char16_t MapRangeTable(const RangeTable& table, uint8_t byte, char16_t fallback) {
    if (byte < table.First || byte > table.Last) return fallback;
    return table.Values[byte - table.First];
}

char16_t ByteToUnicode(uint8_t byte, uint8_t set) {
    byte &= 0x7F;
    switch (set) {
        case kGSetN7900Graphics: {
            uint8_t b = byte < 0x40 ? static_cast<uint8_t>(byte + 0x40) : byte;
            // Bytes past the table have no glyph and show unchanged.
            if (b < 0x40 || b > 0x6F) return b;
            const uint8_t i = b - 0x40;
            console::ConsoleLayer.AttrSelection = i % 4;
            return kN7900Glyphs[i / 4];
        }
        case kGSetLineDrawing:
            return MapRangeTable(kLineDrawingTable, byte, byte);
        case kGSetControlPictures: {
            const uint8_t c = byte & 0x1F;
            if (c == 0) return u' ';
            if (c < 16) return static_cast<char16_t>(0x2400 + c);
            return kControlPictures[c - 16];
        }
        case kGSetC1Pictures:
            return CodePageChar(static_cast<uint8_t>((byte & 0x1F) + 0x80), 437);
        case kGSetOemUpper:
        case kGSetOemControlsShown:
            return CodePageChar(static_cast<uint8_t>(byte + 0x80), kOemCodePage);
        case kGSetControlGlyphs:
            return byte == 0x20 ? u' ' : CodePageChar(byte & 0x1F, 437);
        case kGSetMultinational:
            return CodePageChar(static_cast<uint8_t>(byte + 0x80), 1252);
        case kGSetC332Graphics: {
            const uint8_t c = byte & 0x1F;
            if (c > 21) return u' ';
            return kC332Glyphs[c >= 11 ? c - 11 : c];
        }
        case kGSetTv965Graphics:
            return MapRangeTable(kTv965Table, static_cast<uint8_t>(byte + 0x80), u' ');
        case kGSetCodePage: {
            const uint32_t cp = commands::Settings.CodePage.Get();
            return CodePageChar(static_cast<uint8_t>(byte + 0x80), cp);
        }
        case kGSetSoftFont:
            return CodePageChar(byte, 999);
        case kGSetDecSupplemental:
            return CodePageChar(DecSupplementalByte(static_cast<uint8_t>(byte + 0x80)), 1252);
        case kGSetTechnical:
            return MapRangeTable(kTechnicalTable, static_cast<uint8_t>(byte + 0x80), 0xFFFF);
        case kGSetWyseSymbols:
            return MapRangeTable(kWyse18Table, static_cast<uint8_t>(byte + 0x80), u' ');
        case kGSetWyseBoxes:
            return MapRangeTable(kWyse19Table, static_cast<uint8_t>(byte + 0x80), u' ');
        case kGSetSixelData:
            return 0;
        default: return CodePageChar(byte, 437);
    }
}

bool GrByteCodePage(uint8_t byte, uint8_t set, uint8_t& outByte, uint32_t& codePage) {
    byte &= 0x7F;
    switch (set) {
        case kGSetN7900Graphics: {
            const char16_t ch = ByteToUnicode(byte, kGSetN7900Graphics);
            // Box glyphs live in the OEM page; give the byte that page shows them with.
            outByte = byte;
            codePage = 437;
            for (uint16_t b = 0x80; b < 0x100; ++b)
                if (CodePageChar(static_cast<uint8_t>(b), 437) == ch) {
                    outByte = static_cast<uint8_t>(b);
                    return true;
                }
            if (ch == u' ') outByte = 0x20;
            return true;
        }
        case kGSetControlPictures:
            outByte = 0x20;
            codePage = 1252;
            return true;
        case kGSetC1Pictures:
            outByte = static_cast<uint8_t>((byte & 0x1F) + 0x80);
            codePage = 437;
            return true;
        case kGSetOemUpper:
        case kGSetOemControlsShown:
            outByte = static_cast<uint8_t>(byte + 0x80);
            codePage = kOemCodePage;
            return true;
        case kGSetControlGlyphs:
            outByte = byte == 0x20 ? 0x20 : (byte & 0x1F);
            codePage = 437;
            return true;
        case kGSetMultinational:
            outByte = static_cast<uint8_t>(byte + 0x80);
            codePage = 1252;
            return true;
        case kGSetC332Graphics: {
            const char16_t ch = ByteToUnicode(byte, kGSetC332Graphics);
            outByte = 0x20;
            codePage = 437;
            for (uint16_t b = 0x80; b < 0x100; ++b)
                if (CodePageChar(static_cast<uint8_t>(b), 437) == ch) {
                    outByte = static_cast<uint8_t>(b);
                    break;
                }
            return true;
        }
        case kGSetSoftFont:
            outByte = byte;
            codePage = 999;
            return true;
        case kGSetDecSupplemental:
            outByte = DecSupplementalByte(static_cast<uint8_t>(byte + 0x80));
            codePage = 1252;
            return true;
        default: outByte = static_cast<uint8_t>(byte + 0x80); codePage = 437; return false;
    }
}

void StayOnLastColumn() {
    // The caret goes back to the last column with the cursor.
    console::ConsoleLayer.CursorCol -= 1;
    console::ClampCursor();
}

void WrapAfterWrite() {
    auto& l = console::ConsoleLayer;
    if (l.CursorCol <= commands::Settings.ScreenColumns || l.StatusMode) return;
    switch (EmulatorState.WrapStyle) {
        case kWrapAtOnce:
            l.Hooks.FlushCaptureLine();
            l.CursorCol = 1;
            console::LineFeed();
            break;
        case kWrapStay:
            StayOnLastColumn();
            break;
        default: break;
    }
}

void WrapPendingBeforeChar() {
    auto& l = console::ConsoleLayer;
    if (l.CursorCol > l.ScreenWidth && EmulatorState.WrapStyle == kWrapDeferred) {
        l.Hooks.FlushCaptureLine();
        console::WriteString("\r\n");
    }
}

void ShowHostByte(uint8_t byte) {
    auto& l = console::ConsoleLayer;
    WrapPendingBeforeChar();
    if (ReceiveLoop.InsertMode && !ShowsNoCharacter(byte))
        console::ShiftRowCells(l.CursorRow, l.CursorCol, console::Columns(), 1);
    DisplayHostChar(byte, 1, true);
}

bool ShowsNoCharacter(uint8_t byte) {
    const auto& e = EmulatorState;
    if (e.GL == kGSetSixelData) return true;
    const uint8_t set = byte < 0x80 ? e.GL : e.GR;
    // Set 1 always has a glyph, and its mapping also picks the colour.
    if (set == kGSetN7900Graphics) return false;
    return ByteToUnicode(byte, set) == 0;
}

void DisplayHostChar(uint8_t byte, int32_t count, bool capture) {
    (void)capture;  // the capture line has no owner here yet
    auto& e = EmulatorState;
    if (e.GL == kGSetSixelData) return;  // sixel data goes to the graphics decoder, not the screen
    const char16_t ch = byte < 0x80 ? ByteToUnicode(byte, e.GL) : ByteToUnicode(byte - 0x80, e.GR);
    if (ch != 0) {
        // A count is at most a line; more would only overwrite the same cells.
        const int32_t n = count < 0 ? 0 : (count > 1024 ? 1024 : count);
        for (int32_t i = 0; i < n; ++i) {
            console::WriteScreenChar(ch);
            WrapAfterWrite();
        }
    }
    if (e.SingleShiftPending) ReturnFromSingleShift();
}

void ReturnFromSingleShift() {
    auto& e = EmulatorState;
    // G0 comes back whole: its national set too, and it is again the slot
    // that a designation into G0 changes at once.
    e.GL = e.GSlots[0];
    commands::Settings.CharsetMode = e.NationalSlots[0];
    e.NationalExtra = 0;
    e.SingleShiftPending = false;
}

namespace {

// A combining mark joins the character left of the cursor when the two
// compose into one cell's character, which takes that cell's place.
bool ComposeWithCharBefore(char16_t mark) {
    auto& l = console::ConsoleLayer;
    if (!IsCombiningMark(mark) || l.StatusMode || l.CursorCol <= 1) return false;
    const int32_t column = std::min(l.CursorCol, console::Columns() + 1) - 1;
    uint32_t cell = 0;
    if (console::ReadCells(l.CursorRow, column, 1, &cell) != 1) return false;
    const char16_t base = console::CellChar(cell);
    // A double-width character's filler cell is no base.
    if (base == 0x200B) return false;
    const char16_t pair[2] = {base, mark};
    const char16_t composed = ComposeChars(std::u16string_view(pair, 2), true);
    if (composed == kNoComposition) return false;
    l.CursorCol = column;
    console::WriteScreenChar(composed);
    WrapAfterWrite();
    return true;
}

}  // namespace

void DisplayMultibyteChar(char16_t ch, bool wide) {
    auto& l = console::ConsoleLayer;
    const uint32_t cp = commands::Settings.CodePage.Get();
    const bool doubleWidthPage =
        cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 0x30000;
    if (ch != 0xFFFF && ComposeWithCharBefore(ch)) return;
    WrapPendingBeforeChar();
    // Insert mode makes room for every cell the character takes, as it does
    // for single-byte text, so no character of the row is written over.
    if (ReceiveLoop.InsertMode) {
        const bool filler = ch == 0xFFFF ? doubleWidthPage : wide || console::NeedsFillerCell(ch);
        console::ShiftRowCells(l.CursorRow, l.CursorCol, console::Columns(), filler ? 2 : 1);
    }
    if (ch == 0xFFFF) {
        console::WriteScreenChar(ch);
        WrapAfterWrite();
        if (doubleWidthPage) {
            console::WriteScreenChar(ch);
            WrapAfterWrite();
        }
        return;
    }
    console::WriteScreenChar(ch);
    WrapAfterWrite();
    if (wide || console::NeedsFillerCell(ch)) {
        console::WriteScreenChar(0x200B);
        WrapAfterWrite();
    }
}

}  // namespace emulation
