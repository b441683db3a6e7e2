#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class Transport;
}

namespace connections {

class ConnectSequence;

// One word of a line error for the status row: message id, then the suffix.
struct StatusWord {
    int32_t column = 0;
    uint16_t messageId = 0;
    std::string suffix;
    bool operator==(const StatusWord&) const = default;
};

// What the connection layer asks of its neighbours: the console, the
// emulator, the command language, the debug log and the dialogs. Every
// service has a harmless default, so that tests and tools override only what
// they look at.
class ConnectionHost {
  public:
    virtual ~ConnectionHost() = default;

    // The system millisecond counter.
    virtual uint32_t Milliseconds();

    virtual void UpdateWindowTitle() {}
    virtual void SetExitCode(uint8_t code) {}
    virtual void StartAutoLogin() {}
    virtual void StopAutoLogin() {}
    // Bytes arrived from the host (a wait for a quiet line starts again).
    virtual void DataArrived() {}
    // Writes `FullDuplex` (the host's ECHO option decides it on Telnet).
    virtual void SetFullDuplex(bool on) {}

    // The communication debug log: "[S:", "[R:" and "[" lines, error boxes
    // (kind 0 general, 1 socket), and the copy of queued lines to the screen.
    virtual void CommLogSent(std::string_view text) {}
    virtual void CommLogReceived(std::string_view text) {}
    virtual void CommDebugLog(std::string_view text) {}
    virtual void CommErrorBox(std::string_view text, uint8_t kind) {}
    virtual void CommDebugFlush() {}

    // A message text by id (language module first), empty when unknown.
    virtual std::u16string GetMessageText(uint16_t id) { return {}; }
    virtual void LangMessageBox(uint16_t id) {}
    virtual void LangMessageBoxShort(std::string_view text) {}

    // The console's size in columns and rows (status line included).
    virtual void ConsoleSize(int32_t& columns, int32_t& rows);
    virtual std::string ExpandVariables(std::string_view text) { return std::string(text); }
    virtual bool MonitorMode() { return false; }
    // Writes line errors on the status row (at the cursor in monitor mode).
    virtual void WriteLineErrors(const std::vector<StatusWord>& words) {}
    // Empties the type-ahead ring, stops a file send, unlocks the keyboard.
    virtual void ResetTypingState() {}
    virtual void FineDelay(uint16_t units) {}

    // Runs the connect steps to their end (the CONNECT dialog); true when
    // connected. The default polls the sequence, waiting on the transport.
    virtual bool RunConnect(ConnectSequence& sequence, platform::Transport& transport);

    // SSH: whether secrets can be made here (a system random generator).
    virtual bool SshAvailable() { return false; }
    // The login dialog for host: the user name (shown and editable when
    // userEditable, else kept) and the password; false when cancelled.
    virtual bool SshLoginPrompt(std::string_view host, bool userEditable, std::string& user,
                                std::string& password) {
        return false;
    }
    // The question about a new (or, with changed, a different) host key:
    // 0 reject, 1 accept this time, 2 accept and remember.
    virtual int SshHostKeyQuestion(bool changed, std::string_view host, uint16_t port,
                                   std::string_view fingerprint) {
        return 0;
    }
    // A message box with the caption "SSH".
    virtual void SshMessageBox(std::string_view text) {}
    // Called while the login waits for the server: keeps the window alive;
    // false when the user wants the login to stop.
    virtual bool SshLoginWait() { return true; }
    // The other socket methods plug in here.
    virtual void RloginStart() {}
    virtual void RloginSendWindowSize(int32_t columns, int32_t rows) {}
};

}  // namespace connections
