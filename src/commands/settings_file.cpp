#include "commands/settings_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "commands/gset_code.h"
#include "commands/startup_environment.h"
#include "commands/startup_services.h"
#include "console/file_search.h"
#include "console/globals.h"
#include "console/messages.h"
#include "console/system_services.h"
#include "ftp/file_url_stream.h"
#include "ui/message_box.h"
#include "ui/settings_dialogs.h"

namespace commands {

SettingsFileState SettingsFile;

namespace {

// The file name the system falls back on when message 4 is empty, and the
// one "NEW" starts from.
constexpr std::string_view kBuiltInSettingsName = "VOVUZIVA.DEF";
// Short strings hold at most 255 characters.
constexpr size_t kShortStringCapacity = 255;

size_t WriteWithStdio(std::FILE* file, const uint8_t* data, size_t count) {
    return std::fwrite(data, 1, count, file);
}

std::string Message(uint16_t id) {
    return console::GetMessageText(id, false);
}

void ShowMessage(const std::string& text) {
    ui::LangMessageBoxShort(text);
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

std::string HexByte(int value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto b = static_cast<uint8_t>(value);
    return {kDigits[b >> 4], kDigits[b & 15]};
}

std::string FolderOf(std::string_view path) {
    std::string folder, name, ext;
    console::FSplit(path, folder, name, ext);
    return folder;
}

bool HasPath(std::string_view name) {
    return name.find_first_of("\\/:") != std::string_view::npos;
}

std::string CurrentFolder() {
    std::string folder = console::GetDirPChar(0);
    if (folder.empty() || !IsPathSeparator(folder.back())) folder += '\\';
    return folder;
}

bool IsRegularFile(const std::string& name) {
    struct stat info {};
    return !name.empty() && stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// True when something exists under the name.
bool PathExists(const std::string& name) {
    struct stat info {};
    return !name.empty() && stat(name.c_str(), &info) == 0;
}

// Serial interrupt line by port number: 4 for odd ports, 3 for even ones.
uint16_t IrqForPort(unsigned port) {
    return (port & 1) != 0 ? 4 : 3;
}

void FindSettingsFile(bool settingsNamed, const std::string& currentFolder) {
    SettingsFileState& st = SettingsFile;
    if (st.SettingsSource == kSettingsSourceNew) {
        const std::string here = currentFolder + std::string(kBuiltInSettingsName);
        st.SettingsFileName = StartupServices.IsUsableFile(here)
                                  ? here
                                  : st.ProgramFolder + std::string(kBuiltInSettingsName);
        return;
    }
    if (st.SettingsFileName.empty()) {
        std::string name = Message(kMsgDefaultSettingsName);
        if (name.empty()) name = kBuiltInSettingsName;
        st.SettingsFileName = st.ProgramFolder + name;
        return;
    }

    const std::string name = st.SettingsFileName;
    const std::string asGiven = HasPath(name) ? name : currentFolder + name;
    for (const std::string& candidate :
         {asGiven, currentFolder + "..\\" + name, st.ProgramFolder + name}) {
        if (StartupServices.IsUsableFile(candidate)) {
            st.SettingsFileName = candidate;
            LoadSettingsFile();
            return;
        }
    }
    if (settingsNamed) {
        // The load fails at the open unless the name is a URL.
        st.SettingsFileName = asGiven;
        LoadSettingsFile();
    } else {
        st.SettingsFileName = st.ProgramFolder + name;
    }
}

void UpgradeOlderStages(size_t length) {
    SettingsRecord& s = Settings;
    if (length <= kSettingsStage1Size) {
        if (s.MouseRightClick.Action == 4) s.MouseRightClick.Action = 7;
        s.KeyFlag3972 = 1;
    }
    if (length <= kSettingsStage2Size) {
        std::copy_n(s.OldTabStops.begin(), s.OldTabStops.size(), s.TabStops.begin());
        AssignZeroFilled(s.KeyFileName, s.OldKeyFileName2.View());
    }
    if (length <= kSettingsStage3Size) {
        for (size_t i = 0; i < s.AttrColors.size(); ++i) s.AttrColors[i].Set(s.OldAttrColors[i]);
    }
}

void ApplyLoadedColors() {
    uint16_t map[16];
    uint32_t palette[16];
    for (size_t i = 0; i < 16; ++i) {
        map[i] = Settings.AttrColors[i].Get();
        palette[i] = Settings.Palette[i].Get();
    }
    StartupServices.ApplyLoadedColors(map, palette);
}

void LoadNamedKeysFile() {
    const std::string_view keyFile = Settings.KeyFileName.View();
    // A name that sorts after a lone blank: not empty, not the blank itself,
    // not one starting with a control character.
    if (!(keyFile > std::string_view(" ")) || UpperCase(keyFile) == Message(kMsgNone)) return;
    std::string name(keyFile);
    if (!HasPath(name)) name = FolderOf(SettingsFile.SettingsFileName) + name;
    // Cut only to what a keys-file name holds: a settings file in a deep
    // folder still finds the keys file beside it.
    if (name.size() > kShortStringCapacity) name.resize(kShortStringCapacity);
    if (StartupServices.LoadKeysFile(name))
        StartupServices.SetKeysChanged(false);
    else
        ShowMessage(Message(kMsgUnableToReadKeyfile) + name);
}

void ApplyFirstRunDefaults(uint8_t hostType) {
    SettingsRecord& s = Settings;
    switch (hostType) {
        case 1:
            s.AsciiCharDelay.Set(200);
            s.AsciiLineDelay.Set(2000);
            break;
        case 3:
        case 4:
            s.FullDuplex = 1;
            s.AsciiLineDelay.Set(2000);
            s.BackspaceChar = 8;
            break;
        case 5:
            s.NoKeyboardLock = 1;
            break;
        case 6:
            s.FullDuplex = 1;
            s.TabAsTab = 1;
            s.NoKeyboardLock = 1;
            break;
        case 7:
        case 8:
            s.FullDuplex = 1;
            s.TabAsTab = 1;
            s.BackspaceChar = 8;
            s.NoKeyboardLock = 1;
            s.SerialParity = 'N';
            s.SerialDataBits.Set(8);
            break;
        default:
            break;
    }
}

std::string FirstRunKeysFileName(uint8_t hostType) {
    if (hostType == 6) return "rmcos.kys";
    if (hostType != 7) return "sample.kys";
    const std::string type = Settings.TerminalType.Str();
    const TermTypeKeys entry = StartupServices.FindTermType(type);
    if (!entry.found) return {};
    return entry.hasDefaultKeysFile ? entry.defaultKeysFile : type + ".KYS";
}

uint8_t HostTypeOfKind(std::string_view kind) {
    if (kind == "IMOS") return 1;
    if (kind == "IRX") return 3;
    if (kind == "ITX") return 4;
    if (kind == "VRX") return 5;
    if (kind == "RMCOS") return 6;
    if (kind == "UNIX") return 7;
    return 8;
}

bool FirstRunSetup(bool hostGiven) {
    ui::FirstRunChoice choice;
    if (!ui::FirstRunTermSetup(hostGiven, choice)) return false;

    SettingsRecord& s = Settings;
    const uint8_t hostType = HostTypeOfKind(choice.hostKind);
    s.HostType = hostType;
    s.SerialPort = choice.port;
    s.SerialIrq.Set(IrqForPort(choice.port));
    // The word holds rates above 65535 in hundreds, as the set-up read them.
    s.SerialBaud.Set(
        static_cast<uint16_t>(choice.baudRate > 0xFFFF ? choice.baudRate / 100 : choice.baudRate));
    AssignZeroFilled(s.TerminalType, UpperCase(choice.terminalType));

    const std::string_view type = s.TerminalType.View();
    if (type == "SCOANSI") {
        platform::SettingsDialogs* dialogs = platform::CurrentSettingsDialogs();
        const char answer =
            dialogs ? dialogs->Ask({}, Message(kMsgOldScoAnsiQuestion), false) : ui::kAnswerNo;
        s.OldScoAnsi = answer == ui::kAnswerYes ? 1 : 0;
    }
    if (type == "SCOANSI" || type == "AT386") s.CharsetKind = kGSetOemUpper;

    ApplyFirstRunDefaults(hostType);

    if (SettingsFile.SettingsSource != kSettingsSourceNone) {
        const std::string keys = FirstRunKeysFileName(hostType);
        if (!keys.empty()) {
            if (StartupServices.LoadKeysFile(SettingsFile.ProgramFolder + keys))
                StartupServices.SetKeysChanged(false);
            else
                AssignZeroFilled(s.KeyFileName, "");
        }
    }
    return true;
}

}  // namespace

void ResetSettingsFileState() {
    SettingsFile = SettingsFileState{};
    SettingsFile.SavedSettings = DefaultSettings();
    SettingsFile.WriteBytes = WriteWithStdio;
}

namespace {
// The saved copy and the write step are in place before start-up runs.
const bool settingsFileReady = (ResetSettingsFileState(), true);
}  // namespace

bool StartupInit(bool settingsNamed, bool hostGiven) {
    SettingsFileState& st = SettingsFile;
    std::string path;
    CheckEnvironment(st.ComSpec, kShortStringCapacity, path, kShortStringCapacity, st.ProgramFolder,
                     kShortStringCapacity);
    st.HelpFileName = st.ProgramFolder + "OZMEL.HLP";

    st.SettingsLoaded = false;
    StartupServices.UseMonochromeColorMap();
    Settings.ScreenColumns =
        static_cast<uint8_t>(std::clamp(StartupServices.ConsoleColumns(), 0, 255));
    st.SavedSettings = Settings;
    StartupServices.SetKeysChanged(false);

    const std::string currentFolder = CurrentFolder();
    FindSettingsFile(settingsNamed, currentFolder);

    StartupServices.InitRuntimeGlobals(Settings.Gauge != 0, currentFolder);
    console::BuildVersionText();

    if (!st.SettingsLoaded) return FirstRunSetup(hostGiven);
    return true;
}

void LoadSettingsFile() {
    SettingsFileState& st = SettingsFile;
    ftp::FileUrlStream stream;
    ftp::StreamAssign(stream, st.SettingsFileName);
    if (ftp::StreamReset(stream, 1) != 0) {
        st.SettingsSource = kSettingsSourceOpenFailed;
        return;
    }

    // A host or telephone number from the command line wins over the file.
    const PString<255> hostBefore = Settings.HostName;
    const PString<60> phoneBefore = Settings.PhoneNumber;
    std::array<uint8_t, kSettingsFileSize> buffer{};
    size_t length = 0;
    const int ioResult = ftp::StreamRead(stream, buffer.data(), buffer.size(), length);
    length = std::min(length, buffer.size());
    std::memcpy(&Settings, buffer.data(), length);
    if (!hostBefore.Empty()) Settings.HostName = hostBefore;
    if (!phoneBefore.Empty()) Settings.PhoneNumber = phoneBefore;

    if (ioResult != 0) {
        st.SettingsLoaded = false;
        ShowMessage(Message(kMsgDiskErrorOn) + st.SettingsFileName + " : " + HexByte(ioResult));
        ftp::StreamClose(stream);
        return;
    }

    st.SettingsLoaded = true;
    SettingsRecord& s = Settings;
    if (!s.OldKeyFileName.Empty() && s.OldKeyFileName2.Empty()) {
        AssignZeroFilled(s.OldKeyFileName2, s.OldKeyFileName.View(), 40);
        AssignZeroFilled(s.OldKeyFileName, "");
    }
    if (s.SerialIrq.Get() == 0) {
        if (s.SerialPort <= 16) {
            s.SerialIrq.Set(IrqForPort(s.SerialPort));
        } else {
            s.SerialPort = static_cast<uint8_t>(s.SerialPort - 16);
            s.SerialIrq.Set((s.SerialPort & 1) != 0 ? 3 : 4);
        }
    }
    // Taken before the upgrades, so an upgraded file is offered for saving.
    st.SavedSettings = Settings;
    UpgradeOlderStages(length);
    ApplyLoadedColors();
    LoadNamedKeysFile();
    ftp::StreamClose(stream);
}

void CopyColorTablesToSettings() {
    uint16_t map[16];
    StartupServices.ReadColorMap(map);
    const int page = StartupServices.CurrentScreenPage();
    SettingsRecord& s = Settings;
    if (page > 0 && page < 8) {
        for (size_t i = 0; i < 16; ++i)
            s.PageAttrColors[static_cast<size_t>(page) * 16 + i].Set(map[i]);
        std::copy_n(s.PageAttrColors.begin(), 16, s.AttrColors.begin());
    } else {
        for (size_t i = 0; i < 16; ++i) s.AttrColors[i].Set(map[i]);
    }
}

bool WriteSettingsRecordFile(const std::string& name, const SettingsRecord& record) {
    if (name.empty()) return false;
    const std::string fresh = name + ".~new";
    std::FILE* file = std::fopen(fresh.c_str(), "wb");
    if (file == nullptr) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    bool complete = SettingsFile.WriteBytes(file, bytes, sizeof record) == sizeof record;
    complete = std::fflush(file) == 0 && complete;
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        std::remove(fresh.c_str());
        return false;
    }
    if (std::rename(fresh.c_str(), name.c_str()) == 0) return true;
    // Windows will not rename onto an existing file: the old one steps aside
    // first, so that one of the two copies exists at every moment.
    if (!IsRegularFile(name)) {
        std::remove(fresh.c_str());
        return false;
    }
    const std::string old = name + ".~old";
    std::remove(old.c_str());
    if (std::rename(name.c_str(), old.c_str()) != 0) {
        std::remove(fresh.c_str());
        return false;
    }
    if (std::rename(fresh.c_str(), name.c_str()) != 0) {
        std::rename(old.c_str(), name.c_str());
        std::remove(fresh.c_str());
        return false;
    }
    std::remove(old.c_str());
    return true;
}

bool SaveSettingsFile() {
    SettingsFileState& st = SettingsFile;
    if (st.SettingsFileName.empty()) return false;
    CopyColorTablesToSettings();
    if (WriteSettingsRecordFile(st.SettingsFileName, Settings)) {
        st.SavedSettings = Settings;
        return true;
    }
    if (!StartupServices.RunErrorKeyMacro()) ShowMessage(Message(kMsgDiskOrDirectoryFull));
    return false;
}

bool ConfirmSaveSettings(bool allowCancel) {
    SettingsFileState& st = SettingsFile;
    StartupServices.ResetConsoleView();
    if (StartupServices.MacroPlaying()) return false;

    if (StartupServices.KeysChanged()) {
        const std::string keyFile = Settings.KeyFileName.Str();
        if (!PathExists(keyFile) || console::FileIsWritable(keyFile)) {
            if (ui::AskSaveKeys(allowCancel) == ui::kAnswerCancel) return false;
        }
    }

    CopyColorTablesToSettings();
    const bool changed = std::memcmp(&Settings, &st.SavedSettings, sizeof(SettingsRecord)) != 0;

    if (!PathExists(st.SettingsFileName) || console::FileIsWritable(st.SettingsFileName)) {
        if (Settings.SaveMode == 2 || !changed) return true;
        if (Settings.SaveMode == 1) {
            // A successful save refreshes the saved copy itself; a failed one
            // leaves the difference for the next check.
            ui::SaveParameters(false);
            return true;
        }
        const char answer = ui::AskSaveSettings(allowCancel);
        if (answer == ui::kAnswerCancel) return false;
        if (answer == ui::kAnswerNo) st.SavedSettings = Settings;
    }
    return true;
}

}  // namespace commands
