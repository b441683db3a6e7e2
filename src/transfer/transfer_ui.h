#pragma once
// What the transfer front end asks of the windows around it: the file
// dialogs, the "As Name" question, the protocol status window, the options
// dialog, the background picture shown again, and the background work of a
// running transfer (window messages, one key). The program installs the Win32
// side; without one, no dialog appears (as if cancelled) and no window is
// shown.
#include <cstdint>
#include <string>

namespace transfer {

// The figures the status window shows, as the front end's status hook last
// copied them.
struct StatusView {
    uint8_t ProtocolNumber = 0;
    uint8_t CheckType = 0;
    std::string FileName;
    std::string StatusText;
    int32_t FileSize = 0;
    int32_t BlockLength = 0;
    int32_t BytesTransferred = 0;
    int32_t BytesRemaining = 0;
    int32_t BlockErrors = 0;
    int32_t TotalErrors = 0;
    int32_t ElapsedTicks = 0;
};

class TransferUi {
  public:
    virtual ~TransferUi() = default;
    // The open-file dialog; true with a chosen name.
    virtual bool ChooseSendFile(const std::string& startFolder, std::string& name) { return false; }
    // The save-file dialog, starting with the name given; true with a chosen name.
    virtual bool ChooseSaveFile(const std::string& startFolder, std::string& name) { return false; }
    // A one-line question; false when cancelled.
    virtual bool AskText(const std::string& title, const std::string& prompt, std::string& answer) {
        return false;
    }
    virtual void OpenStatusWindow(const StatusView& view) {}
    virtual void UpdateStatusWindow(const StatusView& view) {}
    virtual void CloseStatusWindow() {}
    // Pending window messages handled and at most one key read.
    virtual void Background() {}
    // The terminal's abort hot key was pressed.
    virtual bool AbortKeyPressed() { return false; }
    // The protocol options dialog, modal; the front end's options are its data.
    virtual bool ShowOptionsDialog() { return true; }
    // Shows the picture the settings name as the window's background again.
    virtual void LoadBackgroundPicture() {}
};

// nullptr restores the windowless side.
void SetTransferUi(TransferUi* ui);
TransferUi& CurrentTransferUi();

}  // namespace transfer
