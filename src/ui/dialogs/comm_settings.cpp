#include "ui/dialogs/comm_settings.h"

#include <vector>

#include "commands/settings_record.h"
#include "console/system_services.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"

namespace ui {

CommSettingsWork CommWork;

namespace {

using commands::Settings;

constexpr uint8_t kSerial = 1, kTelnet = 2, kPicLan = 4, kModem = 6, kSsh = 7;
constexpr int kFirstMethodButton = 101, kLastMethodButton = 107;
constexpr int kHost = 110, kHostLabel = 201, kSshSetup = 206, kPortCombo = 210, kPortLabel = 207,
              kPortList = 121, kBaudList = 122, kBaudLabel = 208, kDataList = 123, kDataLabel = 209,
              kModemList = 202, kModemSetup = 203, kPhone = 204, kPhoneLabel = 205;

const std::vector<std::string> kBaudRates = {"256000", "128000", "115200", "57600",
                                             "56000",  "38400",  "19200",  "9600",
                                             "4800",   "2400",   "1200"};
const std::vector<std::string> kDataParity = {"7E", "7O", "8N"};
const std::vector<std::string> kCiphers = {"3DES", "Blowfish", "DES"};

std::string Cut(std::string text, size_t max) {
    if (text.size() > max) text.resize(max);
    return text;
}

std::vector<std::string> PortNumbers() {
    std::vector<std::string> ports;
    for (int i = 1; i <= console::ComPortCount(); ++i) ports.push_back(std::to_string(i));
    return ports;
}

// The program has no telephony line devices and no PicLan transport: their
// methods are offered greyed.
std::vector<std::string> ModemDevices() {
    return {};
}

class CommSettingsDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        auto& w = CommWork;
        w = CommSettingsWork{};
        w.Method = Settings.CommMethod;
        w.Baud = BaudFromSettings(Settings.SerialBaud.Get());
        w.Port = Settings.SerialPort;
        const char parity = static_cast<char>(Settings.SerialParity);
        w.DataParity = std::to_string(Settings.SerialDataBits.Get() % 10) +
                       (parity == 'E' || parity == 'e'   ? "E"
                        : parity == 'O' || parity == 'o' ? "O"
                                                         : "N");
        w.Host = Settings.HostName.Str();
        w.Modem = Settings.ModemName.Str();
        w.Phone = Settings.PhoneNumber.Str();
        w.Ssh = {Settings.SshVersion.Get(), Settings.SshCompression, Settings.SshSha1Key16,
                 Settings.SshCipher.Get()};

        c.Enable(kFirstMethodButton + kPicLan - 1, false);
        c.SetList(kBaudList, kBaudRates);
        c.Select(kBaudList, FindEntry(kBaudRates, std::to_string(w.Baud)));
        const auto ports = PortNumbers();
        if (c.Has(kPortList)) {
            c.SetList(kPortList, ports);
            c.Select(kPortList, FindEntry(ports, std::to_string(w.Port)));
        }
        c.SetList(kPortCombo, ports);
        c.SetText(kPortCombo, std::to_string(w.Port));
        c.SetList(kDataList, kDataParity);
        c.Select(kDataList, FindEntry(kDataParity, w.DataParity));
        modems_ = ModemDevices();
        if (modems_.empty()) {
            c.Enable(kFirstMethodButton + kModem - 1, false);
            c.Enable(kModemSetup, false);
            if (w.Method == kModem) w.Method = kTelnet;
        } else {
            if (w.Modem.empty()) w.Modem = modems_.front();
            c.SetList(kModemList, modems_);
            c.Select(kModemList, FindEntry(modems_, w.Modem));
        }
        for (int id = kFirstMethodButton; id <= kLastMethodButton; ++id)
            c.SetChecked(id, id - 100 == w.Method);
        c.SetText(kHost, w.Host);
        c.SetText(kPhone, w.Phone);
        c.LimitText(kPhone, 60);
        Enabling(c);
    }

    void Command(DialogControls& c, int id, ControlEvent) override {
        if (id >= kFirstMethodButton && id <= kLastMethodButton && c.Checked(id))
            CommWork.Method = static_cast<uint8_t>(id - 100);
        if (id == kSshSetup) MenuServices.RunDialog("SSHSETUP");
        Enabling(c);
    }

    std::optional<int> Ok(DialogControls& c) override {
        if (!OkAllowed(c)) return std::nullopt;
        auto& w = CommWork;
        w.Host = Cut(c.Text(kHost), 100);
        for (int id = kFirstMethodButton; id <= kLastMethodButton; ++id)
            if (c.Checked(id)) w.Method = static_cast<uint8_t>(id - 100);
        if (const int b = c.Selected(kBaudList); b >= 0 && b < static_cast<int>(kBaudRates.size()))
            w.Baud = UnsignedNumber(kBaudRates[static_cast<size_t>(b)]).value_or(w.Baud);
        const std::string port = c.Has(kPortList) && c.Selected(kPortList) >= 0
                                     ? std::to_string(c.Selected(kPortList) + 1)
                                     : Cut(c.Text(kPortCombo), 120);
        if (auto n = UnsignedNumber(port); n && *n > 0 && *n < 256) w.Port = *n;
        if (const int d = c.Selected(kDataList); d >= 0 && d < static_cast<int>(kDataParity.size()))
            w.DataParity = kDataParity[static_cast<size_t>(d)];
        if (const int m = c.Selected(kModemList); m >= 0 && m < static_cast<int>(modems_.size()))
            w.Modem = modems_[static_cast<size_t>(m)];
        w.Phone = Cut(c.Text(kPhone), 100);
        ApplyCommSettings(w);
        return 1;
    }

  private:
    bool OkAllowed(DialogControls& c) {
        const uint8_t m = CommWork.Method;
        if (m == kSerial) return true;
        if (m == kModem) return !c.Text(kPhone).empty();
        return !c.Text(kHost).empty();
    }
    void Enabling(DialogControls& c) {
        const uint8_t m = CommWork.Method;
        const bool network = m != kSerial && m != kModem;
        for (int id : {kHost, kHostLabel}) c.Enable(id, network);
        for (int id : {kModemList, kModemSetup, kPhone, kPhoneLabel})
            c.Enable(id, m == kModem && (id != kModemSetup || !modems_.empty()));
        for (int id :
             {kPortCombo, kPortLabel, kPortList, kBaudList, kBaudLabel, kDataList, kDataLabel})
            c.Enable(id, m == kSerial);
        c.Enable(kSshSetup, m == kSsh);
        c.Enable(1, OkAllowed(c));
    }
    std::vector<std::string> modems_;
};

// "SSHSETUP": the preferred version, compression, the key in SHA-1 and the cipher.
class SshSetupDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const auto& s = CommWork.Ssh;
        c.SetChecked(101, s.Version == 1);
        c.SetChecked(102, s.Version != 1);
        c.SetChecked(103, s.Compression != 0);
        c.SetChecked(104, s.Sha1Key16 != 0);
        c.SetList(105, kCiphers);
        c.Select(105, s.Cipher < kCiphers.size() ? s.Cipher : -1);
    }
    std::optional<int> Ok(DialogControls& c) override {
        auto& s = CommWork.Ssh;
        s.Version = c.Checked(101) ? 1 : 2;
        s.Compression = c.Checked(103) ? 1 : 0;
        s.Sha1Key16 = c.Checked(104) ? 1 : 0;
        if (const int i = c.Selected(105); i >= 0) s.Cipher = static_cast<uint16_t>(i);
        return 1;
    }
};

void Reopen() {
    const int result = MenuServices.CommOpen();
    if (result == 0)
        MenuServices.StartAutoLogin();
    else
        LangMessageBoxShort(MenuServices.CommErrorText(result));
}

void StoreLine(const CommSettingsWork& w) {
    Settings.SerialBaud.Set(BaudToSettings(w.Baud));
    Settings.SerialDataBits.Set(static_cast<uint16_t>(w.DataParity[0] - '0'));
    Settings.SerialParity = static_cast<uint8_t>(w.DataParity[1]);
}

}  // namespace

const std::vector<std::string>& BaudRateChoices() {
    return kBaudRates;
}

uint32_t BaudFromSettings(uint16_t stored) {
    return stored == 1152 || stored == 1280 || stored == 2560 ? stored * 100u : stored;
}

uint16_t BaudToSettings(uint32_t rate) {
    if (rate == 115200 || rate == 128000 || rate == 256000)
        return static_cast<uint16_t>(rate / 100);
    return static_cast<uint16_t>(rate);
}

void ApplyCommSettings(const CommSettingsWork& w) {
    Settings.SshVersion.Set(w.Ssh.Version);
    Settings.SshCompression = w.Ssh.Compression;
    Settings.SshSha1Key16 = w.Ssh.Sha1Key16;
    Settings.SshCipher.Set(w.Ssh.Cipher);
    const uint8_t old = Settings.CommMethod;
    const bool open = MenuServices.CommIsOpen();
    if (w.Method != old) {
        MenuServices.CommClose();
        Settings.CommMethod = w.Method;
        StoreLine(w);
        Settings.SerialPort = static_cast<uint8_t>(w.Port);
        Settings.HostName = w.Host;
        Settings.ModemName = w.Modem;
        Settings.PhoneNumber = Cut(w.Phone, 60);
        Reopen();
    } else if (old == kSerial) {
        StoreLine(w);
        // An open port takes new line parameters without being closed.
        Settings.SerialPort = static_cast<uint8_t>(w.Port);
        Reopen();
    } else if (old == kModem) {
        if (open && w.Modem == Settings.ModemName.View() && w.Phone == Settings.PhoneNumber.View())
            return;
        MenuServices.CommClose();
        Settings.ModemName = w.Modem;
        Settings.PhoneNumber = Cut(w.Phone, 60);
        Reopen();
    } else {
        if (w.Host == Settings.HostName.View() && !w.Host.empty() && open) return;
        MenuServices.CommClose();
        Settings.HostName = w.Host;
        Reopen();
    }
}

std::unique_ptr<DialogModel> MakeCommSettingsDialog(std::string_view name) {
    if (name == "COMMSETTINGS") return std::make_unique<CommSettingsDialog>();
    if (name == "SSHSETUP") return std::make_unique<SshSetupDialog>();
    return nullptr;
}

}  // namespace ui
