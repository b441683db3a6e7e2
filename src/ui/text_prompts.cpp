#include "ui/text_prompts.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/messages.h"
#include "ui/menus/menu_dispatcher.h"

namespace platform {
namespace {

class NoPromptDialogs final : public PromptDialogs {
  public:
    int StringIn(bool) override { return ui::kPromptNoTemplate; }
    int LoginPassword() override { return ui::kPromptNoTemplate; }
    bool OwnMenuHoldsItem(uint16_t) override { return false; }
};

PromptDialogs* installedDialogs = nullptr;

}  // namespace

void SetPromptDialogs(PromptDialogs* dialogs) {
    installedDialogs = dialogs;
}

PromptDialogs& CurrentPromptDialogs() {
    static NoPromptDialogs fallback;
    return installedDialogs ? *installedDialogs : fallback;
}

}  // namespace platform

namespace ui {

TextPromptUnit textPrompts;

namespace {

constexpr uint16_t kMsgHostNameLabel = 323;
constexpr uint16_t kMsgHostNameCaption = 324;
constexpr uint16_t kMsgSocksHostLabel = 325;
constexpr uint16_t kMsgSocksHostCaption = 326;
constexpr uint16_t kMsgUsernameCaption = 365;
constexpr uint16_t kMsgUsernameLabel = 366;
constexpr uint16_t kMsgPasswordCaption = 367;
constexpr uint16_t kMsgPasswordLabel = 368;
constexpr uint16_t kMenuItemHostName = 591;

std::string Cut(std::string_view text, size_t max) {
    return std::string(text.substr(0, std::min(text.size(), max)));
}

std::string Ansi(std::u16string_view text) {
    return platform::WideToBytes(platform::kAnsiCodePage, text);
}

void SetPrompt(std::string_view caption, std::string_view label, std::string_view initial) {
    textPrompts.PromptText = Cut(initial, kPromptTextMax);
    textPrompts.PromptLabel = Cut(label, kPromptLabelMax);
    textPrompts.PromptCaption = Cut(caption, kPromptCaptionMax);
    textPrompts.PromptPrefix.clear();
}

// Runs "STRINGIN" or "PASSWORD"; on OK the typed text is taken out of PendingCommand.
bool RunStringIn(bool password, std::string& typed) {
    if (platform::CurrentPromptDialogs().StringIn(password) != kPromptOk) {
        MenuDispatch.PendingCommand.clear();
        return false;
    }
    typed = MenuDispatch.PendingCommand;
    if (password)
        WipeText(MenuDispatch.PendingCommand);
    else
        MenuDispatch.PendingCommand.clear();
    return true;
}

bool EditSettingsText(commands::PString<255>& field, uint16_t label, uint16_t caption) {
    SetPrompt(console::GetMessageText(caption, false), console::GetMessageText(label, false),
              field.View());
    std::string typed;
    if (!RunStringIn(false, typed)) return false;
    field = typed;
    return true;
}

}  // namespace

void ResetTextPrompts() {
    WipeText(textPrompts.PromptPassword);
    textPrompts = TextPromptUnit{};
}

void WipeText(std::string& text) {
    volatile char* bytes = text.data();
    for (size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
    text.clear();
}

void StringInAccept(std::string_view typed) {
    std::string command = textPrompts.PromptPrefix;
    command += typed.substr(0, std::min(typed.size(), kPromptTypedMax));
    WipeText(MenuDispatch.PendingCommand);
    MenuDispatch.PendingCommand = Cut(command, kPendingCommandMax);
    WipeText(command);
}

void LoginPasswordAccept(std::string_view user, std::string_view password) {
    textPrompts.PromptText = Cut(user, kPromptTextMax);
    WipeText(textPrompts.PromptPassword);
    textPrompts.PromptPassword = Cut(password, kPromptPasswordMax);
}

bool LoginPasswordOkEnabled(std::string_view user, std::string_view password) {
    return !user.empty() && !password.empty();
}

bool StringInputPrompt(std::u16string_view caption, std::u16string_view label,
                       std::u16string& result, std::u16string_view initial) {
    SetPrompt(Ansi(caption), Ansi(label), Ansi(initial));
    std::string typed;
    if (!RunStringIn(false, typed)) return false;
    result = platform::BytesToWide(platform::kAnsiCodePage, typed, 0);
    return true;
}

void UsernamePrompt(std::string& name) {
    SetPrompt(console::GetMessageText(kMsgUsernameCaption, false),
              console::GetMessageText(kMsgUsernameLabel, false), {});
    std::string typed;
    name = RunStringIn(false, typed) ? typed : std::string();
}

void PasswordPrompt(std::string& password) {
    SetPrompt(console::GetMessageText(kMsgPasswordCaption, false),
              console::GetMessageText(kMsgPasswordLabel, false), {});
    std::string typed;
    WipeText(password);
    if (RunStringIn(true, typed)) password = typed;
    WipeText(typed);
}

bool LoginPasswordPrompt(std::string_view host, bool userEditable, std::string& user,
                         size_t userMax, std::string& password, size_t passwordMax) {
    textPrompts.PromptText = Cut(user, kPromptTextMax);
    WipeText(textPrompts.PromptPassword);
    textPrompts.PromptPassword = Cut(password, kPromptPasswordMax);
    textPrompts.NoticeText = std::string(host);
    textPrompts.PromptUserEditable = userEditable;
    bool confirmed = platform::CurrentPromptDialogs().LoginPassword() == kPromptOk;
    if (confirmed) {
        if (userEditable) user = Cut(textPrompts.PromptText, userMax);
        WipeText(password);
        password = Cut(textPrompts.PromptPassword, passwordMax);
    }
    WipeText(textPrompts.PromptPassword);
    return confirmed;
}

bool HostNamePrompt() {
    // The reduced menu of kiosk mode has no Host name item, and then the host stays as it is.
    if (!platform::CurrentPromptDialogs().OwnMenuHoldsItem(kMenuItemHostName)) return false;
    return EditSettingsText(commands::Settings.HostName, kMsgHostNameLabel, kMsgHostNameCaption);
}

bool SocksHostPrompt() {
    return EditSettingsText(commands::Settings.SocksHost, kMsgSocksHostLabel, kMsgSocksHostCaption);
}

}  // namespace ui
