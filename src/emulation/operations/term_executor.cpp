#include "emulation/operations/term_executor.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/host_ports.h"
#include "emulation/operations/pending_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/text/charsets.h"
#include "emulation/text/host_char_display.h"
#include "emulation/text/national_charsets.h"
#include "emulation/types/emulator_state.h"

namespace emulation {

using enum commands::GSetCode;

TermExecutorState TermExecutor;

void ResetTermExecutor() {
    TermExecutor = TermExecutorState{};
}

namespace {

constexpr uint8_t kEsc = 0x1B;

using console::ConsoleLayer;

int32_t Count(int32_t p) {
    return p <= 0 ? 1 : p;
}

int32_t ScreenCols() {
    return std::max<int32_t>(1, console::Columns());
}

// --- Screen and cursor basics (the screen unit registers fuller ones) ---

void ClearScreenOp(TermOp, const TermOpParams&) {
    console::ClrScr();
    console::GotoRowCol(1, 1);
}

void ClearScreenKeepCursorOp(TermOp, const TermOpParams&) {
    const int32_t row = ConsoleLayer.CursorRow;
    const int32_t col = ConsoleLayer.CursorCol;
    console::ClrScr();
    console::GotoRowCol(row, std::min(col, ScreenCols()));
}

void InsertLinesOp(TermOp, const TermOpParams& p) {
    console::InsertLines(std::min(Count(p[0]), ConsoleLayer.ScreenRows));
}
void DeleteLinesOp(TermOp, const TermOpParams& p) {
    console::DeleteLines(std::min(Count(p[0]), ConsoleLayer.ScreenRows));
}

void CursorPositionOp(TermOp, const TermOpParams& p) {
    const int32_t row = std::clamp<int32_t>(p[0], 1, ConsoleLayer.ScreenRows);
    const int32_t col = std::clamp<int32_t>(p[1], 1, ScreenCols());
    console::GotoRowCol(row, col);
}

void CursorRowAbsoluteOp(TermOp, const TermOpParams& p) {
    console::GotoRowCol(std::clamp<int32_t>(p[0], 1, ConsoleLayer.ScreenRows),
                        std::min(ConsoleLayer.CursorCol, ScreenCols()));
}

void CursorColumnAbsoluteOp(TermOp, const TermOpParams& p) {
    console::GotoRowCol(ConsoleLayer.CursorRow, std::clamp<int32_t>(p[0], 1, ScreenCols()));
}

void EraseToEndOfScreenOp(TermOp, const TermOpParams&) {
    console::ClrEos();
}
void EraseToStartOfScreenOp(TermOp, const TermOpParams&) {
    console::ClrBos();
}
void EraseToEndOfLineOp(TermOp, const TermOpParams&) {
    console::ClrEolKeepCursor();
}
void EraseLineOp(TermOp, const TermOpParams&) {
    const int32_t col = ConsoleLayer.CursorCol;
    console::ClrBol();
    console::ClrEolKeepCursor();
    ConsoleLayer.CursorCol = col;
}
void EraseToStartOfLineOp(TermOp, const TermOpParams&) {
    console::ClrBol();
}

void CursorForwardOp(TermOp, const TermOpParams& p) {
    const int32_t n = (p[0] <= 0 || p[0] == kTermParamMax) ? 1 : p[0];
    const int32_t col =
        static_cast<int32_t>(std::min<int64_t>(int64_t{ConsoleLayer.CursorCol} + n, ScreenCols()));
    console::GotoRowCol(ConsoleLayer.CursorRow, col);
}

void CursorBackwardOp(TermOp, const TermOpParams& p) {
    const int32_t col = std::min(ConsoleLayer.CursorCol, ScreenCols());
    console::GotoRowCol(ConsoleLayer.CursorRow, std::max(1, col - Count(p[0])));
}

void CursorUpOp(TermOp, const TermOpParams& p) {
    const int32_t top =
        ConsoleLayer.CursorRow >= ConsoleLayer.TopMargin ? ConsoleLayer.TopMargin : 1;
    const int32_t row = std::max(top, ConsoleLayer.CursorRow - std::min(Count(p[0]), 10000));
    console::GotoRowCol(row, std::min(ConsoleLayer.CursorCol, ScreenCols()));
}

void CursorDownOp(TermOp, const TermOpParams& p) {
    const int32_t bottom = ConsoleLayer.CursorRow <= ConsoleLayer.BottomMargin
                               ? ConsoleLayer.BottomMargin
                               : ConsoleLayer.ScreenRows;
    const int32_t row = std::min(bottom, ConsoleLayer.CursorRow + std::min(Count(p[0]), 10000));
    console::GotoRowCol(row, std::min(ConsoleLayer.CursorCol, ScreenCols()));
}

void LineFeedOp(TermOp, const TermOpParams& p) {
    // More line feeds than rows only scroll blank lines through the region.
    const int32_t n = std::min(Count(p[0]), ConsoleLayer.ScreenRows + 1);
    for (int32_t i = 0; i < n; ++i) console::LineFeed();
}

void CursorHomeOp(TermOp, const TermOpParams&) {
    console::GotoRowCol(1, 1);
}
void CursorHomeDownOp(TermOp, const TermOpParams&) {
    console::GotoRowCol(ConsoleLayer.ScreenRows, 1);
}

void CarriageReturnOp(TermOp, const TermOpParams&) {
    ConsoleLayer.CursorCol = 1;
}

void NextLineOp(TermOp, const TermOpParams& p) {
    const int32_t n = std::min(Count(p[0]), ConsoleLayer.ScreenRows + 1);
    for (int32_t i = 0; i < n; ++i) console::WriteString("\r\n");
}

void CursorPrecedingLineOp(TermOp op, const TermOpParams& p) {
    ConsoleLayer.CursorCol = 1;
    CursorUpOp(op, p);
}

// --- Characters ---

void SubstituteCharacterOp(TermOp, const TermOpParams&) {
    console::WriteScreenStr("\xBF", 1252);
    WrapAfterWrite();
}

void ShowControlOp(TermOp, const TermOpParams&) {
    const auto& text = TermExecutor.SequenceText;
    if (text.empty()) return;
    DisplayHostChar(text[text.size() - 1], 1, false);
}

void AnsiDeleteOp(TermOp, const TermOpParams&) {
    const uint8_t family = EmulatorState.EmulationFamily;
    if (family != kEmulationVt && family != kEmulationLinux) DisplayHostChar(0x7F, 1, false);
}

void MultibyteCharacterOp(TermOp op, const TermOpParams& p) {
    DisplayMultibyteChar(static_cast<char16_t>(p[0] & 0xFFFF), op == OpMultibyteCharacterWide);
}

// --- Character-set shifts and designations ---

void InvokeIntoGl(uint8_t slot) {
    auto& e = EmulatorState;
    e.GL = e.GSlots[slot & 3];
    commands::Settings.CharsetMode = e.NationalSlots[slot & 3];
    e.NationalExtra = slot & 3;
}

void LockingShiftOp(TermOp op, const TermOpParams&) {
    auto& e = EmulatorState;
    switch (op) {
        case OpLockingShift0:
            InvokeIntoGl(0);
            break;
        case OpLockingShift0Unprotect:
            InvokeIntoGl(0);
            ConsoleLayer.ProtectMode = 0;
            break;
        case OpLockingShift1:
            InvokeIntoGl(1);
            break;
        case OpLockingShift2:
            InvokeIntoGl(2);
            break;
        case OpLockingShift3:
            InvokeIntoGl(3);
            break;
        case OpSingleShift2:
            InvokeIntoGl(2);
            e.SingleShiftPending = true;
            break;
        case OpSingleShift3:
            InvokeIntoGl(3);
            e.SingleShiftPending = true;
            break;
        default:
            break;
    }
}

void RightShiftOp(TermOp op, const TermOpParams&) {
    auto& e = EmulatorState;
    const uint8_t slot = op == OpLockingShift1Right ? 1 : op == OpLockingShift2Right ? 2 : 3;
    e.GR = e.GSlots[slot];
    e.GRSlot = slot;
}

void DesignateOp(TermOp op, const TermOpParams& p) {
    auto& e = EmulatorState;
    uint8_t slot = 0;
    switch (op) {
        case OpDesignateG1:
        case OpDesignateG1Of96:
            slot = 1;
            break;
        case OpDesignateG2:
        case OpDesignateG2Of96:
            slot = 2;
            break;
        case OpDesignateG3:
        case OpDesignateG3Of96:
            slot = 3;
            break;
        default:
            break;
    }
    const bool of96 = op == OpDesignateG1Of96 || op == OpDesignateG2Of96 || op == OpDesignateG3Of96;
    e.GSlots[slot] = kGSetAscii;
    e.NationalSlots[slot] = kNationalNone;

    // An intermediate designator is followed by its final byte from the
    // connection; only bytes already waiting are taken, and only a few, so a
    // host cannot hold the terminal here.
    ByteText<8> designator;
    designator.push_back(static_cast<uint8_t>(p[0]));
    while (designator[designator.size() - 1] < '0' && designator.size() < designator.Capacity()) {
        if (!HostIn().Ready(0)) break;
        const int next = HostIn().Read(SevenBitReading(), commands::Settings.IgnoreNul != 0);
        if (next == kNoHostByte) break;
        designator.push_back(static_cast<uint8_t>(next));
    }

    uint8_t set = kGSetAscii;
    uint8_t national = kNationalNone;
    const auto& font = e.SoftFontName;
    bool isSoftFont = !font.empty() && font.size() == designator.size();
    for (size_t i = 0; isSoftFont && i < font.size(); ++i) isSoftFont = font[i] == designator[i];
    if (isSoftFont) {
        set = kGSetSoftFont;
    } else if (designator.size() == 2 && designator[0] == '%' && designator[1] == '5') {
        set = kGSetDecSupplemental;
    } else {
        switch (designator[0]) {
            case '0':
                set = kGSetLineDrawing;
                break;
            case '<':
                set = commands::Settings.CharsetKind;
                break;
            case '>':
                set = kGSetTechnical;
                break;
            case '?':
                set = kGSetOemUpper;
                break;
            case 'A':
                if (of96)
                    set = kGSetMultinational;
                else
                    national = kNationalUk;
                break;
            case '5':
            case 'C':
                national = kNationalFinnish;
                break;
            case '6':
            case 'E':
                national = kNationalNorwegian;
                break;
            case '7':
            case 'H':
                national = kNationalSwedish;
                break;
            case '=':
                national = kNationalSwiss;
                break;
            case 'K':
                national = kNationalGerman;
                break;
            case 'Q':
                national = kNationalCanadian;
                break;
            case 'R':
                national = kNationalFrench;
                break;
            case 'Y':
                national = kNationalItalian;
                break;
            case 'Z':
                national = kNationalSpanish;
                break;
            case 'z':
                national = kNationalSlovenian;
                break;
            default:
                break;
        }
    }
    e.GSlots[slot] = set;
    e.NationalSlots[slot] = national;
    if (e.NationalExtra == slot) {
        e.GL = set;
        commands::Settings.CharsetMode = national;
    }
    if (e.GRSlot == slot) e.GR = set;
}

void SelectUtf8Op(TermOp, const TermOpParams&) {
    auto& e = EmulatorState;
    commands::Settings.CodePage.Set(kCharsetUtf8);
    commands::Settings.CharsetKind = kGSetCodePage;
    e.GR = kGSetCodePage;
    e.GSlots[e.GRSlot & 3] = kGSetCodePage;
}

// --- Two-step continuations: the sequence goes back for the next bytes ---

void PutSequenceBack(uint8_t state) {
    SeqBuffer = TermExecutor.SequenceText;
    EmulatorState.TwoStepState = state;
}

void TwoStepOp(TermOp op, const TermOpParams&) {
    switch (op) {
        case OpTwoStepE:
            PutSequenceBack(1);
            break;
        case OpTwoStepC:
            PutSequenceBack(2);
            break;
        case OpTwoStepGs:
            PutSequenceBack(3);
            break;
        case OpTwoStepLabel:
            PutSequenceBack(4);
            break;
        case OpTwoStepHexGlyphs:
            PutSequenceBack(5);
            break;
        default:
            break;
    }
}

uint8_t ByteBeforeFinal() {
    const auto& t = TermExecutor.SequenceText;
    return t.size() >= 2 ? t[t.size() - 2] : 0;
}

void DeviceControlQOp(TermOp, const TermOpParams& params) {
    const uint8_t beforeFinal = ByteBeforeFinal();
    if (beforeFinal == '$') {
        PutSequenceBack(6);
    } else if (beforeFinal == 'P') {
        RunTermOp(OpSixelStart, params);
    }
}

void StatusReportOp(TermOp, const TermOpParams&) {
    TermExecutor.Reply = ByteText<255>("\x1B[0n");
}

void AnsiEnquiryOp(TermOp, const TermOpParams&) {
    const auto& answer = commands::Settings.AnswerBack;
    auto& reply = TermExecutor.Reply;
    reply.clear();
    for (size_t i = 0; i < answer.Length(); ++i) reply.push_back(answer.text[i]);
}

// The operations the executor runs itself; the rest keep their stand-ins.
struct BuiltIn {
    TermOp Op;
    TermOpHandler Handler;
};
constexpr BuiltIn kBuiltIns[] = {
    {OpClearScreen, ClearScreenOp},
    {OpClearScreenKeepCursor, ClearScreenKeepCursorOp},
    {OpInsertLines, InsertLinesOp},
    {OpDeleteLines, DeleteLinesOp},
    {OpCursorPosition, CursorPositionOp},
    {OpCursorRowAbsolute, CursorRowAbsoluteOp},
    {OpCursorColumnAbsolute, CursorColumnAbsoluteOp},
    {OpEraseToEndOfScreen, EraseToEndOfScreenOp},
    {OpEraseToStartOfScreen, EraseToStartOfScreenOp},
    {OpEraseToEndOfLine, EraseToEndOfLineOp},
    {OpEraseLine, EraseLineOp},
    {OpEraseToStartOfLine, EraseToStartOfLineOp},
    {OpCursorForward, CursorForwardOp},
    {OpBackspace, CursorBackwardOp},
    {OpCursorBackward, CursorBackwardOp},
    {OpCursorUp, CursorUpOp},
    {OpCursorDown, CursorDownOp},
    {OpLineFeed, LineFeedOp},
    {OpCursorHome, CursorHomeOp},
    {OpCursorHomeDown, CursorHomeDownOp},
    {OpCarriageReturn, CarriageReturnOp},
    {OpNextLine, NextLineOp},
    {OpCursorPrecedingLine, CursorPrecedingLineOp},
    {OpLockingShift0, LockingShiftOp},
    {OpLockingShift0Unprotect, LockingShiftOp},
    {OpLockingShift1, LockingShiftOp},
    {OpLockingShift2, LockingShiftOp},
    {OpLockingShift3, LockingShiftOp},
    {OpSingleShift2, LockingShiftOp},
    {OpSingleShift3, LockingShiftOp},
    {OpLockingShift1Right, RightShiftOp},
    {OpLockingShift2Right, RightShiftOp},
    {OpLockingShift3Right, RightShiftOp},
    {OpDesignateG0, DesignateOp},
    {OpDesignateG1, DesignateOp},
    {OpDesignateG2, DesignateOp},
    {OpDesignateG3, DesignateOp},
    {OpDesignateG1Of96, DesignateOp},
    {OpDesignateG2Of96, DesignateOp},
    {OpDesignateG3Of96, DesignateOp},
    {OpSubstituteCharacter, SubstituteCharacterOp},
    {OpShowControl, ShowControlOp},
    {OpAnsiDelete, AnsiDeleteOp},
    {OpMultibyteCharacter, MultibyteCharacterOp},
    {OpMultibyteCharacterWide, MultibyteCharacterOp},
    {OpSelectUtf8, SelectUtf8Op},
    {OpTwoStepE, TwoStepOp},
    {OpTwoStepC, TwoStepOp},
    {OpTwoStepGs, TwoStepOp},
    {OpTwoStepLabel, TwoStepOp},
    {OpTwoStepHexGlyphs, TwoStepOp},
    {OpDeviceControlQ, DeviceControlQOp},
    {OpStatusReport, StatusReportOp},
    {OpAnsiEnquiry, AnsiEnquiryOp},
};

// nullptr where a code keeps its stand-in (pending_operations).
struct HandlerTable {
    TermOpHandler Handlers[kTermOpCount];
    constexpr HandlerTable() : Handlers{} {
        for (const auto& b : kBuiltIns) Handlers[b.Op] = b.Handler;
    }
};
constexpr HandlerTable kHandlers;

void SendReply() {
    auto& reply = TermExecutor.Reply;
    if (reply.empty()) return;
    uint8_t out[255];
    size_t n = 0;
    size_t i = 0;
    if (TermExecutor.EightBitControls && reply.size() >= 2 && reply[0] == kEsc &&
        (reply[1] == '[' || reply[1] == 'P' || reply[1] == '\\')) {
        out[n++] = reply[1] == '[' ? 0x9B : reply[1] == 'P' ? 0x90 : 0x9C;
        i = 2;
    }
    for (; i < reply.size(); ++i) out[n++] = reply[i];
    // A reply that cannot go out is dropped: the connection reports its own
    // failure, and the host asked nothing the user could answer instead.
    (void)HostOut().Transmit(out, n);
    reply.clear();
}

constexpr bool IsParameterOrIntermediate(uint8_t b) {
    return b >= 0x20 && b <= 0x3F;
}

class HostRecogniserSource final : public RecogniserSource {
  public:
    bool ReadWaitingByte(bool sevenBit, bool skipNul, uint8_t& byte) override {
        if (!HostIn().Ready(0)) return false;
        const int b = HostIn().Read(sevenBit, skipNul);
        if (b == kNoHostByte) return false;
        byte = static_cast<uint8_t>(b);
        return true;
    }
    void ReadParameterBytes(bool sevenBit, bool skipNul, SeqBufferText& buf) override {
        while (buf.size() < kSeqBufferSize && IsParameterOrIntermediate(buf[buf.size() - 1])) {
            // Bytes that wait as plain data are taken together.
            const uint8_t* head = nullptr;
            bool stopped = false;
            const HostDataRange parameters{static_cast<uint8_t>(sevenBit ? 0x7F : 0xFF), 0x20, 0x3F,
                                           true};
            const uint32_t n =
                HostIn().Peek(skipNul, static_cast<uint32_t>(kSeqBufferSize - buf.size()),
                              parameters, head, stopped);
            if (n == 0) {
                uint8_t next;
                if (!ReadWaitingByte(sevenBit, skipNul, next)) return;
                buf.push_back(next);
                continue;
            }
            for (uint32_t k = 0; k < n; ++k) buf.push_back(head[k] & parameters.Mask);
            HostIn().Take(n);
            if (stopped) return;
        }
    }
    uint16_t ScreenWidth() override {
        return static_cast<uint16_t>(std::clamp<int32_t>(ConsoleLayer.ScreenWidth, 1, 255));
    }
};
HostRecogniserSource HostSource;

}  // namespace

TermOpHandler BuiltInTermOpHandler(TermOp op) {
    if (op >= kTermOpCount) return nullptr;
    const TermOpHandler h = kHandlers.Handlers[op];
    return h != nullptr ? h : PendingEntryPoint(op);
}

void UseHostRecogniserSource() {
    SetRecogniserSource(&HostSource);
}

namespace {

// Runs one operation, with the hand-overs from one code to another; none of
// the targets hands over again.
inline void RunTermOpWithHandOvers(TermOp op, const TermOpParams& params) {
    switch (op) {
        case OpCsiC:
            if (EmulatorState.EmulationFamily == kEmulationVt) op = OpDeviceAttributesReply;
            break;
        case OpCsiZ:
            if (ByteBeforeFinal() != '$') op = OpSelectPage;
            break;
        case OpCsiR:
            if (ByteBeforeFinal() != '$') {
                TermOpParams p = params;
                if (p[0] == 127) p[0] = 0;
                if (p[1] == 127) p[1] = 0;
                if (TermOpHandler h = TermOpHandlerFor(OpSetScrollRegion)) h(OpSetScrollRegion, p);
                return;
            }
            break;
        default:
            break;
    }
    if (TermOpHandler h = TermOpHandlerFor(op)) h(op, params);
}

// The codes that only run their handler after recognition: all but the line
// ends (the quiet line), the form feed and the codes that hand over.
struct PlainCodeTable {
    bool Plain[kTermOpCount] = {};
    constexpr PlainCodeTable() {
        for (size_t i = 0; i < kTermOpCount; ++i) Plain[i] = true;
        for (TermOp op : {OpCarriageReturn, OpLineFeed, OpAnsiFormFeed, OpCsiC, OpCsiZ, OpCsiR})
            Plain[op] = false;
    }
};
constexpr PlainCodeTable kPlainCodes;

// What follows recognition, for a sequence collected in SeqBuffer or taken whole.
inline void FinishTermOp(TermOp op, const TermOpParams& params) {
    auto& x = TermExecutor;
    if (op < kTermOpCount && kPlainCodes.Plain[op]) {
        x.QuietLine = false;
        x.QuietLineEnd = false;
        x.Reply.clear();
        if (TermOpHandler h = TermOpHandlerFor(op)) h(op, params);
        if (!x.Reply.empty()) SendReply();
        return;
    }
    const auto& e = EmulatorState;
    if (op == OpCarriageReturn || op == OpLineFeed) {
        if (x.QuietLine) {
            x.QuietLine = false;
            x.QuietLineEnd = true;
        }
        if (x.QuietLineEnd) op = kTermOpIgnore;
    } else {
        x.QuietLine = false;
        x.QuietLineEnd = false;
    }

    if (op == OpAnsiFormFeed) {
        const uint8_t family = e.EmulationFamily;
        op = (family == kEmulationVt || family == kEmulationLinux) ? OpLineFeed : OpClearScreen;
    }

    x.Reply.clear();
    RunTermOpWithHandOvers(op, params);
    if (!x.Reply.empty()) SendReply();
}

}  // namespace

void RunTermOp(TermOp op, const TermOpParams& params) {
    RunTermOpWithHandOvers(op, params);
}

// After ESC: a control sequence of a CSI family that waits whole as plain
// data goes into SeqBuffer at once: the bytes the ESC read-ahead and
// the recogniser's read-ahead would have taken one by one: "[", the
// parameter and intermediate bytes, and the byte that ends them.
// Puts n bytes that the ring holds as plain data into SeqBuffer, which has
// room for them, and takes them from the ring.
static void TakeIntoSequence(const uint8_t* bytes, uint32_t n, uint8_t mask) {
    auto& buf = SeqBuffer;
    for (uint32_t k = 0; k < n; ++k) buf.Bytes[buf.Length + k] = bytes[k] & mask;
    buf.Length = static_cast<uint8_t>(buf.Length + n);
    HostIn().Take(n);
}

static bool TakeWholeControlSequence(std::span<const uint8_t> waiting, bool waitingEndsSequence) {
    const auto& e = EmulatorState;
    const TermFamilyTable* family = e.CurrentTermFamily;
    if (family == nullptr || family->CsiSequences == 0 || e.TwoStepState != 0 ||
        (e.GR == kGSetCodePage && commands::Settings.CodePage.Get() != kCharsetUtf8))
        return false;
    const uint8_t* head = nullptr;
    bool stopped = false;
    const uint8_t mask = SevenBitReading() ? 0x7F : 0xFF;
    // The bytes the caller already saw answer when the sequence ends among
    // them; they are the start of what the peek below would find.
    if (!waiting.empty() && (waiting[0] & mask) != '[') return false;
    if (waiting.size() >= 2) {
        if (waitingEndsSequence) {
            TakeIntoSequence(waiting.data(), static_cast<uint32_t>(waiting.size()), mask);
            return true;
        }
        const size_t most = std::min<size_t>(waiting.size(), kSeqBufferSize - 1);
        size_t i = 1;
        while (i < most && (waiting[i] & mask) >= 0x20 && (waiting[i] & mask) <= 0x3F) ++i;
        if (i < most) {
            TakeIntoSequence(waiting.data(), static_cast<uint32_t>(i + 1), mask);
            return true;
        }
        if (most == kSeqBufferSize - 1) return false;
    }
    const HostDataRange sequence{mask, 0x20, 0x3F, true, 1};
    const uint32_t n = HostIn().Peek(commands::Settings.IgnoreNul != 0, kSeqBufferSize - 1,
                                     sequence, head, stopped);
    // Not there whole, or not a control sequence.
    if (!stopped || n < 2 || (head[0] & mask) != '[') return false;
    TakeIntoSequence(head, n, mask);
    return true;
}

bool MultibyteCharactersShowPlainly() {
    return TermOpHandlerFor(OpMultibyteCharacter) == &MultibyteCharacterOp;
}

void MultibyteCharactersShown(const uint8_t* lastBytes, size_t length) {
    auto& x = TermExecutor;
    HostIn().ResumeOutput();
    x.SequenceText.clear();
    for (size_t i = 0; i < length && i < kSeqBufferSize; ++i)
        x.SequenceText.push_back(lastBytes[i]);
    x.QuietLine = false;
    x.QuietLineEnd = false;
    x.Reply.clear();
}

void ExecuteTermOp(uint8_t byte) {
    ExecuteTermOp(byte, {}, false);
}

// The DEC terminals act on a control byte that arrives inside a control
// sequence and go on collecting the sequence; hosts written for them rely on
// it. ESC, CAN and SUB still end the sequence as the recogniser decides.
static bool RunControlInsideSequence() {
    const auto& e = EmulatorState;
    const size_t n = SeqBuffer.size();
    if (e.EmulationFamily != kEmulationVt || n < 2) return false;
    const uint8_t last = SeqBuffer[n - 1];
    if (last >= 0x20 || last == kEsc || last == 0x18 || last == 0x1A) return false;
    const bool csi =
        SeqBuffer[0] == 0x9B || (SeqBuffer[0] == kEsc && SeqBuffer[1] == '[' && n >= 3);
    if (!csi) return false;
    SeqBufferText sequence;
    for (size_t i = 0; i + 1 < n; ++i) sequence.push_back(SeqBuffer[i]);
    SeqBuffer.clear();
    ExecuteTermOp(last);
    SeqBuffer = sequence;
    return true;
}

void ExecuteTermOp(uint8_t byte, std::span<const uint8_t> waiting, bool waitingEndsSequence) {
    auto& x = TermExecutor;
    auto& e = EmulatorState;
    HostIn().ResumeOutput();
    if (SeqBuffer.size() > kSeqBufferSize - 1) {
        SeqBuffer.clear();
        return;
    }
    SeqBuffer.push_back(byte);

    if (byte == kEsc && e.GL != kGSetControlsShown && SeqBuffer.size() == 1 &&
        !TakeWholeControlSequence(waiting, waitingEndsSequence)) {
        if (!HostIn().Ready(0)) return;
        const int next = HostIn().Read(SevenBitReading(), commands::Settings.IgnoreNul != 0);
        if (next == kNoHostByte) return;
        SeqBuffer.push_back(static_cast<uint8_t>(next));
    }

    if (RunControlInsideSequence()) return;

    TermOp op = kTermOpIgnore;
    TermOpParams params{};
    bool recognised = false;
    if (e.GR == kGSetCodePage) {
        char16_t ch = 0xFFFF;
        size_t used = SeqBuffer.size();
        const uint8_t result =
            HostToUnicode(std::span<const uint8_t>(SeqBuffer.data(), SeqBuffer.size()),
                          commands::Settings.CodePage.Get(), ch, &used);
        if (result == kHostIncomplete) return;
        if (result == kHostChar) {
            op = OpMultibyteCharacter;
            params[0] = ch;
            recognised = true;
            // A broken sequence accounts only for the bytes before the one that
            // broke it; the rest is offered again after the character.
            if (used > 0 && used < SeqBuffer.size()) {
                SeqBufferText rest;
                for (size_t i = used; i < SeqBuffer.size(); ++i) rest.push_back(SeqBuffer[i]);
                x.SequenceText = SeqBuffer;
                SeqBuffer.clear();
                x.QuietLine = x.QuietLineEnd = false;
                RunTermOp(op, params);
                for (size_t i = 0; i < rest.size(); ++i) ExecuteTermOp(rest[i]);
                return;
            }
        }
    }
    if (!recognised) {
        const RecogniseStatus status = DecodeHostSequence(op, params);
        if (status == RecogniseStatus::Incomplete) return;
        if (status == RecogniseStatus::Discard) {
            const bool keepEsc = !SeqBuffer.empty() && SeqBuffer[SeqBuffer.size() - 1] == kEsc;
            SeqBuffer.clear();
            if (keepEsc) SeqBuffer.push_back(kEsc);
            return;
        }
    }

    x.SequenceText = SeqBuffer;
    SeqBuffer.clear();
    FinishTermOp(op, params);
}

bool ExecuteWholeControlSequence(std::span<const uint8_t> waiting, bool escWaiting) {
    if (!SeqBuffer.empty() || EmulatorState.GR == kGSetCodePage || waiting.empty()) return false;
    const uint8_t mask = SevenBitReading() ? 0x7F : 0xFF;
    // Room past the longest sequence, so that a short one is copied whole
    // as one fixed-size block.
    constexpr size_t kBlock = 16;
    uint8_t text[kSeqBufferSize + kBlock];
    TermOp op = kTermOpIgnore;
    TermOpParams params;
    if (!DecodeRememberedDigitsSequence(waiting.data(), waiting.size(), mask, text, op, params))
        return false;
    HostIn().ResumeOutput();
    HostIn().Take(static_cast<uint32_t>(waiting.size() + (escWaiting ? 1 : 0)));
    const size_t length = waiting.size() + 1;
    auto& sequenceText = TermExecutor.SequenceText;
    if (length <= kBlock) {
        std::memcpy(sequenceText.Bytes, text, kBlock);
        sequenceText.Length = static_cast<uint8_t>(length);
    } else {
        sequenceText.assign(text, length);
    }
    FinishTermOp(op, params);
    return true;
}

}  // namespace emulation
