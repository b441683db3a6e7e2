#include "app/transfer_wiring.h"

#include <cstddef>
#include <cstdint>

#include "connections/comm_interface.h"
#include "console/terminal_window.h"
#include "emulation/input/keyboard.h"
#include "transfer/host_link.h"
#include "transfer/transfer_ui.h"

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
    bool Unread(uint32_t count) override { return connections::CommUnreadBytes(count); }
    bool Send(const uint8_t* bytes, size_t length) override {
        return connections::CommSendBlock(bytes, length);
    }
    void SendBreak() override { connections::CommSendBreak(); }
};

ConnectionLink connectionLink;

// The program's side of a running transfer: the window kept alive and the
// keyboard read between engine steps, the abort hot key as the user's
// cancel; dialogs and the status window come from the windows installed
// (none headless).
class ProgramTransferUi final : public transfer::TransferUi {
  public:
    transfer::TransferUi* windows = nullptr;

    bool ChooseSendFile(const std::string& folder, std::string& name) override {
        return windows && windows->ChooseSendFile(folder, name);
    }
    bool ChooseSaveFile(const std::string& folder, std::string& name) override {
        return windows && windows->ChooseSaveFile(folder, name);
    }
    bool AskText(const std::string& title, const std::string& prompt,
                 std::string& answer) override {
        return windows && windows->AskText(title, prompt, answer);
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
    bool ShowOptionsDialog() override { return !windows || windows->ShowOptionsDialog(); }
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
