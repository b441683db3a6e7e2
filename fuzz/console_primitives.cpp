// Drives the console primitives and the window buffer with calls decoded from the
// input: arbitrary arguments, and the shared state that other units set (cursor,
// margins, geometry, colour selection, settings, ring and view) set to anything.
#include "console/console_primitives.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/console_settings.h"
#include "console/screen_buffer.h"

namespace {

using namespace console;

int32_t Number(FuzzedDataProvider& in) {
    // Mostly values near the screen, sometimes anything at all.
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            return in.ConsumeIntegral<int32_t>();
        case 1:
            return in.ConsumeIntegralInRange<int32_t>(-3, 3);
        default:
            return in.ConsumeIntegralInRange<int32_t>(-5, 300);
    }
}

std::string Bytes(FuzzedDataProvider& in) {
    return in.ConsumeRandomLengthString(400);
}

std::u16string Units(FuzzedDataProvider& in) {
    std::u16string s(in.ConsumeIntegralInRange<size_t>(0, 300), u' ');
    for (auto& c : s) c = in.ConsumeIntegral<char16_t>();
    return s;
}

uint32_t CodePage(FuzzedDataProvider& in) {
    static const uint32_t pages[] = {0, 437, 1252, kSoftFontCodePage, 65001};
    return in.ConsumeBool() ? in.PickValueInArray(pages) : in.ConsumeIntegral<uint32_t>();
}

void WindowLevelCall(FuzzedDataProvider& in) {
    std::vector<uint32_t> cells(in.ConsumeIntegralInRange<size_t>(1, 600));
    std::string bytes;
    switch (in.ConsumeIntegralInRange<int>(0, 15)) {
        case 0: {
            for (auto& c : cells) c = in.ConsumeIntegral<uint32_t>();
            int32_t n = in.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(cells.size()));
            PutCells(cells.data(), Number(in), Number(in), n);
            break;
        }
        case 1:
            bytes = Bytes(in);
            PutCodePageText(
                reinterpret_cast<const uint8_t*>(bytes.data()), in.ConsumeIntegral<uint16_t>(),
                in.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(bytes.size())),
                Number(in), Number(in), CodePage(in));
            break;
        case 2:
            PutCellChar(in.ConsumeIntegral<char16_t>(), in.ConsumeIntegral<uint16_t>(), Number(in),
                        Number(in));
            break;
        case 3:
            FillWindowCells(in.ConsumeIntegral<char16_t>(), in.ConsumeIntegral<uint16_t>(),
                            Number(in), Number(in), Number(in));
            break;
        case 4:
            EraseWindowRowSpan(Number(in), Number(in), Number(in), in.ConsumeIntegral<uint16_t>(),
                               in.ConsumeBool());
            break;
        case 5:
            SetCellAttrs(Number(in), Number(in), Number(in), in.ConsumeIntegral<uint16_t>(),
                         in.ConsumeBool());
            break;
        case 6:
            ScrollCellRect(Number(in), Number(in), Number(in), Number(in), Number(in), Number(in));
            break;
        case 7:
            ScrollTextRowsUp();
            break;
        case 8: {
            int32_t row = Number(in), c1 = Number(in), c2 = Number(in);
            ReadWindowText(row, c1, c2, CodePage(in), in.ConsumeBool());
            ReadWindowChars(row, c1, c2, in.ConsumeBool());
            ReadWindowTextW(row, c1, c2, in.ConsumeBool());
            break;
        }
        case 9:
            ReadWindowCells(
                Number(in), Number(in),
                in.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(cells.size())),
                cells.data());
            break;
        case 10:
            bytes = Bytes(in);
            TeletypeWrite(reinterpret_cast<const uint8_t*>(bytes.data()),
                          static_cast<int32_t>(bytes.size()));
            break;
        case 11:
            PlaceCursor(Number(in), Number(in));
            MoveCursorTo(Number(in), Number(in));
            break;
        case 12:
            SetAttributeMode(in.ConsumeIntegral<uint8_t>());
            SetBrightBackground(in.ConsumeBool());
            break;
        case 13:
            SetScreenSize(Number(in), Number(in));
            break;
        case 14:
            SetLineGraphicsGlyph(Number(in), in.ConsumeBool());
            break;
        default:
            ClearWindowScreen();
            break;
    }
}

void SetSharedState(FuzzedDataProvider& in) {
    auto& l = ConsoleLayer;
    auto& r = TermScreenRing;
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0:
            l.CursorRow = Number(in);
            l.CursorCol = Number(in);
            break;
        case 1:
            l.TopMargin = Number(in);
            l.BottomMargin = Number(in);
            l.LeftMargin = Number(in);
            l.RightMargin = Number(in);
            l.ScrollOn = in.ConsumeBool();
            l.ScrollBackOff = in.ConsumeBool();
            break;
        case 2:
            l.AttrSelection =
                in.ConsumeBool() ? in.ConsumeIntegralInRange<int32_t>(0, 15) : Number(in);
            l.ProtectMode = in.ConsumeIntegral<uint8_t>();
            l.ProtectAttrIndex = in.ConsumeIntegral<uint8_t>();
            l.DirectAttr = in.ConsumeIntegral<uint16_t>();
            l.EraseInCurrentAttr = in.ConsumeBool();
            l.StatusMode = in.ConsumeBool();
            l.CursorVisible = in.ConsumeBool();
            break;
        case 3:
            SetScreenColumnsSetting(in.ConsumeIntegral<uint8_t>());
            SetJumpScrollSetting(in.ConsumeIntegral<uint16_t>());
            SetBackspaceCharSetting(in.ConsumeIntegral<uint8_t>());
            SetAttrCursorSetting(in.ConsumeBool());
            SetScreenOption6860Setting(in.ConsumeIntegral<uint8_t>());
            SetCharsetKindSetting(in.ConsumeIntegral<uint8_t>());
            SetCodePageSetting(CodePage(in));
            break;
        case 4:
            l.ScreenRows = in.ConsumeIntegralInRange<int32_t>(-2, 300);
            l.ScreenWidth = in.ConsumeIntegralInRange<int32_t>(-2, 300);
            l.LastRow = in.ConsumeIntegralInRange<int32_t>(-2, 300);
            l.StatusRow = in.ConsumeIntegralInRange<int32_t>(-2, 300);
            break;
        case 5:
            AllocTermScreenRing(in.ConsumeIntegralInRange<int32_t>(-4, 1 << 18), Number(in));
            break;
        case 6:
            r.TopLine = Number(in);
            r.ViewLeftColumn = Number(in);
            r.ViewRightLimit = Number(in);
            break;
        case 7:
            if (TermScreenRingUsable()) {
                int32_t index = CellIndex(Number(in), Number(in));
                r.Flags[index] = in.ConsumeIntegral<uint8_t>();
            }
            break;
        case 8:
            ConsoleScreen.FirstRow = Number(in);
            ConsoleScreen.WindowCursorCol = Number(in);
            ConsoleScreen.WindowCursorRow = Number(in);
            break;
        default:
            l.CaretHold = in.ConsumeIntegralInRange<int32_t>(-2, 2);
            l.PendingScrollLines = Number(in);
            break;
    }
}

void ConsoleCall(FuzzedDataProvider& in) {
    std::string bytes;
    switch (in.ConsumeIntegralInRange<int>(0, 27)) {
        case 0:
            WriteScreenStr(Bytes(in), CodePage(in));
            break;
        case 1:
            WriteScreenChar(in.ConsumeIntegral<char16_t>());
            break;
        case 2:
            WriteString(Bytes(in));
            break;
        case 3:
            WriteCharCtl(in.ConsumeIntegral<uint8_t>());
            break;
        case 4:
            WriteWideAttr(Units(in), in.ConsumeIntegral<uint8_t>());
            break;
        case 5:
            WriteWideCharAttr(in.ConsumeIntegral<char16_t>(), in.ConsumeIntegral<uint8_t>());
            break;
        case 6:
            GotoRowCol(Number(in), Number(in));
            break;
        case 7:
            LineFeed();
            WrapIfPastEnd();
            break;
        case 8:
            ScrollScreenUp();
            break;
        case 9:
            AdvanceScreenRing();
            break;
        case 10:
            RedrawScreen();
            ScrollWindowUp();
            break;
        case 11:
            switch (in.ConsumeIntegralInRange<int>(0, 6)) {
                case 0:
                    ClrEol();
                    break;
                case 1:
                    ClrEolKeepCursor();
                    break;
                case 2:
                    ClrBol();
                    break;
                case 3:
                    EraseChars(Number(in));
                    break;
                case 4:
                    ClrScr();
                    break;
                case 5:
                    ClrEos();
                    break;
                default:
                    ClrBos();
                    break;
            }
            break;
        case 12:
            FillCellRect({Number(in), Number(in), Number(in), Number(in)},
                         in.ConsumeIntegral<uint32_t>());
            break;
        case 13:
            InsertLines(Number(in));
            break;
        case 14:
            DeleteLines(Number(in));
            break;
        case 15:
            InsertLinesUnprotected(Number(in));
            break;
        case 16:
            DeleteLinesUnprotected(Number(in));
            break;
        case 17:
            InsertColumns(Number(in));
            break;
        case 18:
            DeleteColumns(Number(in));
            break;
        case 19:
            ShiftRowCells(Number(in), Number(in), Number(in), Number(in));
            break;
        case 20: {
            std::vector<uint32_t> cells(in.ConsumeIntegralInRange<size_t>(1, 600));
            for (auto& c : cells) c = in.ConsumeIntegral<uint32_t>();
            int32_t count =
                in.ConsumeIntegralInRange<int32_t>(-2, static_cast<int32_t>(cells.size()));
            if (in.ConsumeBool()) {
                ReadCells(Number(in), Number(in), count, cells.data());
            } else {
                WriteCells(Number(in), Number(in), count, cells.data());
            }
            break;
        }
        case 21:
            if (in.ConsumeBool()) {
                BeginDirectWrite();
            } else {
                EndDirectWrite();
            }
            break;
        case 22:
            if (in.ConsumeBool()) {
                SaveCursorState();
            } else {
                RestoreCursorState();
            }
            break;
        case 23:
            SetAttrCursorMode(in.ConsumeBool());
            PlaceCaret();
            break;
        case 24: {
            int32_t row = Number(in), col = Number(in), fr = 0, fc = 0;
            FindFieldMark(row, col, fr, fc);
            NextCellPos(row, col);
            break;
        }
        case 25:
            BeepTone(in.ConsumeIntegral<uint32_t>());
            BlankCell();
            CurrentAttr();
            break;
        case 26:
            WindowLevelCall(in);
            break;
        default:
            SetSharedState(in);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    ResetConsoleSettings();
    ResetConsoleLayer();
    ResetConsoleScreen();
    SetScreenWindow(nullptr);
    ConsoleLayer.Hooks.CommInputReady = [](int32_t n) { return n > 50; };
    AllocTermScreenRing(in.ConsumeIntegralInRange<int32_t>(0, 40000),
                        in.ConsumeIntegralInRange<int32_t>(1, 200));
    for (int calls = 0; calls < 200 && in.remaining_bytes() > 0; ++calls) ConsoleCall(in);
    return 0;
}
