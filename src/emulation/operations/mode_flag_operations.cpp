#include "emulation/operations/mode_flag_operations.h"

#include <string_view>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/report_operations.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

namespace emulation {

using enum commands::GSetCode;

namespace {

using console::ConsoleLayer;

constexpr uint8_t kEm = 0x19;

// The set a TV965 bank takes for the set bytes 0x40 to 0x48.
constexpr commands::GSetCode kTvBankSets[9] = {kGSetAsciiAlt, kGSetAsciiAlt, kGSetAsciiAlt,
                                               kGSetAsciiAlt, kGSetAscii,    kGSetOemUpper,
                                               kGSetAscii,    kGSetAscii,    kGSetAscii};

// The family tables are shared constants but for ColumnChangeClear, which the
// current family's own entry keeps.
void SetColumnChangeClear(uint8_t value) {
    for (TermFamilyTable* family : TermFamilies)
        if (family == EmulatorState.CurrentTermFamily) family->ColumnChangeClear = value;
}

}  // namespace

bool BankFromByte(int32_t byte, uint8_t& bank) {
    if (byte < '0' || byte > '3') return false;
    bank = static_cast<uint8_t>(byte - '0');
    return true;
}

void SetCursorVisible(bool visible) {
    ConsoleLayer.CursorVisible = visible;
    // Placing the caret may wait for output to settle, so the cell cursor
    // leaves its cell now.
    if (!visible) console::HideAttrCursor();
    console::ClampCursor();
}

void WrapStyleOp(TermOp op, const TermOpParams&) {
    auto& e = EmulatorState;
    switch (op) {
        case OpAutoWrapStay:
            e.WrapStyle = kWrapStay;
            break;
        case OpAutoWrapImmediate:
            e.WrapStyle = kWrapAtOnce;
            break;
        case OpAutoWrapOn: {
            const uint8_t family = e.EmulationFamily;
            e.WrapStyle =
                (family == kEmulationVt || family == kEmulationOwn || family == kEmulationLinux)
                    ? kWrapDeferred
                    : kWrapAtOnce;
            break;
        }
        default:
            break;
    }
}

void ProtectOp(TermOp op, const TermOpParams&) {
    auto& l = ConsoleLayer;
    switch (op) {
        case OpTvGraphicsOn:
            EmulatorState.GL = kGSetTv965Graphics;
            l.ProtectMode = 1;
            break;
        case OpWriteProtectOn:
            l.ProtectMode = 1;
            break;
        case OpWriteProtectOff:
        case OpSelectUnprotectedWrite:
            l.ProtectMode = 0;
            break;
        case OpSelectProtectedWrite:
            l.ProtectMode = 2;
            break;
        case OpProtectFieldsOn:
            l.ProtectedFields = 1;
            l.ScrollOn = false;
            break;
        case OpProtectFieldsOnTv:
            l.ProtectedFields = 2;
            l.ScrollOn = false;
            break;
        case OpProtectFieldsOff:
            l.ProtectedFields = 0;
            l.ScrollOn = true;
            break;
        default:
            break;
    }
}

void CharBankOp(TermOp op, const TermOpParams& p) {
    auto& e = EmulatorState;
    uint8_t bank = 0;
    switch (op) {
        case OpLoadCharBankTv:
            if (BankFromByte(p[0], bank) && p[1] >= 0x40 && p[1] <= 0x48)
                e.CharBanks[bank] = kTvBankSets[p[1] - 0x40];
            break;
        case OpSelectPrimaryBank:
            // Only the low two bits of the digit count here.
            e.GSlots[0] = e.CharBanks[static_cast<uint32_t>(p[0] - '0') & 3];
            break;
        case OpSelectSecondaryBank:
            if (BankFromByte(p[0], bank)) e.GSlots[1] = e.CharBanks[bank];
            break;
        default:
            break;
    }
}

void TerminalModeOp(TermOp op, const TermOpParams& p) {
    auto& s = commands::Settings;
    switch (op) {
        case OpSetDuplex:
            if (p[0] == 'F') s.FullDuplex = 1;
            if (p[0] == 'H') s.FullDuplex = 0;
            break;
        case OpScrollModeOn:
            ConsoleLayer.ScrollOn = true;
            break;
        case OpScrollModeOff:
            ConsoleLayer.ScrollOn = false;
            break;
        case OpCursorKeysApplication:
            EmulatorState.CursorKeyMode = true;
            break;
        case OpCursorKeysNormal:
            EmulatorState.CursorKeyMode = false;
            break;
        case OpInsertModeOn:
            ReceiveLoop.InsertMode = true;
            break;
        case OpInsertModeOff:
            ReceiveLoop.InsertMode = false;
            break;
        case OpInsertModeToggle:
            ReceiveLoop.InsertMode = !ReceiveLoop.InsertMode;
            break;
        case OpPropagateOn:
            s.Propagate = 1;
            break;
        case OpPropagateOff:
            s.Propagate = 0;
            break;
        case OpColumnChangeClearWhenChanged:
            SetColumnChangeClear(2);
            break;
        case OpColumnChangeNoClear:
            SetColumnChangeClear(1);
            break;
        case OpMouseTrackingOn:
            ConsoleLayer.MouseReporting = 2;
            break;
        case OpMouseTrackingOff:
            ConsoleLayer.MouseReporting = 0;
            break;
        case OpSevenBitControls:
            TermExecutor.EightBitControls = false;
            break;
        case OpEightBitControls:
            TermExecutor.EightBitControls = true;
            break;
        default:
            break;
    }
}

void EnquiryFlagOp(TermOp op, const TermOpParams&) {
    auto& s = commands::Settings;
    switch (op) {
        case OpEnqReplyOn:
            s.TermFlag1702 = 1;
            break;
        case OpEnqReplyOff:
            s.TermFlag1702 = 0;
            break;
        case OpEnqMessageOn:
            s.TermFlag1703 = 1;
            break;
        case OpEnqMessageOff:
            s.TermFlag1703 = 0;
            break;
        default:
            break;
    }
}

void SetAnswerBackOp(TermOp, const TermOpParams&) {
    // ESC c ; opens the text and EM ends it.
    constexpr size_t kOpening = 3;
    const auto& text = TermExecutor.SequenceText;
    if (text.size() <= kOpening || text[text.size() - 1] != kEm) return;
    const std::string_view all = text.view();
    commands::Settings.AnswerBack.Assign(all.substr(kOpening, all.size() - kOpening - 1));
}

void CursorLookOp(TermOp op, const TermOpParams& p) {
    auto& s = commands::Settings;
    switch (op) {
        case OpCursorHide:
            SetCursorVisible(false);
            break;
        case OpCursorShow:
            SetCursorVisible(true);
            break;
        case OpScoCursorShape:
            SetCursorVisible(p[0] < 21 && p[0] <= p[1]);
            break;
        case OpScoCursorVisible:
            // The DEC terminals read ESC [ = c as the request for their unit id.
            if (EmulatorState.EmulationFamily == kEmulationVt) {
                TertiaryDeviceAttributes();
                break;
            }
            if (p[0] == 0) SetCursorVisible(false);
            if (p[0] == 1 || p[0] == 2) SetCursorVisible(true);
            break;
        case OpCursorSteadyLine:
        case OpCursorBlinkingLine:
        case OpCursorSteadyBlock:
        case OpCursorBlinkingBlock:
            s.BlockCursor = (op == OpCursorSteadyBlock || op == OpCursorBlinkingBlock) ? 1 : 0;
            SetCursorVisible(true);
            // A steady cursor is the reverse-video cell; a blinking one the window caret.
            console::SetAttrCursorMode(op == OpCursorSteadyLine || op == OpCursorSteadyBlock);
            break;
        default:
            break;
    }
}

namespace {

constexpr TermOpBinding kBindings[] = {
    {OpTvGraphicsOn, ProtectOp},
    {OpLoadCharBankTv, CharBankOp},
    {OpSelectPrimaryBank, CharBankOp},
    {OpSelectSecondaryBank, CharBankOp},
    {OpAutoWrapStay, WrapStyleOp},
    {OpAutoWrapImmediate, WrapStyleOp},
    {OpAutoWrapOn, WrapStyleOp},
    {OpWriteProtectOn, ProtectOp},
    {OpWriteProtectOff, ProtectOp},
    {OpProtectFieldsOn, ProtectOp},
    {OpProtectFieldsOnTv, ProtectOp},
    {OpProtectFieldsOff, ProtectOp},
    {OpSelectProtectedWrite, ProtectOp},
    {OpSelectUnprotectedWrite, ProtectOp},
    {OpSetDuplex, TerminalModeOp},
    {OpScrollModeOn, TerminalModeOp},
    {OpScrollModeOff, TerminalModeOp},
    {OpCursorKeysApplication, TerminalModeOp},
    {OpCursorKeysNormal, TerminalModeOp},
    {OpInsertModeOn, TerminalModeOp},
    {OpInsertModeOff, TerminalModeOp},
    {OpInsertModeToggle, TerminalModeOp},
    {OpPropagateOn, TerminalModeOp},
    {OpPropagateOff, TerminalModeOp},
    {OpColumnChangeClearWhenChanged, TerminalModeOp},
    {OpColumnChangeNoClear, TerminalModeOp},
    {OpMouseTrackingOn, TerminalModeOp},
    {OpMouseTrackingOff, TerminalModeOp},
    {OpEnqReplyOn, EnquiryFlagOp},
    {OpEnqReplyOff, EnquiryFlagOp},
    {OpEnqMessageOn, EnquiryFlagOp},
    {OpEnqMessageOff, EnquiryFlagOp},
    {OpSetAnswerBack, SetAnswerBackOp},
    {OpCursorHide, CursorLookOp},
    {OpCursorShow, CursorLookOp},
    {OpScoCursorShape, CursorLookOp},
    {OpCursorSteadyLine, CursorLookOp},
    {OpCursorBlinkingLine, CursorLookOp},
    {OpCursorSteadyBlock, CursorLookOp},
    {OpCursorBlinkingBlock, CursorLookOp},
    {OpScoCursorVisible, CursorLookOp},
    {OpSevenBitControls, TerminalModeOp},
    {OpEightBitControls, TerminalModeOp},
};

}  // namespace

std::span<const TermOpBinding> ModeFlagOperationBindings() {
    return kBindings;
}

}  // namespace emulation
