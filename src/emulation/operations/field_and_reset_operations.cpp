#include "emulation/operations/field_and_reset_operations.h"

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/protected_fields.h"
#include "console/screen_buffer.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

namespace emulation {

FieldAndResetOperationsState FieldAndResetOperations;

namespace {

using console::ConsoleLayer;

// The screen operations' hooks stand for the console here too, so that both
// units see the same fields.
uint8_t ProtectedFields() {
    const auto& hooks = ScreenOperations.Hooks;
    return hooks.ProtectedFields();
}

void EraseUnprotected(console::UnprotectedArea area) {
    const auto mode = static_cast<uint8_t>(area);
    const auto& hooks = ScreenOperations.Hooks;
    hooks.EraseUnprotected(mode, false, u' ');
}

uint8_t ByteBeforeFinal() {
    const auto& text = TermExecutor.SequenceText;
    return text.size() >= 2 ? text[text.size() - 2] : 0;
}

void ClearScreen() {
    RunTermOp(OpClearScreen, TermOpParams{});
}

// The status row is drawn anew by the next idle refresh.
void StatusLineChanged() {
    ReceiveLoop.StatusLineDirty = true;
}

void HostStatusOff() {
    ConsoleLayer.HostStatusActive = false;
    FieldAndResetOperations.Hooks.RebuildTitleLine();
    StatusLineChanged();
}

void ClearAllResetOp(TermOp, const TermOpParams&) {
    auto& l = ConsoleLayer;
    l.AttrSelection = 0;
    l.ProtectMode = 0;
    l.ProtectedFields = 0;
    ReceiveLoop.InsertMode = false;
    ClearScreen();
}

void HostStatusOp(TermOp op, const TermOpParams&) {
    if (op == OpHostStatusOff) {
        HostStatusOff();
        return;
    }
    ConsoleLayer.HostStatusActive = true;
    StatusLineChanged();
}

void C332ClearAllOp(TermOp, const TermOpParams&) {
    ClearScreen();
    HostStatusOff();
    ReceiveLoop.KeyboardEnabled = true;
}

void SoftResetOp(TermOp op, const TermOpParams&) {
    SetTerminalType(commands::Settings.TerminalType.View(), true);
    if (op == OpWyseReset) console::GotoRowCol(1, 1);
}

void TabToFieldOp(TermOp, const TermOpParams&) {
    console::TabField(true, commands::Settings.TabStops);
}

void TvTabOp(TermOp op, const TermOpParams& p) {
    if (ProtectedFields() == 2) {
        TabToFieldOp(op, p);
        return;
    }
    TermOpParams once{};
    once[0] = 1;
    RunTermOp(OpHorizontalTab, once);
}

void EraseUnprotectedToEndOp(TermOp, const TermOpParams&) {
    EraseUnprotected(console::UnprotectedArea::ToScreenEnd);
}

void SelectiveEraseOp(TermOp op, const TermOpParams& p) {
    using console::UnprotectedArea;
    // Other selections than 0, 1 and 2 erase nothing.
    if (p[0] < 0 || p[0] > 2) return;
    static constexpr UnprotectedArea kDisplay[] = {UnprotectedArea::ToScreenEnd,
                                                   UnprotectedArea::FromScreenStart,
                                                   UnprotectedArea::WholeScreen};
    static constexpr UnprotectedArea kLine[] = {
        UnprotectedArea::ToLineEnd, UnprotectedArea::FromLineStart, UnprotectedArea::WholeLine};
    EraseUnprotected(op == OpSelectiveEraseDisplay ? kDisplay[p[0]] : kLine[p[0]]);
}

void UnprotectedLineOp(TermOp op, const TermOpParams&) {
    if (op == OpC332InsertLineUnprotected) {
        console::InsertLinesUnprotected(1);
    } else {
        console::DeleteLinesUnprotected(1);
    }
}

void CsiTOp(TermOp op, const TermOpParams& p) {
    if (ByteBeforeFinal() == '$') RectangleOperationsPending(op, p);
}

void ResetToInitialStateOp(TermOp, const TermOpParams& p) {
    const uint8_t family = EmulatorState.EmulationFamily;
    RunTermOp(family == kEmulationScoAnsi ? OpScoReset
              : family == kEmulationLinux ? OpLinuxReset
                                          : OpClearScreen,
              p);
}

void GraphicsModeLeaveOp(TermOp, const TermOpParams&) {
    ConsoleLayer.Hooks.GraphicsLeave();
    console::ClrScr();
    // What graphics drew lies outside the text rows too; the status row
    // comes back with the next idle refresh.
    console::ClearWindowScreen();
    StatusLineChanged();
}

void SixelEndOp(TermOp, const TermOpParams&) {
    EmulatorState.GL = EmulatorState.SavedGL;
}

constexpr TermOpBinding kBindings[] = {
    {OpClearAllReset, ClearAllResetOp},
    {OpGraphicsModeLeave, GraphicsModeLeaveOp},
    {OpSixelEnd, SixelEndOp},
    {OpHostStatusOff, HostStatusOp},
    {OpHostStatusOn, HostStatusOp},
    {OpSoftReset, SoftResetOp},
    {OpWyseReset, SoftResetOp},
    {OpTabToField, TabToFieldOp},
    {OpTvTab, TvTabOp},
    {OpEraseUnprotectedToEnd, EraseUnprotectedToEndOp},
    {OpSelectiveEraseDisplay, SelectiveEraseOp},
    {OpSelectiveEraseLine, SelectiveEraseOp},
    {OpC332ClearAll, C332ClearAllOp},
    {OpCsiT, CsiTOp},
    {OpResetToInitialState, ResetToInitialStateOp},
    {OpC332InsertLineUnprotected, UnprotectedLineOp},
    {OpC332DeleteLineUnprotected, UnprotectedLineOp},
};

}  // namespace

void NoTitleLineRebuild() {}

std::span<const TermOpBinding> FieldAndResetOperationBindings() {
    return kBindings;
}

void RegisterFieldAndResetOperations() {
    for (const TermOpBinding& binding : kBindings) RegisterTermOp(binding.Op, binding.Handler);
}

}  // namespace emulation
