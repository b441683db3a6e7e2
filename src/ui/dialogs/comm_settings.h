#pragma once
// The communication settings dialog ("COMMSETTINGS") and its SSH options
// ("SSHSETUP"): method, host, serial line, modem and SSH preferences worked
// on as a copy, then applied to the live connection, which is reopened only
// when the method or the target really changed.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialogs/dialog_model.h"

namespace ui {

struct SshPreferences {
    uint16_t Version = 2;
    uint8_t Compression = 0;
    uint8_t Sha1Key16 = 0;
    uint16_t Cipher = 0;  // index in "3DES", "Blowfish", "DES"
};

// The dialog's working copy while it is open.
struct CommSettingsWork {
    uint8_t Method = 2;
    uint32_t Baud = 9600;
    uint32_t Port = 1;
    std::string DataParity = "8N";
    std::string Host;
    std::string Modem;
    std::string Phone;
    SshPreferences Ssh;
};
extern CommSettingsWork CommWork;

// The rates the settings' 16 bits hold divided by 100, as the dialog shows them.
uint32_t BaudFromSettings(uint16_t stored);
uint16_t BaudToSettings(uint32_t rate);
// The rates the serial line offers, fastest first.
const std::vector<std::string>& BaudRateChoices();

// Applies a confirmed working copy to the settings and the connection.
void ApplyCommSettings(const CommSettingsWork& chosen);

std::unique_ptr<DialogModel> MakeCommSettingsDialog(std::string_view templateName);

}  // namespace ui
