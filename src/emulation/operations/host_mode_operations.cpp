#include "emulation/operations/host_mode_operations.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/idle_refresh.h"
#include "console/tick_clock.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/mode_flag_operations.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/report_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "emulation/text/host_char_display.h"
#include "emulation/types/term_types.h"

namespace emulation {

using enum commands::GSetCode;

HostModeOperationsState HostModeOperations;

namespace {

using commands::Settings;
using console::ConsoleLayer;

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kStringTerminator = 0x9C;
constexpr uint8_t kUnixHost = 7;

bool UnixHostXoff() {
    return ReceiveLoop.HostXoff && Settings.HostType == kUnixHost;
}

// Paces line-by-line uploads: the host's prompt for the next line frees the
// keyboard only after the configured line delay.
void LineDelay() {
    if (!ReceiveLoop.KeyboardLocked) console::FineDelay(Settings.AsciiLineDelay.Get());
}

void LockKeyboard() {
    ReceiveLoop.KeyboardEnabled = false;
}

void UnlockKeyboard() {
    TermExecutor.QuietLine = false;
    ReceiveLoop.KeyboardEnabled = true;
    LineDelay();
}

void RunOperation(TermOp op, const TermOpParams& p) {
    if (TermOpHandler handler = TermOpHandlerFor(op)) handler(op, p);
}

void Reply(std::string_view text) {
    auto& reply = TermExecutor.Reply;
    reply.clear();
    for (char c : text) reply.push_back(static_cast<uint8_t>(c));
}

// The set a Wyse bank takes for the set bytes 0x40-0x48 and 0x60-0x6A.
constexpr commands::GSetCode kBankSetsUpper[9] = {
    kGSetAsciiAlt,  kGSetOemUpper,      kGSetAsciiAlt,  kGSetWyseSymbols, kGSetAscii,
    kGSetWyseBoxes, kGSetTv965Graphics, kGSetAsciiBank, kGSetAsciiBank};
constexpr commands::GSetCode kBankSetsLower[11] = {
    kGSetAsciiAlt, kGSetOemUpper, kGSetAscii, kGSetAsciiAlt, kGSetAsciiAlt, kGSetAscii,
    kGSetAscii,    kGSetAscii,    kGSetAscii, kGSetAscii,    kGSetAscii};

}  // namespace

uint8_t GraphicsCounterpart(uint8_t set) {
    switch (set) {
        case kGSetAsciiAlt:
            return kGSetControlPictures;
        case kGSetOemUpper:
            return kGSetC1Pictures;
        case kGSetAscii:
            return kGSetControlGlyphs;
        default:
            return set;
    }
}

uint8_t NormalCounterpart(uint8_t set) {
    switch (set) {
        case kGSetControlPictures:
            return kGSetAsciiAlt;
        case kGSetC1Pictures:
            return kGSetOemUpper;
        case kGSetControlGlyphs:
            return kGSetAscii;
        default:
            return set;
    }
}

void ShowInGraphicsCounterpart(uint8_t byte) {
    auto& e = EmulatorState;
    const uint8_t saved = e.GL;
    const bool singleShift = e.SingleShiftPending;
    e.GL = GraphicsCounterpart(saved);
    ShowHostByte(byte);
    // A single shift that the byte ended has returned GL to G0, which stands;
    // otherwise the set that was in GL comes back.
    if (!singleShift || e.SingleShiftPending) e.GL = saved;
}

void KeyboardLockOp(TermOp op, const TermOpParams&) {
    if (op == OpLockKeyboard)
        LockKeyboard();
    else
        UnlockKeyboard();
}

void BellOp(TermOp, const TermOpParams&) {
    TermExecutor.QuietLine = false;
    ReceiveLoop.KeyboardLocked = UnixHostXoff();
    if (ReceiveLoop.KeyboardEnabled) LineDelay();
    switch (Settings.BeepMode) {
        case 1:
            console::BeepTone(Settings.BeepPitch.Get());
            break;
        case 2:
            Keyboard.SlowBeepPending = true;
            break;
        default:
            break;
    }
    console::StatusIdleUpdate();
}

void HostFlowOp(TermOp op, const TermOpParams&) {
    auto& r = ReceiveLoop;
    if (op == OpDc3Received) {
        if (Settings.HostType == kUnixHost) r.HostXoff = true;
        return;
    }
    if (UnixHostXoff()) {
        r.HostXoff = false;
    } else if (Settings.RemoteCmd11 != 0) {
        HostModeOperations.Hooks.ReceiveHostCommand();
        TermExecutor.QuietLine = false;
    }
}

// FS, and RS where the family gives it the same meaning, start a host
// command string when the settings let the host send them that way.
void HostCommandFsRsOp(TermOp, const TermOpParams&) {
    if (Settings.RemoteCmd1C == 0) return;
    HostModeOperations.Hooks.ReceiveHostCommand();
    TermExecutor.QuietLine = false;
}

void NoHostCommand() {}

void GraphicsCounterpartOp(TermOp op, const TermOpParams& p) {
    auto& e = EmulatorState;
    switch (op) {
        case OpGraphicCharacter:
            ShowInGraphicsCounterpart(static_cast<uint8_t>(p[0]));
            break;
        case OpGraphicsOn:
            e.GL = GraphicsCounterpart(e.GL);
            break;
        case OpGraphicsOff:
            e.GL = NormalCounterpart(e.GL);
            break;
        default:
            break;
    }
}

void LoadCharBankOp(TermOp, const TermOpParams& p) {
    // Only banks 0-3 exist; another bank byte must not reach past them.
    uint8_t bank = 0;
    if (!BankFromByte(p[0], bank)) return;
    const int32_t setByte = p[1];
    if (setByte >= 0x40 && setByte <= 0x48) {
        EmulatorState.CharBanks[bank] = kBankSetsUpper[setByte - 0x40];
    } else if (setByte >= 0x60 && setByte <= 0x6A) {
        EmulatorState.CharBanks[bank] = kBankSetsLower[setByte - 0x60];
    }
}

// Under origin mode the position is counted from the margins' corner, as the
// host addresses the cursor there.
void CursorPositionReportOp(TermOp, const TermOpParams&) {
    int32_t row = ReportRow();
    int32_t column = ReportColumn();
    if (ScreenOperations.OriginMode) {
        const auto& l = ConsoleLayer;
        row = std::max(row - l.TopMargin + 1, 1);
        column = std::max(column - l.LeftMargin + 1, 1);
    }
    Reply("\x1B[" + std::to_string(row) + ";" + std::to_string(column) + "R");
}

void C332VtModeOp(TermOp op, const TermOpParams&) {
    if (op == OpC332VtModeOn) {
        Settings.TerminalType.Assign("VT220");
        SetTerminalType("VT220", true);
        EmulatorState.C332Mode = true;
        return;
    }
    Settings.TerminalType.Assign("C332");
    SetTerminalType("C332", true);
    if (SecondKeySetActive()) UseSecondKeySet(false);
}

void MouseReportModeOp(TermOp, const TermOpParams& p) {
    auto& l = ConsoleLayer;
    const int32_t mask = p[0];
    if ((mask & 3) == 0) {
        l.MouseReporting = 0;
        return;
    }
    l.MouseReporting = 1;
    l.MouseEvents = {(mask & 2) != 0,    (mask & 1) != 0,     (mask & 0x40) != 0,
                     (mask & 0x20) != 0, (mask & 0x800) != 0, (mask & 0x400) != 0};
    l.MouseLastCol = 0;
    l.MouseLastRow = 0;
}

void AnsiModeOp(TermOp op, const TermOpParams& p) {
    const bool set = op == OpSetMode;
    for (const int32_t mode : p) {
        switch (mode) {
            case 2:
                if (set)
                    LockKeyboard();
                else
                    UnlockKeyboard();
                break;
            case 4:
                ReceiveLoop.InsertMode = set;
                break;
            case 12:
                Settings.FullDuplex = set ? 1 : 0;
                break;
            case 20:
                EmulatorState.NewLineMode = set;
                break;
            default:
                break;
        }
    }
}

void PrivateModeOp(TermOp op, const TermOpParams& p) {
    const bool set = op == OpSetPrivateMode;
    auto& e = EmulatorState;
    for (const int32_t mode : p) {
        switch (mode) {
            case 1:
                e.CursorKeyMode = set;
                break;
            case 3:
                RunOperation(set ? OpColumns132 : OpColumns80, {});
                break;
            case 6:
                RunOperation(set ? OpOriginModeOn : OpOriginModeOff, {});
                break;
            case 7:
                if (!set)
                    e.WrapStyle = kWrapStay;
                else
                    e.WrapStyle =
                        (e.EmulationFamily == kEmulationVt || e.EmulationFamily == kEmulationOwn)
                            ? kWrapDeferred
                            : kWrapAtOnce;
                break;
            case 25:
                SetCursorVisible(set);
                break;
            case 67:
                Settings.BackspaceChar = set ? 8 : 127;
                break;
            default:
                break;
        }
    }
}

void C332ModeOp(TermOp op, const TermOpParams& p) {
    const bool set = op == OpC332SetMode;
    switch (p[0]) {
        case 62:
            if (!set) {
                SetCursorVisible(false);
            } else if (p[1] >= 0 && p[1] <= 3) {
                const bool cell = p[1] <= 1;
                Settings.BlockCursor = cell ? 1 : 0;
                console::SetAttrCursorMode(cell);
                ConsoleLayer.CursorVisible = true;
                if (p[1] == 1)
                    console::PlaceCaret();
                else
                    console::ClampCursor();
            }
            break;
        case 63:
            Settings.FullDuplex = set ? 0 : 1;
            break;
        case 65:
            Settings.AutoLF = set ? 1 : 0;
            break;
        default:
            break;
    }
}

void RequestSettingReplyOp(TermOp, const TermOpParams&) {
    const std::string_view text = TermExecutor.SequenceText.view();
    // The request is the two bytes after the DCS's "$q".
    const size_t header = text.find("$q", 2);
    if (header == std::string_view::npos || text.size() < header + 4) return;
    const std::string_view request = text.substr(header + 2, 2);
    std::string answer;
    if (request == "*|") {
        answer = "\x1BP1$r" + std::to_string(ConsoleLayer.ScreenRows) + "*|";
    } else if (request == "\"p") {
        answer = "\x1BP1$r64;1\"p";
    } else {
        return;
    }
    // The executor turns the leading ESC P into its C1 form; the terminator
    // is this reply's own.
    if (TermExecutor.EightBitControls) {
        answer.push_back(static_cast<char>(kStringTerminator));
    } else {
        answer.push_back(static_cast<char>(kEsc));
        answer.push_back('\\');
    }
    Reply(answer);
}

namespace {

constexpr TermOpBinding kBindings[] = {
    {OpBell, BellOp},
    {OpLockKeyboard, KeyboardLockOp},
    {OpUnlockKeyboard, KeyboardLockOp},
    {OpDc1Received, HostFlowOp},
    {OpDc3Received, HostFlowOp},
    {OpHostCommandFsRs, HostCommandFsRsOp},
    {OpGraphicCharacter, GraphicsCounterpartOp},
    {OpGraphicsOn, GraphicsCounterpartOp},
    {OpGraphicsOff, GraphicsCounterpartOp},
    {OpLoadCharBank, LoadCharBankOp},
    {OpCursorPositionReport, CursorPositionReportOp},
    {OpC332VtModeOn, C332VtModeOp},
    {OpC332VtModeOff, C332VtModeOp},
    {OpMouseReportMode, MouseReportModeOp},
    {OpSetMode, AnsiModeOp},
    {OpResetMode, AnsiModeOp},
    {OpSetPrivateMode, PrivateModeOp},
    {OpResetPrivateMode, PrivateModeOp},
    {OpC332SetMode, C332ModeOp},
    {OpC332ResetMode, C332ModeOp},
    {OpRequestSettingReply, RequestSettingReplyOp},
};

}  // namespace

std::span<const TermOpBinding> HostModeOperationBindings() {
    return kBindings;
}

}  // namespace emulation
