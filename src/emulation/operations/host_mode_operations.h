#pragma once
// The terminal operations that change modes rather than the screen: the
// keyboard lock, the bell and the host's flow control, the graphics
// counterpart of GL and the Wyse character banks, the host's switches between
// the C332 and VT220 types, the ANSI, DEC private and C332 modes, mouse
// reporting, and the cursor-position and setting-request replies.

#include <cstdint>
#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// What these operations need from units they do not own.
// Until host commands arrive, DC1 takes no command.
void NoHostCommand();

struct HostModeHooks {
    // Reads the command string a host sends after DC1 and runs it; empty:
    // nothing is read (the host-command reader is still to come).
    void (*ReceiveHostCommand)() = NoHostCommand;
};

struct HostModeOperationsState {
    HostModeHooks Hooks;
};

extern HostModeOperationsState HostModeOperations;

// The graphics set that pairs with a normal set (3 and 4, 6 and 5, 0 and 7),
// and the normal set that pairs with a graphics set; other sets are their own.
uint8_t GraphicsCounterpart(uint8_t set);
uint8_t NormalCounterpart(uint8_t set);
// Shows one received byte with GL replaced by its graphics counterpart for
// that byte only.
void ShowInGraphicsCounterpart(uint8_t byte);

std::span<const TermOpBinding> HostModeOperationBindings();
void RegisterHostModeOperations();

void KeyboardLockOp(TermOp op, const TermOpParams& p);
void BellOp(TermOp op, const TermOpParams& p);
void HostFlowOp(TermOp op, const TermOpParams& p);
void GraphicsCounterpartOp(TermOp op, const TermOpParams& p);
void LoadCharBankOp(TermOp op, const TermOpParams& p);
void CursorPositionReportOp(TermOp op, const TermOpParams& p);
void C332VtModeOp(TermOp op, const TermOpParams& p);
void MouseReportModeOp(TermOp op, const TermOpParams& p);
void AnsiModeOp(TermOp op, const TermOpParams& p);
void PrivateModeOp(TermOp op, const TermOpParams& p);
void C332ModeOp(TermOp op, const TermOpParams& p);
void RequestSettingReplyOp(TermOp op, const TermOpParams& p);

}  // namespace emulation
