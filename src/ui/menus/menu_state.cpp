#include "ui/menus/menu_state.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "commands/interpreter.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "ui/clipboard/clipboard.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/menus/menu_services.h"

namespace ui {

const uint16_t OptionalMenuItems[11] = {114, 116, 115, 611, 601, 201, 204, 580, 584, 902, 903};

namespace {

void NoMenuBar() {}
void NoPopup(int, int) {}

using commands::Settings;

constexpr uint16_t kMsgClose = 320;
constexpr uint16_t kMsgOpenReceive = 321;
constexpr uint16_t kMsgOpenSend = 322;
constexpr size_t kItemTextMax = 121;

struct RestrictedEntry {
    uint16_t Id;
    uint8_t Disable;
};
constexpr RestrictedEntry kRestricted[15] = {
    {113, 0}, {117, 0}, {121, 0}, {1201, 0}, {1202, 0}, {1203, 0}, {1204, 0}, {114, 0},
    {115, 1}, {116, 0}, {122, 0}, {201, 0},  {204, 0},  {403, 0},  {608, 0},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The terminal type item that carries the mark, tested in menu order.
uint16_t MarkedTermType() {
    const std::string_view type = Settings.TerminalType.View();
    switch (MenuServices.TermFamily()) {
        case MenuTermFamily::N7900:
            return 5601;
        case MenuTermFamily::Viewpoint:
            return 5602;
        case MenuTermFamily::C332:
            return 5609;
        default:
            break;
    }
    if (type == "WYSE50") return 5608;
    if (MenuServices.TermFamily() == MenuTermFamily::Wyse60) return 5604;
    if (type == "SCOANSI") return 5606;
    if (type == "AT386") return 5607;
    if (type == "OZMEL") return 5605;
    if (MenuServices.TermFamily() == MenuTermFamily::Tv965) return 5610;
    if (type == "VT100") return 5611;
    if (type == "VT320") return 5612;
    if (type == "VT420") return 5614;
    if (type == "LINUX") return 5613;
    return 5603;
}

bool ScreenSizeMarked(const MenuItem& item) {
    const std::string word = ItemWord(item.Text, 8);
    const int cols = Settings.ScreenColumns;
    const int rows = console::ConsoleLayer.ScreenRows + (Settings.StatusLine != 0 ? 1 : 0);
    return (word == "132x24" && cols == 132 && rows == 25) ||
           (word == "80x24" && cols == 80 && rows == 25) ||
           (word == "132x25" && cols == 132 && rows == 26) ||
           (word == "80x25" && cols == 80 && rows == 26);
}

bool SameMap(bool second) {
    uint16_t map[16] = {};
    MenuServices.DefaultColorMap(second, map);
    const auto& current = console::ConsoleLayer.AttrColorMap;
    for (size_t i = 0; i < 16; ++i)
        if (current[i] != map[i]) return false;
    return true;
}

std::optional<bool> CheckOf(const MenuItem& item) {
    const auto& s = Settings;
    const uint8_t capture = MenuServices.CaptureMode();
    const uint16_t jump = s.JumpScroll.Get();
    const uint16_t id = item.Id;
    switch (id) {
        case 123:
            return s.PrintFontCharset == 0 && EqualNoCase(s.PrintFontName.View(), "Courier New");
        case 124:
            return s.PrintFontCharset == 255 && EqualNoCase(s.PrintFontName.View(), "Courier New");
        case 1201:
        case 1202:
        case 1203:
        case 1204:
            return s.PrintLevel == id - 1201;
        case 122:
            return s.PrintWizard != 0;
        case 301:
            return s.BeepMode != 0;
        case 302:
            return s.BeepIdle == 1;
        case 303:
            return s.Gauge == 1;
        case 304:
            return s.StatusLine == 1;
        case 308:
            return s.BlockCursor != 0;
        case 3101:
            return SameMap(false);
        case 3102:
            return SameMap(true);
        case 317:
            return s.ScreenFontCharset == 0 && EqualNoCase(s.ScreenFontName.View(), "Courier New");
        case 318:
            return s.ScreenFontCharset == 255 &&
                   EqualNoCase(s.ScreenFontName.View(), "Courier New");
        case 319:
            return s.ScreenFontCharset == 255 && EqualNoCase(s.ScreenFontName.View(), "Terminal");
        case 309:
            return (s.ScreenColumns > 80 ? s.Zoomed132 : s.Zoomed80) != 0;
        case 316:
            return s.TrackWindow != 0;
        case 3051:
        case 3052:
        case 3053:
        case 3054:
            return ScreenSizeMarked(item);
        case 306:
            return s.ScrollEnabled == 1;
        case 3071:
            return jump == 0;
        case 3072:
            return jump >= 1 && jump <= 99;
        case 3073:
            return jump == 100;
        case 401:
            return MenuServices.MonitorMode();
        case 505:
            return s.AutoLF != 0;
        case 506:
            return s.FullDuplex != 0;
        case 507:
            return s.NoKeyboardLock == 0;
        case 508:
            return s.CommMethod == 1;
        case 511:
            return s.LoginWizard != 0;
        case 5751:
        case 5752:
        case 5753:
            return ItemWord(item.Text, 8) == std::to_string(s.BackspaceChar);
        case 5921:
            return s.ReconnectMode == 1;
        case 5922:
            return s.ReconnectMode == 2;
        case 5923:
            return s.ReconnectMode == 0;
        case 593:
            return s.AutoConnect != 0;
        case 581:
            return s.UpperCaseKeys != 0;
        case 582:
            return s.ScrollLockKey != 0;
        case 611:
            return capture == 2;
        case 601:
            return capture == 1 || capture == 3;
        case 602:
            return MenuServices.TransmitState() != 0;
        case 606:
            return s.ReceiveQuiet != 0;
        case 6104:
            return s.KermitAutoReceive != 0;
        case 6304:
            return s.ZmodemAutoReceive != 0;
        case 403:
            return MenuServices.ReviewActive();
        case 404:
            return s.CommDebug != 0;
        case 704:
            return commands::Interpreter.LearnMode;
        default:
            break;
    }
    if (id >= 5601 && id <= 5614) return id == MarkedTermType();
    return std::nullopt;
}

void SetText(MenuItem& item, std::string text) {
    text.resize(std::min(text.size(), kItemTextMax));
    if (text != item.Text) {
        item.Text = std::move(text);
        item.TextChanged = true;
    }
}

std::string Msg(uint16_t id) {
    return console::GetMessageText(id, true);
}

}  // namespace

MenuBarHooks NullMenuBarHooks() {
    return {NoMenuBar, NoMenuBar, NoPopup};
}
MenuBarHooks menuBarHooks = NullMenuBarHooks();

void UpdateMenuState() {
    menuBarHooks.UpdateMenuState();
}

void SetupMainMenu() {
    menuBarHooks.SetupMainMenu();
}

void ShowMousePopup(int x, int y, std::u16string_view text) {
    MenuDispatch.PopupText = platform::WideToBytes(platform::kAnsiCodePage, text).substr(0, 255);
    menuBarHooks.ShowMousePopup(x, y);
}

bool EnabledWhenRestricted(uint16_t id) {
    for (const auto& e : kRestricted)
        if (e.Id == id) return e.Disable == 0;
    return false;
}

std::vector<uint16_t> KioskRemovedItems(int32_t kioskLevel) {
    std::vector<uint16_t> removed;
    if (kioskLevel == -1) return removed;
    for (int bit = 0; bit < 11; ++bit)
        if ((kioskLevel & (int32_t{1} << bit)) == 0) removed.push_back(OptionalMenuItems[bit]);
    return removed;
}

void ComputeMenuState(std::vector<MenuItem>& items) {
    const auto& s = Settings;
    const bool outputOpen = MenuServices.OutputFileOpen();
    const bool inputOpen = MenuServices.InputFileOpen();
    const uint8_t capture = MenuServices.CaptureMode();
    const bool pasting = PastePending();
    const bool idle = MenuServices.MainLoopIdle();
    const bool review = MenuServices.ReviewActive();
    const bool printerBusy = MenuServices.PrinterBusy();
    for (MenuItem& item : items) {
        if (item.Id == 0) continue;
        const uint16_t id = item.Id;
        bool enabled = true;
        if (id == 101)
            SetText(item, outputOpen ? Msg(kMsgClose) + MenuServices.OutputFileName()
                                     : Msg(kMsgOpenReceive));
        if (id == 102)
            SetText(item,
                    inputOpen ? Msg(kMsgClose) + MenuServices.InputFileName() : Msg(kMsgOpenSend));
        switch (id) {
            case 119:
                enabled = MenuServices.BackgroundPictureLoaded();
                break;
            case 203:
                enabled = outputOpen;
                break;
            case 1201:
            case 1202:
            case 1203:
            case 1204:
                enabled = s.PrintWizard == 0;
                break;
            case 591:
                enabled = s.CommMethod != 1;
                break;
            case 601:
                enabled = capture != 2;
                break;
            case 611:
                enabled = capture != 1 && capture != 3;
                break;
            case 204:
                enabled = MenuServices.ClipboardHasText() && !pasting;
                break;
            case 202:
                enabled = !pasting;
                break;
            case 104:
                enabled = !commands::SettingsFile.SettingsFileName.empty();
                break;
            case 111:
                enabled = s.KeyFileName.Length() != 0;
                break;
            default:
                break;
        }
        if (const auto check = CheckOf(item)) item.Checked = *check;
        if (!idle) {
            enabled = EnabledWhenRestricted(id);
            if (id == 403 && !review) enabled = false;
        }
        if (printerBusy) {
            switch (id) {
                case 113:
                case 114:
                case 116:
                case 117:
                case 120:
                case 121:
                case 122:
                case 123:
                case 124:
                case 1201:
                case 1202:
                case 1203:
                case 1204:
                    enabled = false;
                    break;
                default:
                    break;
            }
        }
        if (id == 115) enabled = s.AllowQuit != 0;
        item.Enabled = enabled;
    }
}

void ComputePopupState(std::vector<MenuItem>& items, bool (*mainMenuHolds)(uint16_t id)) {
    const bool pasting = PastePending();
    const bool kiosk = MenuServices.KioskLevel() != -1;
    const bool review = MenuServices.ReviewActive();
    for (MenuItem& item : items) {
        const uint16_t id = item.Id;
        if (id == 0) continue;
        bool enabled = true;
        if (id == 204) enabled = MenuServices.ClipboardHasText() && !pasting;
        if (id == 202) enabled = !pasting;
        if (id == 585) enabled = !MenuDispatch.PopupText.empty();
        if ((id == 201 || id == 204 || id == 202 || id == 114) && !mainMenuHolds(id))
            enabled = false;
        if (kiosk && (id == 585 || id == 586)) enabled = false;
        if (id == 403) {
            if (!MenuServices.MainLoopIdle() && !review) enabled = false;
            item.Checked = review;
        }
        item.Enabled = enabled;
    }
}

}  // namespace ui
