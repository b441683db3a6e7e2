#include "emulation/host_commands.h"

#include <string>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "console/terminal_window.h"
#include "console/tick_clock.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "ui/dialogs/dialog_entries.h"
#include "ui/message_box.h"

namespace emulation {

HostCommandState HostCommands;
void ResetHostCommands() {
    HostCommands = HostCommandState{};
}

namespace {

constexpr int kDc3 = 0x13;
constexpr int kGs = 0x1D;
constexpr int kUs = 0x1F;
constexpr int64_t kCommandTicks = 54;
constexpr int32_t kReverseSelection = 4;
constexpr uint16_t kMessageSuppressQuestion = 1220;
constexpr uint16_t kMessageSuppressing = 1221;

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

void ReceiveHostCommand() {
    auto& h = HostCommands;
    if (h.Notice != 0 && ui::IsNoticeWindowOpen(h.Notice)) return;
    h.Notice = 0;

    const int32_t deadline = console::DeadlineAfterTicks(kCommandTicks);
    const bool sevenBit = SevenBitReading();
    const bool skipNul = commands::Settings.IgnoreNul != 0;
    std::string text;
    int terminator = 0;
    while (terminator == 0) {
        const int c = connections::CommReadChar(sevenBit, skipNul);
        if (c == kDc3 || c == kGs || c == kUs) {
            terminator = c;
        } else if (c != connections::CommNothingReceived && c != 0xFF) {
            if (!TermExecutor.QuietLine) console::WriteCharCtl(static_cast<uint8_t>(c));
            text.push_back(static_cast<char>(c));
        }
        PollKeyboard(false);
        if (Keyboard.AbortRequested || console::DeadlinePassed(deadline)) return;
        if (terminator == 0 && c == connections::CommNothingReceived) console::Delay(1);
    }
    if (terminator == kDc3) connections::CommSetXon();

    auto& l = console::ConsoleLayer;
    console::SaveCursorState();
    l.CursorVisible = true;
    l.StatusMode = true;
    l.AttrSelection = kReverseSelection;
    const uint32_t status = commands::ExecuteFunction(text);
    if (!commands::Interpreter.FunctionSucceeded && !RunErrorKeyMacro() &&
        (status == commands::FunctionOk || status == commands::FunctionUnknown)) {
        const int answer = ui::QuestionBox(console::GetMessageText(kMessageSuppressQuestion, true),
                                           Narrow(console::TerminalWindowUnit.TitleBanner), false);
        if (answer == ui::MessageBoxYes) h.Notice = ui::ShowNoticeWindow(kMessageSuppressing);
    }
    console::RestoreCursorState();
    l.StatusMode = false;
    ReceiveLoop.StatusLineDirty = true;
}

}  // namespace emulation
