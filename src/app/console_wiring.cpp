// The console's neighbours in the program: the emulator's state and exit
// code, the key macros and the message box.
#include "app/console_wiring.h"

#include "commands/interpreter.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/glyphs/glyph_fallback.h"
#include "console/status_line.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/keyboard_hooks.h"
#include "emulation/main_routine.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "emulation/text/charsets.h"
#include "emulation/text/composition.h"
#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"
#include "emulation/types/term_types.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"

namespace app {

console::ConsoleNeighbourTable ProgramConsoleNeighbours() {
    console::ConsoleNeighbourTable t = console::NullConsoleNeighbours();
    t.SgrDialect = []() { return emulation::EmulatorState.SgrDialect; };
    t.MacroExists = [](uint16_t key) { return emulation::ActiveKeyboardHooks().MacroExists(key); };
    t.MessageBox = ui::LangMessageBoxShort;
    t.EndSession = []() { emulation::MainRoutine.ExitCode = emulation::ExitEnd; };
    t.ResumeSession = []() { emulation::MainRoutine.ExitCode = emulation::ExitRun; };
    t.SessionRunning = []() { return emulation::MainRoutine.ExitCode == emulation::ExitRun; };
    t.DdeClientShutdown = []() { emulation::Services.DdeClientShutdown(); };
    t.UpdateMenuState = ui::UpdateMenuState;
    t.DecomposeChar = [](char16_t ch) { return emulation::charsetHooks.DecomposeChar(ch); };
    // A local screen draws without the host's wrap; its end puts the wrap back.
    t.AutoWrapOff = []() -> uint8_t {
        const uint8_t saved = emulation::EmulatorState.WrapStyle;
        emulation::EmulatorState.WrapStyle = emulation::kWrapStay;
        return saved;
    };
    t.RestoreAutoWrap = [](uint8_t saved) { emulation::EmulatorState.WrapStyle = saved; };
    return t;
}

void ComposeConsole() {
    console::Neighbours = ProgramConsoleNeighbours();
    // Output that is still waiting lets the console defer scrolling and the
    // caret; the idle refresh paints what was deferred.
    console::ConsoleLayer.Hooks.CommInputReady = [](int32_t count) {
        return count >= 0 && connections::CommInputReady(static_cast<uint32_t>(count));
    };
    // Glyph drawing decomposes through whatever composition table is installed then.
    console::GlyphHooks.Decompose = [](char16_t ch) {
        return emulation::charsetHooks.DecomposeChar(ch);
    };
    console::GlyphHooks.DiacriticPartner = emulation::DiacriticPartner;
    // The status line's indicators read the keyboard, the AUX relay and learn
    // mode; the lock keys' toggles are the Windows entry's to give.
    console::StatusLineHooks& status = console::StatusLinePort;
    status.OutputHold = [] { return emulation::Keyboard.OutputHold; };
    status.AuxOpen = [] { return emulation::Services.AuxState() == 2; };
    status.KeyboardLocked = [] {
        return emulation::ReceiveLoop.KeyboardLocked || !emulation::ReceiveLoop.KeyboardEnabled;
    };
    status.LearnModeOn = [] { return commands::Interpreter.LearnMode; };
}

}  // namespace app
