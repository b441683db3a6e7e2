#include "emulation/input/keyboard.h"

#include <algorithm>

#include "commands/function_table.h"
#include "commands/gset_code.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/idle_refresh.h"
#include "console/key_input.h"
#include "console/key_names.h"
#include "console/key_queue.h"
#include "console/messages.h"
#include "console/status_line.h"
#include "console/terminal_window.h"
#include "console/tick_clock.h"
#include "emulation/input/macros.h"
#include "emulation/main_routine.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "emulation/text/national_charsets.h"
#include "emulation/types/term_types.h"
#include "printing/print_interface.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"

namespace emulation {

using enum commands::GSetCode;

// The hooks reach the real units from the start, as the session services do.
KeyboardState Keyboard = [] {
    KeyboardState state;
    state.Hooks = DefaultKeyboardHooks();
    return state;
}();

namespace {

using commands::Settings;

constexpr uint16_t kMessageUnableToTransmit = 909;
constexpr uint16_t kMessageFunctionPrompt = 926;
constexpr uint16_t kMessageInvalidFunction = 607;
constexpr int32_t kIdleBeepTicks = 1080;
// Queued wide text goes out in batches of about this many bytes.
constexpr size_t kWideBatch = 240;
constexpr size_t kMacroBatch = 255;

KeyboardHooks& H() {
    return Keyboard.Hooks;
}

bool SendByte(uint8_t b) {
    return H().SendByte(b);
}

bool SendString(std::string_view bytes) {
    return H().SendString(bytes);
}

// A key's bytes to the host; a send that fails says so on the screen.
void TransmitOrReport(std::string_view text, uint8_t mode) {
    if (!TransmitString(text, mode)) H().WriteMessage(kMessageUnableToTransmit);
}

uint8_t AnsiUpper(uint8_t c) {
    if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 32);
    // The Latin-1 letters of the ANSI page; the division sign and y-diaeresis have no capital here.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<uint8_t>(c - 32);
    return c;
}

// What a typed CR does besides sending itself: lock the keyboard until the
// host answers and restart the host time-out.
void AfterCarriageReturn() {
    ReceiveLoop.KeyboardLocked = true;
    if (Settings.NoKeyboardLock == 0 && Settings.HostType == 1) ReceiveLoop.KeyboardEnabled = false;
    ReceiveLoop.TimeoutDeadline = 0;
}

// The last step: one character due from the keyboard, a macro or a reply.
void SendDueChar(uint8_t ch) {
    Keyboard.IdleBeepArmed = false;
    bool ok;
    if (ch == '\t') {
        ok = TransmitString(ExpandTab(), kEncodingUnchanged);
    } else {
        const char one = static_cast<char>(ch);
        ok = TransmitString(std::string_view(&one, 1), kEncodingAnsi);
    }
    if (ok && ch == '\r') {
        AfterCarriageReturn();
        if (ReceiveLoop.NcrMode)
            ok = TransmitString("\x07\x02", kEncodingUnchanged);
        else if (Settings.AutoLF != 0 || EmulatorState.NewLineMode)
            ok = TransmitString("\n", kEncodingUnchanged);
    }
    if (!ok) H().WriteMessage(kMessageUnableToTransmit);
}

// Wide text through KeyToHostCode, in batches; stops at the first failed send.
bool SendWideText(std::u16string_view text) {
    std::string batch;
    for (char16_t ch : text) {
        batch += KeyToHostCode(ch);
        if (batch.size() > kWideBatch) {
            if (!TransmitString(batch, kEncodingUnchanged)) return false;
            batch.clear();
        }
    }
    return TransmitString(batch, kEncodingUnchanged);
}

void EmptyRingAndStopMacros() {
    Keyboard.KeyRing.Clear();
    H().StopMacros();
}

// The next byte of a multibyte key: from the ring, else from the key queue.
bool NextKeyByte(uint8_t& b) {
    uint16_t key = 0;
    if (Keyboard.KeyRing.Take(key)) {
        if (key > 255) return false;
        b = static_cast<uint8_t>(key);
        return true;
    }
    if (H().KeyPressed()) {
        key = H().ReadKeyCode();
        if (key > 255) return false;
        b = static_cast<uint8_t>(key);
        return true;
    }
    return false;
}

// A typed character from 128 up that the settings route through Unicode.
// True when it was handled (sent or dropped).
bool SendHighCharacter(uint8_t ch) {
    if (Settings.KeyFlag3972 != 0 && Settings.KeyFlag3971 != 0) {
        uint8_t bytes[4] = {ch};
        size_t n = 1;
        char16_t wide = 0xFFFF;
        uint8_t result = HostToUnicode(std::span<const uint8_t>(bytes, n), kCharsetUtf8, wide);
        // A UTF-8 character is at most four bytes, so the buffer can never overflow.
        while (result == kHostIncomplete && n < sizeof bytes && NextKeyByte(bytes[n])) {
            ++n;
            result = HostToUnicode(std::span<const uint8_t>(bytes, n), kCharsetUtf8, wide);
        }
        if (result != kHostChar || wide == 0xFFFF) wide = u'?';
        if (!TransmitString(KeyToHostCode(wide), kEncodingUnchanged))
            H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    const uint32_t hostPage = Settings.CodePage.Get();
    auto& pages = platform::CurrentCodePages();
    const uint32_t keyboardPage = pages.AnsiCodePage();
    if (EmulatorState.GR == kGSetCodePage && Settings.KeyFlag3971 != 0 &&
        keyboardPage != hostPage) {
        uint8_t bytes[2] = {ch, 0};
        size_t n = 1;
        if (pages.IsLeadByte(keyboardPage, ch) && NextKeyByte(bytes[1])) n = 2;
        char16_t wide[2] = {};
        if (pages.ToWide(keyboardPage, bytes, n, 0, wide, 2) == 1) {
            if (!TransmitString(UnicodeToHost(wide[0], hostPage), kEncodingUnchanged))
                H().WriteMessage(kMessageUnableToTransmit);
        }
        return true;
    }
    return false;
}

// The first step of every call, and the abort's clean-up of what waits.
void ReassertAndPoll() {
    // The receive loop ends each pass with the same rule.
    if (Settings.NoKeyboardLock == 1) ReceiveLoop.KeyboardLocked = false;
    if (ReceiveLoop.HostXoff && Settings.HostType == 7) ReceiveLoop.KeyboardLocked = true;
    PollKeyboard(true);
    if (Keyboard.AbortRequested) {
        Keyboard.RetransmitPending = false;
        commands::Interpreter.FunctionReply = "";
        H().FreePasteBuffer();
    }
}

// Serves the not-ready state; true when the keyboard may not send.
bool NotReady() {
    const bool quietWait = Keyboard.QuietWaitSeconds != 0;
    if (ReceiveLoop.KeyboardEnabled && !ReceiveLoop.KeyboardLocked &&
        ReceiveLoop.WaitForText.Length() == 0 && !quietWait)
        return false;
    if (ReceiveLoop.WaitForText.Length() != 0 &&
        console::DeadlinePassed(ReceiveLoop.WaitForDeadline)) {
        ReceiveLoop.WaitForText = "";
        ReceiveLoop.StatusLineDirty = true;
        RunErrorKeyMacro();
    }
    if (quietWait && !connections::CommInputReady(0)) {
        // In 64 bits: a long quiet wait must not wrap round to a short one.
        const uint32_t elapsed = H().Milliseconds() - Keyboard.QuietWaitStart;
        if (elapsed > uint64_t{Keyboard.QuietWaitSeconds} * 1000u) Keyboard.QuietWaitSeconds = 0;
    }
    if (Keyboard.KeyLockTimeout > 0) {
        if (ReceiveLoop.TimeoutDeadline == 0) {
            ReceiveLoop.TimeoutDeadline =
                (H().Ticks() + static_cast<int32_t>(Keyboard.KeyLockTimeout) * 18 / 10) %
                console::TicksPerDay;
            if (ReceiveLoop.TimeoutDeadline == 0)
                ReceiveLoop.TimeoutDeadline = console::TicksPerDay;
        } else if (console::DeadlinePassed(ReceiveLoop.TimeoutDeadline)) {
            ReceiveLoop.TimeoutDeadline = 0;
            H().HostTimeoutExpired();
        }
    }
    return true;
}

// A playing macro: plain keys in one batch, then the key that stopped it.
// True when the macro had something.
bool ServeMacro() {
    if (H().MacroMode() != 1) return false;
    std::string text;
    uint16_t stop = 0;
    bool stopIsChar = false;
    bool first = true;
    bool any = false;
    while (text.size() < kMacroBatch) {
        uint16_t key = 0;
        bool isChar = false;
        const bool got = H().NextMacroKey(first, key, isChar);
        first = false;
        if (!got) break;
        any = true;
        if (isChar && key < 128 && key != '\t' && key != 0) {
            text.push_back(static_cast<char>(key));
            if (key == '\r') break;
            continue;
        }
        stop = key;
        stopIsChar = isChar;
        break;
    }
    if (!any) return false;
    if (!text.empty()) {
        if (text.back() == '\r') AfterCarriageReturn();
        if (!TransmitString(ToEightBitControls(text), kEncodingUnchanged))
            H().WriteMessage(kMessageUnableToTransmit);
    }
    if (stop == 0) return true;
    if (!stopIsChar && (stop == kKeyF4 || stop == kKeyF6)) {
        HandleHotKey(stop, false, true);
    } else if (stopIsChar && (stop == '\r' || stop == '\t')) {
        SendDueChar(static_cast<uint8_t>(stop));
    } else if (stopIsChar) {
        // A character of the macro text, which may lie beyond the byte range.
        TransmitOrReport(KeyToHostCode(static_cast<char16_t>(stop)), kEncodingUnchanged);
    } else {
        TransmitOrReport(TermKeySequence(stop).view(), kEncodingUnchanged);
    }
    return true;
}

// A typed key from the ring; false when the ring is empty.
bool ServeTypedKey() {
    uint16_t key = 0;
    if (!Keyboard.KeyRing.Take(key)) return false;
    const uint8_t macroMode = H().MacroMode();
    const bool hasMacro = H().MacroExists(key);
    if (key == '\r' && macroMode == 2) {
        H().SetMacroMode(1);
        return true;
    }
    if ((key >= 256 || key < 32) && hasMacro) {
        H().StartMacro(key, 0);
        return true;
    }
    if (IsTermKey(key)) {
        if (!TransmitString(ToEightBitControls(TermKeySequence(key).view()), kEncodingAnsi))
            H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    if (SameKeyAnyShift(kKeyF3, key)) {
        // Every family takes the add-128 form of the prompt.
        const uint8_t b = H().PromptFuncKey(true);
        if (b != 0) SendDueChar(b);
        return true;
    }
    if (SameKeyAnyShift(kKeyF1, key)) {
        uint16_t next = 0;
        if (!Keyboard.KeyRing.Take(next))
            TransmitKeyPrompt();
        else
            H().StartMacro(next, 0);
        return true;
    }
    if (key == 8 || key >= 256) {
        TransmitOrReport(ToEightBitControls(TermKeySequence(key).view()), kEncodingUnchanged);
        return true;
    }
    if (key == 0) return true;
    uint8_t ch = static_cast<uint8_t>(key);
    if (Settings.UpperCaseKeys != 0) ch = AnsiUpper(ch);
    if (ch == 128 && Settings.EuroChar != 0) {
        const char euro = static_cast<char>(Settings.EuroChar);
        TransmitOrReport(std::string_view(&euro, 1), kEncodingUnchanged);
        return true;
    }
    if (ch >= 128 && SendHighCharacter(ch)) return true;
    SendDueChar(ch);
    return true;
}

void WhenIdle() {
    Keyboard.AbortRequested = false;
    if (Keyboard.SlowBeepPending) {
        Keyboard.SlowBeepPending = false;
        H().BeepTone(Settings.BeepPitch.Get());
    }
    H().PrinterIdle();
    if (Settings.BeepIdle != 0) {
        if (!Keyboard.IdleBeepArmed) {
            Keyboard.IdleBeepDeadline = (H().Ticks() + kIdleBeepTicks) % console::TicksPerDay;
            Keyboard.IdleBeepArmed = true;
        } else if (console::DeadlinePassed(Keyboard.IdleBeepDeadline)) {
            H().Bell();
            Keyboard.IdleBeepDeadline = (H().Ticks() + kIdleBeepTicks) % console::TicksPerDay;
        }
    }
}

// The end of every call: the status line's timing, and for an idle call in
// the same tick as the last one, the wait for the next message.
void EndOfCall(bool idle) {
    if (H().TakeExpiredStatusMessage()) ReceiveLoop.StatusLineDirty = true;
    const int32_t now = H().Ticks();
    const bool newTick = now != Keyboard.LastTick;
    Keyboard.LastTick = now;
    if (!idle) return;
    if (newTick) {
        if (ReceiveLoop.StatusLineDirty && !H().StatusMessageShown()) H().UpdateStatusLine();
        H().StatusIdleUpdate();
        return;
    }
    if (IdleWaitAllowed()) H().WaitForMessage();
}

}  // namespace

bool IdleWaitAllowed() {
    if (H().WorkWaiting()) return false;
    // Keys that are not kept back by the keyboard's state go out at once.
    const bool ready = ReceiveLoop.KeyboardEnabled && !ReceiveLoop.KeyboardLocked &&
                       ReceiveLoop.WaitForText.Length() == 0 && Keyboard.QuietWaitSeconds == 0;
    if (!ready) return true;
    if (!Keyboard.KeyRing.Empty()) return false;
    return H().MacroMode() != 1;
}

void InstallKeyboardServices() {
    MacroServices.KeyRingEmpty = [] { return Keyboard.KeyRing.Empty(); };
    MacroServices.ReadKeyRing = []() -> uint16_t {
        uint16_t key = 0;
        return Keyboard.KeyRing.Take(key) ? key : 0;
    };
    MacroServices.PerformLocally = [](uint8_t b) { WriteRepeatedChar(b, 1, 1, true, true); };
    MacroServices.MarkStatusLineDirty = [] { ReceiveLoop.StatusLineDirty = true; };
    MacroServices.WaitForInput = [] {
        console::KeyPressedOrWait(true);
        console::PumpWindowMessages();
    };
    // Cheap tests only: the receive loop asks after every run of bytes.
    ReceiveLoop.Hooks.KeyPressed = [] { return !console::KeyQueueEmpty(); };
    ReceiveLoop.Hooks.MacroKeyWaiting = [] { return TopMacroFrame().Mode == MacroPlaying; };
    Services.ProcessKeyboard = ProcessKeyboard;
}

bool SameKeyAnyShift(uint16_t functionKey, uint16_t key) {
    if (functionKey < kKeyF1 || functionKey > kKeyF10) return functionKey == key;
    const uint16_t n = functionKey - kKeyF1;  // 0..9
    // Shift, Ctrl and Alt F1..F10 follow in blocks of ten from scan code 0x54.
    return key == functionKey || key == 340 + n || key == 350 + n || key == 360 + n;
}

bool KeyRingBuffer::Put(uint16_t key) {
    const uint32_t need = key >= 256 ? 2 : 1;
    if (Free() < need) return false;
    if (key >= 256) {
        Bytes[Head] = 0;
        Head = (Head + 1) & kMask;
    }
    Bytes[Head] = static_cast<uint8_t>(key & 0xFF);
    Head = (Head + 1) & kMask;
    return true;
}

bool KeyRingBuffer::Take(uint16_t& key) {
    if (Empty()) return false;
    uint8_t b = Bytes[Tail];
    Tail = (Tail + 1) & kMask;
    if (b != 0) {
        key = b;
        return true;
    }
    // A lone 0 at the end cannot happen through Put; read it as key 256.
    uint8_t low = 0;
    if (!Empty()) {
        low = Bytes[Tail];
        Tail = (Tail + 1) & kMask;
    }
    key = static_cast<uint16_t>(256 + low);
    return true;
}

KeyboardHooks NullKeyboardHooks() {
    KeyboardHooks h{};
    h.PumpWindowMessages = [] {};
    h.KeyPressed = [] { return false; };
    h.ReadKeyCode = []() -> uint16_t { return 0; };
    h.NormalizeKeyCode = [](uint16_t key) { return key; };
    h.MacroExists = [](uint16_t) { return false; };
    h.StartMacro = [](uint16_t, uint8_t) {};
    h.StopMacros = [] {};
    h.MacroMode = []() -> uint8_t { return 0; };
    h.SetMacroMode = [](uint8_t) {};
    h.NextMacroKey = [](bool, uint16_t&, bool&) { return false; };
    h.SendByte = [](uint8_t) { return false; };
    h.SendString = [](std::string_view) { return false; };
    h.FlowKeysLocal = [] { return false; };
    h.SetXon = [] {};
    h.BreakCancel = [] {};
    h.EchoByte = [](uint8_t, uint32_t) {};
    h.WriteMessage = [](uint16_t) {};
    h.ExecuteFunction = [](std::string_view, uint16_t) -> uint32_t { return 0; };
    // Nothing ran, so nothing failed: no error box follows.
    h.FunctionSucceeded = [] { return true; };
    h.CurrentFunction = []() -> int32_t { return commands::NoFunction; };
    h.EditLine = [](std::string&, bool, uint16_t& defineKey) {
        defineKey = 0;
        return false;
    };
    h.ReadCharKey = []() -> uint16_t { return 0; };
    h.PromptFuncKey = [](bool) -> uint8_t { return 0; };
    h.ShowMessageBox = [](std::string_view) {};
    h.SystemErrorText = [](uint32_t) { return std::string(); };
    h.NextPasteLine = [](std::u16string&, bool&) { return false; };
    h.FreePasteBuffer = [] {};
    h.HostTimeoutExpired = [] {};
    h.StopMedia = [] {};
    h.StopCapture = [] {};
    h.Bell = [] {};
    h.Delay = [](uint32_t) {};
    h.BeepTone = [](uint32_t) {};
    h.Milliseconds = []() -> uint32_t { return 0; };
    h.Ticks = []() -> int32_t { return 0; };
    h.PrinterIdle = [] {};
    h.TakeExpiredStatusMessage = [] { return false; };
    h.StatusMessageShown = [] { return false; };
    h.UpdateStatusLine = [] {};
    h.StatusIdleUpdate = [] {};
    h.WorkWaiting = [] { return false; };
    h.WaitForMessage = [] {};
    return h;
}

KeyboardHooks DefaultKeyboardHooks() {
    KeyboardHooks h = NullKeyboardHooks();
    h.PumpWindowMessages = console::PumpWindowMessages;
    h.SendByte = connections::CommSendByte;
    h.SendString = connections::CommSendString;
    h.FlowKeysLocal = connections::CommFlowKeysLocal;
    h.SetXon = connections::CommSetXon;
    h.BreakCancel = connections::CommBreakCancel;
    h.EchoByte = [](uint8_t b, uint32_t codePage) {
        WriteRepeatedChar(b, 1, codePage, codePage <= 1, false);
    };
    h.WriteMessage = [](uint16_t id) { console::WriteString(console::GetMessageText(id, true)); };
    h.ExecuteFunction = [](std::string_view line, uint16_t key) -> uint32_t {
        return commands::ExecuteFunction(line, key);
    };
    h.FunctionSucceeded = [] { return commands::Interpreter.FunctionSucceeded; };
    h.CurrentFunction = [] { return commands::Interpreter.CurrentFunction; };
    h.Milliseconds = [] { return static_cast<uint32_t>(console::BiosTicks()) * 55u; };
    h.Ticks = console::BiosTicks;
    h.StatusIdleUpdate = console::StatusIdleUpdate;
    h.UpdateStatusLine = [] {
        console::UpdateStatusLine();
        ReceiveLoop.StatusLineDirty = false;
    };

    h.KeyPressed = console::KeyPressed;
    h.ReadKeyCode = console::ReadKeyCode;
    h.NormalizeKeyCode = [](uint16_t key) {
        return static_cast<uint16_t>(console::NormalizeKeyCode(key));
    };
    h.ReadCharKey = console::ReadCharKey;
    h.MacroExists = MacroExists;
    h.StartMacro = [](uint16_t key, uint8_t nested) { StartMacro(key, nested != 0); };
    h.StopMacros = StopMacros;
    h.MacroMode = [] { return static_cast<uint8_t>(TopMacroFrame().Mode); };
    h.SetMacroMode = [](uint8_t mode) { SetTopMacroMode(mode); };
    h.NextMacroKey = [](bool start, uint16_t& code, bool& isChar) {
        MacroKey key;
        if (!NextMacroKey(start, key)) return false;
        code = key.Code;
        isChar = key.IsChar != 0;
        return true;
    };
    h.ShowMessageBox = [](std::string_view text) { ui::LangMessageBoxShort(text); };
    h.NextPasteLine = ui::NextPasteLine;
    h.FreePasteBuffer = ui::FreePasteBuffer;
    h.StopMedia = [] { Services.PlayMedia(""); };
    h.Bell = [] { console::WriteCharCtl(7); };
    h.HostTimeoutExpired = HostTimeoutExpired;
    h.BeepTone = console::BeepTone;
    h.Delay = [](uint32_t milliseconds) {
        console::Delay(static_cast<uint16_t>(std::min<uint32_t>(milliseconds, 0xFFFF)));
    };
    h.PrinterIdle = [] {
        const uint32_t deadline = printing::PrinterOutput.PrinterIdleDeadline;
        if (deadline != 0 && console::DeadlinePassed(static_cast<int32_t>(deadline)))
            printing::OpenPrinterOutput();
    };
    // A paste goes out a line per pass: the loop must not sleep between them.
    h.WorkWaiting = [] {
        return !ui::MenuDispatch.PendingCommand.empty() || ui::PastePending() || ReceivePassDue();
    };
    h.WaitForMessage = [] { console::KeyPressedOrWait(true); };
    return h;
}

void HostTimeoutExpired() {
    H().Bell();
    ReceiveLoop.KeyboardLocked = false;
    ReceiveLoop.KeyboardEnabled = true;
    Keyboard.RetransmitPending = true;
}

KeyboardHooks& ActiveKeyboardHooks() {
    return Keyboard.Hooks;
}

void ResetKeyboard() {
    Keyboard = KeyboardState{};
    Keyboard.Hooks = DefaultKeyboardHooks();
}

void PollKeyboard(bool fromMainLoop) {
    MainRoutine.MainLoopIdle = fromMainLoop;
    H().PumpWindowMessages();
    if (!H().KeyPressed()) {
        MainRoutine.MainLoopIdle = false;
        return;
    }
    ReceiveLoop.AutoLoginState = 0;
    uint16_t key = H().ReadKeyCode();
    const bool flowLocal = H().FlowKeysLocal();
    if (key == 19 && flowLocal) return;
    if (key == 17) {
        Keyboard.OutputHold = false;
        if (!flowLocal) Keyboard.KeyRing.Put(key);
        return;
    }
    const bool hasMacro = H().MacroExists(key);
    if (key >= 256 && !hasMacro && !IsTermKey(key)) {
        // Inside a nested wait only the abort keys act, so a prompt cannot be re-entered.
        const bool offered = fromMainLoop || SameKeyAnyShift(kKeyF9, key) || key == kKeyAltA;
        if (offered && HandleHotKey(key, true, false)) return;
    }
    if (!hasMacro) key = H().NormalizeKeyCode(key);
    Keyboard.KeyRing.Put(key);
    MainRoutine.MainLoopIdle = false;
}

namespace {

// Steps 1 to 13: serves the first source that has something due; false when
// the call was idle.
bool ServeDueSource() {
    ReassertAndPoll();
    if (NotReady()) return false;
    auto& interp = commands::Interpreter;
    if (Keyboard.RetransmitPending) {
        TermExecutor.QuietLine = Settings.ReceiveQuiet != 0;
        const bool ok = TransmitString(Keyboard.LastReplyLine.View(), kEncodingAnsi);
        Keyboard.RetransmitPending = false;
        if (ok)
            SendDueChar('\r');
        else
            H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    if (interp.PendingInput.Length() != 0) {
        const std::string text = interp.PendingInput.Str();
        interp.PendingInput = "";
        if (!TransmitString(text, kEncodingAnsi)) H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    if (!interp.PendingSendText.empty()) {
        const std::u16string text = std::move(interp.PendingSendText);
        interp.PendingSendText.clear();
        if (!SendWideText(text)) H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    if (interp.FunctionReply.Length() != 0) {
        TermExecutor.QuietLine = Settings.ReceiveQuiet != 0;
        const std::string reply = interp.FunctionReply.Str();
        interp.FunctionReply = "";
        const bool ok = TransmitString(reply, kEncodingAnsi);
        Keyboard.LastReplyLine = std::string_view(reply).substr(0, 80);
        if (ok)
            SendDueChar('\r');
        else
            H().WriteMessage(kMessageUnableToTransmit);
        return true;
    }
    std::u16string line;
    bool endsWithCr = false;
    if (H().NextPasteLine(line, endsWithCr)) {
        if (SendWideText(line)) {
            if (endsWithCr) SendDueChar('\r');
        } else {
            H().WriteMessage(kMessageUnableToTransmit);
        }
        return true;
    }
    if (ServeMacro()) return true;
    return ServeTypedKey();
}

}  // namespace

void ProcessKeyboard() {
    const bool sent = ServeDueSource();
    if (!sent) WhenIdle();
    EndOfCall(!sent);
}

bool TransmitString(std::string_view text, uint8_t mode) {
    if (text.empty()) return true;
    const uint8_t target = EmulatorState.HostTextAnsi ? kEncodingAnsi : kEncodingOem;
    std::string bytes(text);
    const uint8_t national = Settings.CharsetMode;
    auto span = std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size());
    // The host reads national characters at the ASCII positions its set puts them on.
    if (national != 0) EncodeNationalChars(span, mode == kEncodingOem, national);
    if (mode != target && mode != kEncodingUnchanged) {
        ConvertBufferOemAnsi(
            std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()), mode,
            target);
    }
    const bool monitor = ReceiveLoop.MonitorMode;
    const bool fullDuplex = Settings.FullDuplex != 0;
    const uint16_t delay = Settings.AsciiCharDelay.Get();
    if (!monitor && fullDuplex && delay == 0) {
        // The connection takes at most 255 bytes a call.
        for (size_t at = 0; at < bytes.size(); at += 255)
            if (!SendString(std::string_view(bytes).substr(at, 255))) return false;
        return true;
    }
    const uint8_t echoPage = mode == kEncodingUnchanged ? target : mode;
    for (unsigned char b : bytes) {
        if (!SendByte(b)) return false;
        if (monitor) {
            auto& l = console::ConsoleLayer;
            if (b >= 0x20 && b <= 0x7E) {
                console::WriteCharCtl(b);
            } else {
                if (l.CursorCol > 77) console::WriteString("\r\n");
                static const char kHex[] = "0123456789ABCDEF";
                const char hex[3] = {kHex[b >> 4], kHex[b & 15], ' '};
                console::WriteString(std::string_view(hex, 3));
            }
        } else if (!fullDuplex && !TermExecutor.QuietLine) {
            // The echo shows what was typed, as received text would show it.
            uint8_t shown = b;
            uint32_t page = echoPage;
            if (national != 0 && b >= 0x20 && b <= 0x7E)
                page = DecodeNationalChars(std::span<uint8_t>(&shown, 1), national);
            H().EchoByte(shown, page);
            ReceiveLoop.CaptureRow = console::ConsoleLayer.CursorRow;
        }
        // The typed byte joins the received history, marked, without ever being read.
        if (!fullDuplex) connections::CommEchoTypedByte(b);
        if (delay != 0) H().Delay(delay);
    }
    return true;
}

std::string KeyToHostCode(char16_t ch) {
    if (ch == 0x20AC && Settings.EuroChar != 0)
        return std::string(1, static_cast<char>(Settings.EuroChar));
    if (Settings.CharsetMode != 0) ch = EncodeNationalWide(ch, Settings.CharsetMode);
    uint32_t page;
    switch (Settings.CharsetKind) {
        case kGSetOemUpper:
            page = platform::kOemCodePage;
            break;
        case kGSetMultinational:
            page = 1252;
            break;
        case kGSetCodePage:
            page = Settings.CodePage.Get();
            break;
        case kGSetDecSupplemental: {
            page = 1252;
            switch (ch) {
                case 0x008C:
                    return std::string(1, static_cast<char>(215));
                case 0x009C:
                    return std::string(1, static_cast<char>(247));
                case 0x009F:
                    return std::string(1, static_cast<char>(221));
                case 0x00A4:
                    return std::string(1, static_cast<char>(168));
                case 0x00FF:
                    return std::string(1, static_cast<char>(253));
                default:
                    break;
            }
            break;
        }
        default:
            page = platform::kAnsiCodePage;
            break;
    }
    std::string out = UnicodeToHost(ch, page);
    if (out.size() > 5) out.resize(5);
    return out;
}

std::string ToEightBitControls(std::string_view text) {
    if (!TermExecutor.EightBitControls || text.size() < 2 || text[0] != '\x1b')
        return std::string(text);
    char c1;
    switch (text[1]) {
        case 'P':
            c1 = '\x90';
            break;
        case '[':
            c1 = '\x9b';
            break;
        case '\\':
            c1 = '\x9c';
            break;
        default:
            return std::string(text);
    }
    std::string out(1, c1);
    out.append(text.substr(2));
    return out;
}

bool HandleHotKey(uint16_t key, bool flushRing, bool fromMacro) {
    MainRoutine.MainLoopIdle = false;
    if (Keyboard.KioskLevel != -1 && !(fromMacro && Settings.KioskFunctions != 0)) return false;
    if (SameKeyAnyShift(kKeyF1, key)) {
        Keyboard.KeyRing.Put(key);
        return true;
    }
    if (SameKeyAnyShift(kKeyF4, key) || key == kKeyAltU) {
        ReceiveLoop.KeyboardEnabled = true;
        ReceiveLoop.KeyboardLocked = false;
        ReceiveLoop.HostXoff = false;
        H().SetXon();
        return true;
    }
    if (SameKeyAnyShift(kKeyF5, key) || key == kKeyAltM) {
        auto& l = console::ConsoleLayer;
        console::SaveCursorState();
        l.DirectWrite = false;
        if (flushRing) EmptyRingAndStopMacros();
        H().ExecuteFunction("HELP", 0);
        if (l.DirectWrite) console::EndDirectWrite();
        ReceiveLoop.StatusLineDirty = true;
        console::RestoreCursorState();
        return true;
    }
    if (SameKeyAnyShift(kKeyF6, key) || key == kKeyAltF) {
        RunLocalCommand(flushRing);
        return true;
    }
    if (SameKeyAnyShift(kKeyF9, key) || key == kKeyAltA) {
        Keyboard.TransmitActive = false;
        EmptyRingAndStopMacros();
        ReceiveLoop.WaitForText = "";
        Keyboard.QuietWaitSeconds = 0;
        Keyboard.AbortRequested = true;
        ReceiveLoop.StatusLineDirty = true;
        ReceiveLoop.AutoLoginState = 0;
        H().StopMedia();
        H().StopCapture();
        EmulatorState.TwoStepState = 0;
        SeqBuffer.clear();
        return true;
    }
    if (SameKeyAnyShift(kKeyF10, key) || key == kKeyBreak) {
        H().BreakCancel();
        Keyboard.KeyRing.Clear();
        Keyboard.TransmitActive = false;
        ReceiveLoop.KeyboardEnabled = true;
        ReceiveLoop.KeyboardLocked = false;
        return true;
    }
    return false;
}

void RunLocalCommand(bool flushRing) {
    auto& l = console::ConsoleLayer;
    console::SaveCursorState();
    const int32_t savedRow = l.SavedCursorRow;
    l.CursorVisible = true;
    l.StatusMode = true;
    l.DirectWrite = false;
    console::GotoRowCol(l.StatusRow, 1);
    l.AttrSelection = 4;
    console::WriteString(console::GetMessageText(kMessageFunctionPrompt, true));
    console::ClrEol();
    if (flushRing) EmptyRingAndStopMacros();
    std::string line;
    uint16_t defineKey = 0;
    // Keys typed at the keyboard start with an empty ring; a macro that
    // opened the line goes on typing it.
    H().EditLine(line, !flushRing, defineKey);
    if (line == "\x1b") line.clear();
    const uint32_t status = H().ExecuteFunction(line, defineKey);
    const bool succeeded = H().FunctionSucceeded();
    if (!succeeded) {
        std::string text = status != 0 ? ErrorText(status) : std::string();
        if (text.empty()) text = console::GetMessageText(kMessageInvalidFunction, true);
        H().ShowMessageBox(text);
    }
    if (l.DirectWrite) console::EndDirectWrite();
    using commands::FunctionCodeOf;
    const int32_t function = H().CurrentFunction();
    const bool keepsStatus =
        function == commands::FunctionCodeCalc || function == commands::FunctionCodeWaitFor ||
        function == commands::FunctionCodeWf || function == FunctionCodeOf("WAITQUIET");
    ReceiveLoop.StatusLineDirty = !keepsStatus;
    if (function == commands::FunctionCodeReset && savedRow > l.ScreenRows)
        console::ClrScr();
    else
        console::RestoreCursorState();
    l.StatusMode = false;
}

void TransmitKeyPrompt() {
    auto& l = console::ConsoleLayer;
    console::SaveCursorState();
    l.StatusMode = true;
    console::GotoRowCol(l.StatusRow, 1);
    console::WriteString("Transmit Key: ");
    console::ClrEol();
    const uint16_t key = H().ReadCharKey();
    if (key >= 32 && key <= 126 && H().MacroExists(key)) {
        console::WriteCharCtl(static_cast<uint8_t>(key));
        H().StartMacro(key, 0);
    } else {
        l.CursorCol = 1;
        console::ClampCursor();
        ReceiveLoop.StatusLineDirty = true;
        H().SetMacroMode(0);
    }
    console::RestoreCursorState();
    l.StatusMode = false;
}

std::string ErrorText(uint32_t code) {
    std::string text;
    if (code != 0 && (code & 0x20000000u) == 0) {
        text = H().SystemErrorText(code);
    } else {
        const uint32_t id = (code & 0xCFFFFFFFu) + 1200;
        if (id <= 0xFFFF) text = console::GetMessageText(static_cast<uint16_t>(id), false);
    }
    if (text.size() > 255) text.resize(255);
    return text;
}

uint8_t NextTabStop() {
    const auto& l = console::ConsoleLayer;
    for (uint8_t stop : Settings.TabStops)
        if (stop > l.CursorCol) return stop;
    return static_cast<uint8_t>(std::clamp<int32_t>(l.ScreenWidth, 0, 255));
}

std::string ExpandTab() {
    if (Settings.TabAsTab != 0) return "\t";
    const int32_t next = NextTabStop();
    const int32_t count = std::clamp<int32_t>(next - console::ConsoleLayer.CursorCol, 0, 80);
    return std::string(static_cast<size_t>(count), static_cast<char>(Settings.TabFillChar));
}

}  // namespace emulation
