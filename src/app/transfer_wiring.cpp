#include "app/transfer_wiring.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "commands/command_services.h"
#include "connections/comm_interface.h"
#include "console/code_pages.h"
#include "console/terminal_window.h"
#include "emulation/input/keyboard.h"
#include "transfer/host_link.h"
#include "transfer/transfer_ui.h"
#include "ui/menus/menu_services.h"
#include "ui/text_prompts.h"

namespace app {

namespace {

// Transfers read every byte as it came: all eight bits, NULs kept. The
// connection's own protocol bytes (Telnet) never reach them, and what they
// send goes through the one send path with its escaping and encryption.
class ConnectionLink final : public transfer::HostLink {
  public:
    void Poll() override { connections::CommPollReceive(); }
    bool ByteReady() override { return connections::CommInputReady(0); }
    int ReadByte() override {
        const int b = connections::CommReadChar(false, false);
        return b == connections::CommNothingReceived ? transfer::kNoLinkByte : b;
    }
    uint32_t BytesWaiting() override { return connections::CommBytesWaiting(); }
    size_t Peek(const uint8_t*& bytes, size_t maximum) override {
        bool stopped = false;
        return connections::CommPeekData(false, uint32_t(std::min<size_t>(maximum, 0x7FFFFFFF)),
                                         connections::CommDataRange{}, bytes, stopped);
    }
    void Take(size_t count) override { connections::CommTakeData(uint32_t(count)); }
    bool Unread(uint32_t count) override { return connections::CommUnreadBytes(count); }
    bool Send(const uint8_t* bytes, size_t length) override {
        return connections::CommSendBlock(bytes, length);
    }
    void SendBreak() override { connections::CommSendBreak(); }
};

ConnectionLink connectionLink;

// The message ids of the file dialogs' titles and filter.
constexpr uint16_t kMsgAllFiles = 330;
constexpr uint16_t kMsgOpenNewFile = 331;
constexpr uint16_t kMsgOpenFileToSend = 332;

bool AskFile(bool save, uint16_t titleId, const std::string& start, std::string& name) {
    ui::FileDialogRequest request;
    request.Save = save;
    request.TitleId = titleId;
    request.FilterId = kMsgAllFiles;
    request.Pattern = "*.*";
    request.StartPath = start;
    return ui::MenuServices.FileDialog(request, name) && !name.empty();
}

std::u16string Wide(const std::string& text) {
    return platform::BytesToWide(platform::kAnsiCodePage, text, 0);
}

// The program's side of a running transfer: the window kept alive and the
// keyboard read between engine steps, the abort hot key as the user's
// cancel; the file dialogs, the one-line question and the options dialog
// are the menus' own; a received picture goes to the commands' picture
// loader; the status window comes from the windows installed (none
// headless).
class ProgramTransferUi final : public transfer::TransferUi {
  public:
    transfer::TransferUi* windows = nullptr;

    bool ChooseSendFile(const std::string& folder, std::string& name) override {
        return AskFile(false, kMsgOpenFileToSend, folder, name);
    }
    bool ChooseSaveFile(const std::string& folder, std::string& name) override {
        return AskFile(true, kMsgOpenNewFile, folder, name);
    }
    bool AskText(const std::string& title, const std::string& prompt,
                 std::string& answer) override {
        std::u16string typed;
        if (!ui::StringInputPrompt(Wide(title), Wide(prompt), typed, u"")) return false;
        answer = platform::WideToBytes(platform::kAnsiCodePage, typed);
        return true;
    }
    void OpenStatusWindow(const transfer::StatusView& view) override {
        if (windows) windows->OpenStatusWindow(view);
    }
    void UpdateStatusWindow(const transfer::StatusView& view) override {
        if (windows) windows->UpdateStatusWindow(view);
    }
    void CloseStatusWindow() override {
        if (windows) windows->CloseStatusWindow();
    }
    void Background() override {
        console::PumpWindowMessages();
        emulation::PollKeyboard(false);
    }
    bool AbortKeyPressed() override { return emulation::Keyboard.AbortRequested; }
    bool ShowOptionsDialog() override { return ui::MenuServices.RunDialog("PROTOCOLOPTIONS") == 1; }
    void LoadBackgroundPicture() override { commands::CommandServices.LoadBackgroundPicture(); }
};

ProgramTransferUi programTransferUi;

}  // namespace

void ConnectTransfersToHost() {
    transfer::SetHostLink(&connectionLink);
    transfer::SetTransferUi(&programTransferUi);
}

void SetTransferWindows(transfer::TransferUi* windows) {
    programTransferUi.windows = windows;
}

}  // namespace app
