// The neighbours the program's connection layer reaches through its host.
#include "app/connection_wiring.h"

#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_debug_log.h"
#include "connections/comm_interface.h"
#include "connections/connection_host.h"
#include "connections/ssh/random_pool.h"
#include "console/messages.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"
#include "emulation/input/keyboard.h"
#include "emulation/line_errors.h"
#include "emulation/main_routine.h"
#include "emulation/receive_loop.h"
#include "emulation/session_services.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace app {
namespace {

constexpr uint16_t kMessageUnknownHostKey = 17001;
constexpr uint16_t kMessageChangedHostKey = 17002;
constexpr uint16_t kMessageHostKeyCaption = 17003;
constexpr size_t kLoginFieldMax = 255;

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t ch : text) out += ch < 0x100 ? char(ch) : '?';
    return out;
}

std::u16string Widen(std::string_view text) {
    std::u16string out;
    for (char ch : text) out += char16_t(uint8_t(ch));
    return out;
}

class ProgramHost : public connections::ConnectionHost {
  public:
    bool RunConnect(connections::ConnectSequence& sequence, platform::Transport& sockets) override {
        if (const auto runner = connections::ProgramConnectRunner())
            return runner(sequence, sockets, *this);
        return ConnectionHost::RunConnect(sequence, sockets);
    }
    void UpdateWindowTitle() override { console::UpdateWindowTitle(); }
    void SetExitCode(uint8_t code) override { emulation::MainRoutine.ExitCode = code; }
    void StartAutoLogin() override { emulation::Services.StartAutoLogin(); }
    void SetFullDuplex(bool on) override { commands::Settings.FullDuplex = on ? 1 : 0; }

    void CommLogSent(std::string_view text) override { connections::CommLogSent(text); }
    void CommLogReceived(std::string_view text) override { connections::CommLogReceived(text); }
    void CommDebugLog(std::string_view text) override { connections::CommDebugLog(text); }
    void CommErrorBox(std::string_view text, uint8_t kind) override {
        connections::CommErrorBox(text, kind);
    }
    void CommDebugFlush() override { connections::CommDebugFlush(); }

    std::u16string GetMessageText(uint16_t id) override { return console::GetMessageW(id, true); }
    void LangMessageBox(uint16_t id) override {
        ui::LangMessageBoxShort(console::GetMessageText(id, true));
    }
    void LangMessageBoxShort(std::string_view text) override { ui::LangMessageBoxShort(text); }

    void ConsoleSize(int32_t& columns, int32_t& rows) override {
        columns = console::ConsoleScreen.Cols;
        rows = console::ConsoleScreen.Rows;
    }
    std::string ExpandVariables(std::string_view text) override {
        return commands::ExpandVariables(text);
    }
    bool MonitorMode() override { return emulation::ReceiveLoop.MonitorMode; }
    void WriteLineErrors(const std::vector<connections::StatusWord>& words) override {
        emulation::WriteLineErrors(words);
    }
    bool SshAvailable() override { return connections::ssh::RandomAvailable(); }
    bool SshLoginPrompt(std::string_view host, bool userEditable, std::string& user,
                        std::string& password) override {
        return ui::LoginPasswordPrompt(host, userEditable, user, kLoginFieldMax, password,
                                       kLoginFieldMax);
    }
    int SshHostKeyQuestion(bool changed, std::string_view host, uint16_t port,
                           std::string_view fingerprint) override {
        const console::FormatArg args[] = {Widen(host), int64_t(port), Widen(fingerprint)};
        const std::string text = Narrow(console::GetMessageFmt(
            changed ? kMessageChangedHostKey : kMessageUnknownHostKey, args));
        const std::string caption = console::GetMessageText(kMessageHostKeyCaption, true);
        const int answer = ui::QuestionBox(text, caption, changed);
        if (answer == ui::MessageBoxYes) return 2;
        return changed && answer == ui::MessageBoxNo ? 1 : 0;
    }
    void SshMessageBox(std::string_view text) override { ui::CaptionedMessageBox(text, "SSH"); }
    // The window stays alive while the login waits; closing it stops the login.
    bool SshLoginWait() override {
        console::PumpWindowMessages();
        return emulation::MainRoutine.ExitCode == 0;
    }

    // The quiet wait is timed by the keyboard's clock.
    void DataArrived() override {
        emulation::Keyboard.QuietWaitStart = emulation::Keyboard.Hooks.Milliseconds();
    }
};

ProgramHost programHost;

}  // namespace

connections::ConnectionHost& ProgramConnectionHost() {
    return programHost;
}

void ComposeConnection() {
    connections::SetProgramConnectionHost(&programHost);
}

}  // namespace app
