#include "console/terminal_window.h"

#include <algorithm>
#include <cstdlib>

#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/console_neighbours.h"
#include "console/exit_chain.h"
#include "console/messages.h"
#include "console/screen_buffer.h"

namespace console {

TerminalWindowUnitState TerminalWindowUnit;

void ResetTerminalWindowUnit() {
    TerminalWindowUnit = TerminalWindowUnitState{};
}

namespace {

TerminalWindowSeam WindowSeam;

constexpr size_t kMaxTitle = 79;
constexpr size_t kMaxBanner = 20;
constexpr int16_t kUnsetRectValue = -32768;
constexpr uint32_t kStyleSysMenu = 0x00080000;
constexpr uint32_t kStyleMinimizeBox = 0x00020000;
constexpr uint32_t kStyleMaximizeBox = 0x00010000;

// Settings and connection texts are ANSI bytes.
std::u16string FromAnsi(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    int32_t n =
        ConsoleScreen.Converter.Decode(0, false, reinterpret_cast<const uint8_t*>(text.data()),
                                       static_cast<int32_t>(text.size()), out.data());
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string_view FileNamePart(std::string_view path) {
    size_t slash = path.find_last_of("\\/:");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void EndProcess(int status) {
    if (WindowSeam.EndProcess) WindowSeam.EndProcess(status);
    RunExitChain(status);
    std::exit(status);
}

}  // namespace

TerminalWindowSeam SetTerminalWindowSeam(const TerminalWindowSeam& seam) {
    TerminalWindowSeam previous = WindowSeam;
    WindowSeam = seam;
    return previous;
}

void EnsureTerminalWindow() {
    if (WindowSeam.EnsureTerminalWindow) WindowSeam.EnsureTerminalWindow();
}

void CloseTerminalWindow() {
    if (WindowSeam.DestroyTerminalWindow) WindowSeam.DestroyTerminalWindow();
    EndProcess(0);
}

void HaltProgram() {
    connections::CommShutdown();
    EndProcess(255);
}

void PumpWindowMessages() {
    if (WindowSeam.PumpWindowMessages) WindowSeam.PumpWindowMessages();
}

std::u16string BuildWindowTitle() {
    const auto& settings = commands::Settings;
    const std::u16string& banner = TerminalWindowUnit.TitleBanner;
    std::u16string title;
    if (settings.WindowTitle.Length() != 0) {
        title = FromAnsi(settings.WindowTitle.View());
    } else if (!connections::CommIsOpen()) {
        title = banner + GetMessageW(kMsgNotConnected, false);
    } else if (settings.CommMethod != connections::CommMethodSerial &&
               settings.CommMethod != connections::CommMethodModem) {
        title = banner + u"-  " + FromAnsi(connections::CommConnectedHostName());
    } else if (commands::SettingsFile.SettingsLoaded &&
               !commands::SettingsFile.SettingsFileName.empty()) {
        title = banner + u"-  " + FromAnsi(FileNamePart(commands::SettingsFile.SettingsFileName));
    } else {
        title = banner;
    }
    if (title.size() > kMaxTitle) title.resize(kMaxTitle);
    return title;
}

void UpdateWindowTitle() {
    TerminalWindowUnit.CurrentWindowTitle = BuildWindowTitle();
    if (WindowSeam.ShowWindowTitle)
        WindowSeam.ShowWindowTitle(TerminalWindowUnit.CurrentWindowTitle);
}

void InitTitleBanner() {
    std::u16string banner = GetMessageW(kMsgTitleBanner, false);
    if (!banner.empty()) TerminalWindowUnit.TitleBanner = banner.substr(0, kMaxBanner);
}

std::string HelpFilePath(std::string_view programPath) {
    size_t slash = programPath.find_last_of("\\/:");
    if (slash == std::string_view::npos) return "???";
    std::string name = GetMessageText(kMsgHelpFile, false);
    if (name.empty()) name = "Vovuziva.hlp";
    return std::string(programPath.substr(0, slash + 1)) + name;
}

int64_t CommRequestMessage(uint32_t function, int64_t argument) {
    TerminalWindowUnit.CommRequestActive = true;
    auto lastError = [] {
        return static_cast<int64_t>(static_cast<uint16_t>(connections::CommLastError()));
    };
    switch (function) {
        case 1:
            return connections::CommSendByte(static_cast<uint8_t>(argument)) ? 1 : 0;
        case 3:
            connections::CommSendBreak();
            return 1;
        case 4:
            return connections::CommReadChar(false, false) & 0xFF;
        case 5:
            return connections::CommBytesWaiting();
        case 6:
            return connections::CommInputReady(static_cast<uint32_t>(argument)) ? 1 : 0;
        case 7:
            return lastError();
        case 8: {
            int64_t error = lastError();
            connections::CommClearLastError();
            return error;
        }
        case 9: {
            int64_t high = lastError() << 16;
            if (!connections::CommInputReady(0)) return high;
            int b = connections::CommReadChar(false, false);
            if (b == connections::CommNothingReceived) return high;
            return high | 0x100 | b;
        }
        case 99:
            TerminalWindowUnit.CommRequestActive = false;
            return 1;
        default:
            return -1;
    }
}

bool WindowCloseRequested(bool menuHasExit) {
    if (!menuHasExit || commands::Settings.AllowQuit == 0) {
        Neighbours.MessageBox(GetMessageText(kMsgFunctionDisabled, false));
        return false;
    }
    return commands::ConfirmSaveSettings(true);
}

bool EndSessionAllowed() {
    return commands::ConfirmSaveSettings(true);
}

uint32_t TerminalWindowStyle(uint32_t setting, bool& closeGreyed) {
    closeGreyed = false;
    if ((setting & (kStyleMinimizeBox | kStyleMaximizeBox)) && !(setting & kStyleSysMenu)) {
        setting |= kStyleSysMenu;
        closeGreyed = true;
    }
    return setting;
}

void InitialWindowPlacement(int32_t& left, int32_t& top, int32_t& width, int32_t& height) {
    left = top = width = height = kUseDefaultPosition;
    const auto& settings = commands::Settings;
    if (!settings.TrackWindow) return;
    auto value = [](const commands::Le16& word) {
        int16_t v = word.GetSigned();
        return v == kUnsetRectValue ? kUseDefaultPosition : static_cast<int32_t>(v);
    };
    left = value(settings.WindowRect80[0]);
    top = value(settings.WindowRect80[1]);
    width = value(settings.WindowRect80[2]);
    height = value(settings.WindowRect80[3]);
    // A size that cannot be a window's is left to the system.
    if (width != kUseDefaultPosition && width <= 0) width = kUseDefaultPosition;
    if (height != kUseDefaultPosition && height <= 0) height = kUseDefaultPosition;
}

void TrackWindowRect(int32_t left, int32_t top, int32_t width, int32_t height) {
    auto& settings = commands::Settings;
    if (!settings.TrackWindow) return;
    auto& rect = ConsoleScreen.Cols > 80 ? settings.WindowRectWide : settings.WindowRect80;
    const int32_t values[4] = {left, top, width, height};
    for (int i = 0; i < 4; ++i) {
        // The record keeps 16-bit values; 0x8000 stays the "unset" mark.
        int32_t v = std::clamp(values[i], -32767, 32767);
        rect[i].SetSigned(static_cast<int16_t>(v));
    }
}

MenuCommandDecision RouteMenuCommand(const MenuCommandInput& in) {
    MenuCommandDecision d;
    if (TerminalWindowUnit.HelpMode) {
        TerminalWindowUnit.HelpMode = false;
        d.Route = MenuCommandRoute::OpenHelp;
        d.HelpContext = in.Id > 999 ? in.Id / 10u : in.Id;
        return d;
    }
    auto macro = [&](uint16_t key) { return in.MacroExists && in.MacroExists(key); };
    d.Route = in.MenuHasItem ? MenuCommandRoute::RunItem : MenuCommandRoute::Ignore;
    if (!in.FromAccelerator) {
        d.Route = MenuCommandRoute::RunItem;
        return d;
    }
    if (in.AltHeld) {
        // The digit row's scan codes stand for Alt+1.. as the key codes have them.
        uint16_t scan = in.LastKeyScan < 14 ? in.LastKeyScan + 118 : in.LastKeyScan;
        if (macro(256 + scan)) {
            d.Route = MenuCommandRoute::QueueKey;
            d.Key = scan;
        }
        return d;
    }
    if (in.LastKeyInsert) {
        if (in.CtrlHeld && macro(402)) {
            d.Route = MenuCommandRoute::QueueKey;
            d.Key = 146;
        } else if (in.ShiftHeld && macro(450)) {
            d.Route = MenuCommandRoute::QueueKey;
            d.Key = 194;
        }
        return d;
    }
    d.Route = MenuCommandRoute::RunItem;
    return d;
}

}  // namespace console
