// The dialogs other units open, run by name through the menus' platform side
// (which says so when a dialog is not available).
#include "ui/dialogs/dialog_entries.h"

#include <algorithm>
#include <cctype>

#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/messages.h"
#include "console/terminal_window.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace ui {

namespace {

constexpr uint16_t kMsgShortcutLabel = 968;
constexpr uint16_t kMsgShortcutName = 969;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::u16string Wide(std::string_view text) {
    return platform::BytesToWide(platform::kAnsiCodePage, text, 0);
}

void Replace(std::u16string& text, std::u16string_view what, std::u16string_view with) {
    if (const size_t at = text.find(what); at != std::u16string::npos)
        text.replace(at, what.size(), with);
}

}  // namespace

void CommSettingsDialog() {
    MenuServices.RunDialog("COMMSETTINGS");
}

bool EditColors() {
    // The host sets the colours of this type; the user may still change the colour map.
    const std::string type = commands::Settings.TerminalType.Str();
    if (EqualNoCase(type, "SCOANSI")) {
        std::string text = console::GetMessageText(19028, true);
        if (const size_t at = text.find("%0:s"); at != std::string::npos) text.replace(at, 4, type);
        LangMessageBoxShort(text);
    }
    return MenuServices.RunDialog("COLOREDIT") == 1;
}

void OfferDesktopShortcut() {
    const std::string& file = commands::SettingsFile.SettingsFileName;
    if (EqualNoCase(file, commands::SettingsFile.ProgramFolder + "VOVUZIVA.DEF")) return;
    std::string base = file.substr(
        file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/") + 1);
    if (const size_t dot = base.find_last_of('.'); dot != std::string::npos) base.resize(dot);
    std::u16string banner = console::TerminalWindowUnit.TitleBanner;
    while (!banner.empty() && banner.back() == u' ') banner.pop_back();
    std::u16string proposal = Wide(console::GetMessageText(kMsgShortcutName, true));
    Replace(proposal, u"%0:s", banner);
    Replace(proposal, u"%1:s", Wide(base));
    std::u16string name;
    if (!StringInputPrompt(console::TerminalWindowUnit.TitleBanner,
                           Wide(console::GetMessageText(kMsgShortcutLabel, true)), name, proposal))
        return;
    MenuServices.CreateDesktopShortcut(file, platform::WideToBytes(platform::kAnsiCodePage, name));
}

void ShowCharInfo() {
    MenuServices.RunDialog("CHARINFO");
}

}  // namespace ui
