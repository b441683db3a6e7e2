#include "ui/dialogs/small_dialogs.h"

#include <algorithm>

#include "commands/command_services.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/file_search.h"
#include "console/globals.h"
#include "console/messages.h"
#include "console/system_services.h"
#include "console/terminal_window.h"
#include "ui/dialogs/dialog_entries.h"
#include "ui/menus/menu_dispatcher.h"
#include "ui/menus/menu_services.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace ui {

SmallDialogState SmallDialogs;

namespace {

using commands::Settings;

constexpr size_t kQueuedTextMax = 250;

std::string Msg(uint16_t id) {
    return console::GetMessageText(id, true);
}

std::string Banner() {
    return platform::WideToBytes(platform::kAnsiCodePage, console::TerminalWindowUnit.TitleBanner);
}

std::string Cut(std::string text, size_t max) {
    if (text.size() > max) text.resize(max);
    return text;
}

// "ABOUTBOX": the banner and version, the settings file and the keys file.
class AboutBox final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        constexpr uint16_t kMsgNone = 1, kMsgDefaultFile = 315, kMsgNotFound = 316,
                           kMsgKeysFile = 317, kMsgNoKeysFile = 318;
        c.SetCaption(Banner());
        c.SetText(104, Banner() + console::globals.VersionText);
        const auto& file = commands::SettingsFile;
        std::string settings = Msg(kMsgDefaultFile);
        if (file.SettingsFileName.empty() || file.SettingsSource == commands::kSettingsSourceNone) {
            settings += Msg(kMsgNone);
        } else {
            settings += Upper(file.SettingsFileName);
            if (file.SettingsSource == commands::kSettingsSourceOpenFailed)
                settings += Msg(kMsgNotFound);
        }
        c.SetText(110, settings);
        c.SetText(111, Settings.KeyFileName.View().empty()
                           ? Msg(kMsgNoKeysFile)
                           : Msg(kMsgKeysFile) + Upper(Settings.KeyFileName.View()));
    }
    std::optional<int> Ok(DialogControls&) override { return 1; }
};

// "ABOUTSUPPORT": the banner and version only.
class SupportBox final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.SetText(102, Banner() + Cut(console::globals.VersionText, 38));
    }
    std::optional<int> Ok(DialogControls&) override { return 1; }
};

// "DIAL": number, wait between retries and number of retries become one
// Dial command.
class DialDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.LimitText(4, 60);
        c.SetText(4, Settings.PhoneNumber.View());
        c.SetText(5, std::to_string(Settings.DialRetryWait.Get()));
        c.SetText(6, std::to_string(Settings.DialRetryCount.Get()));
    }
    std::optional<int> Ok(DialogControls& c) override {
        std::string command = "Dial \"" + Cut(c.Text(4), 60) + "\" ";
        const std::string wait = c.Text(5);
        const std::string retries = c.Text(6);
        if (!wait.empty()) command += wait;
        if (!retries.empty()) command += " " + retries;
        QueuePendingCommand(command);
        constexpr uint16_t kMsgDialing = 314;
        c.SetCaption(Msg(kMsgDialing));
        return 0;
    }
};

// "DELAYS": stored only where the field holds a number the setting can hold.
class DelaysDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.SetText(4, std::to_string(Settings.AsciiCharDelay.Get()));
        c.SetText(5, std::to_string(Settings.AsciiLineDelay.Get()));
    }
    std::optional<int> Ok(DialogControls& c) override {
        if (auto v = UnsignedNumber(c.Text(4)); v && *v <= 0xFFFF)
            Settings.AsciiCharDelay.Set(static_cast<uint16_t>(*v));
        if (auto v = UnsignedNumber(c.Text(5)); v && *v <= 0xFFFF)
            Settings.AsciiLineDelay.Set(static_cast<uint16_t>(*v));
        return 0;
    }
};

// "SCREENSIZE": columns and rows become a SCREENMODE command.
class ScreenSizeDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.SetText(4, std::to_string(Settings.ScreenColumns));
        c.SetText(5, std::to_string(console::ConsoleLayer.ScreenRows));
    }
    std::optional<int> Ok(DialogControls& c) override {
        const auto columns = UnsignedNumber(c.Text(4));
        const auto rows = UnsignedNumber(c.Text(5));
        if (columns && rows)
            QueuePendingCommand("SCREENMODE " + std::to_string(*columns) + "x" +
                                std::to_string(*rows));
        return 0;
    }
};

// "INTIN" and "SENDKERMITCOMM": the prompt's prefix and the typed text.
class PrefixedInput final : public DialogModel {
  public:
    PrefixedInput(int label, int field, bool number)
        : label_(label), field_(field), number_(number) {}
    void Open(DialogControls& c) override {
        if (number_) c.SetCaption(textPrompts.PromptCaption);
        c.SetText(label_, textPrompts.PromptLabel);
        c.SetText(field_,
                  number_ ? std::to_string(MenuDispatch.IntInValue) : textPrompts.PromptText);
    }
    std::optional<int> Ok(DialogControls& c) override {
        QueuePendingCommand(textPrompts.PromptPrefix + Cut(c.Text(field_), kQueuedTextMax));
        return 0;
    }

  private:
    int label_, field_;
    bool number_;
};

// "LISTBOX": the chosen entry is queued.
class ListChooser final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        entries_ = SmallDialogs.ListBoxLines;
        std::sort(entries_.begin(), entries_.end(),
                  [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
        c.SetCaption(textPrompts.PromptCaption);
        c.SetText(201, textPrompts.PromptLabel);
        c.SetList(202, entries_);
        c.Select(202, FindEntry(entries_, textPrompts.PromptText));
    }
    std::optional<int> Ok(DialogControls& c) override {
        const int chosen = c.Selected(202);
        if (chosen < 0 || chosen >= static_cast<int>(entries_.size())) return 0;
        QueuePendingCommand(entries_[static_cast<size_t>(chosen)]);
        return 1;
    }

  private:
    std::vector<std::string> entries_;
};

// "DOWNDIR": a folder typed or picked from the list of its subfolders, and
// the lock box.
class DownloadFolderDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.LimitText(100, 255);
        c.SetText(100, MenuDispatch.FolderBuffer);
        c.SetChecked(120, MenuDispatch.FolderLocked);
        Fill(c, MenuDispatch.FolderBuffer);
    }
    void Command(DialogControls& c, int id, ControlEvent event) override {
        if (id != 103) return;
        const int at = c.Selected(103);
        if (at < 0 || at >= static_cast<int>(entries_.size())) return;
        std::string folder = Join(base_, entries_[static_cast<size_t>(at)]);
        c.SetText(100, folder);
        if (event == ControlEvent::DoubleClicked) Fill(c, folder);
    }
    std::optional<int> Ok(DialogControls& c) override {
        MenuDispatch.FolderBuffer = Cut(c.Text(100), 255);
        MenuDispatch.FolderLocked = c.Checked(120);
        return 1;
    }

  private:
    static std::string Join(const std::string& base, const std::string& name) {
        if (name == "..") {
            std::string up = base;
            if (!up.empty() && (up.back() == '\\' || up.back() == '/')) up.pop_back();
            const size_t slash = up.find_last_of("\\/");
            return slash == std::string::npos ? up : up.substr(0, slash + 1);
        }
        return base + name + Separator(base);
    }
    // Folders keep the separator they were written with.
    static char Separator(const std::string& path) {
        return path.find('/') != std::string::npos && path.find('\\') == std::string::npos ? '/'
                                                                                           : '\\';
    }
    void Fill(DialogControls& c, std::string folder) {
        if (folder.empty()) folder = console::GetDirPChar(0);
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
            folder += Separator(folder);
        base_ = folder;
        entries_.clear();
        console::SearchRec rec;
        console::FindFirst(folder + "*.*", console::faDirectory, rec);
        while (console::dosState.DosError == 0) {
            if ((rec.Attr & console::faDirectory) && rec.Name != ".") entries_.push_back(rec.Name);
            console::FindNext(rec);
        }
        console::FindClose(rec);
        std::sort(entries_.begin(), entries_.end(),
                  [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
        c.SetList(103, entries_);
    }
    std::string base_;
    std::vector<std::string> entries_;
};

// "REGTELNET": the program made, or no longer made, the system's telnet
// client.
class RegisterTelnetDialog final : public DialogModel {
  public:
    void Open(DialogControls&) override {}
    void Command(DialogControls&, int id, ControlEvent) override {
        if (id == 201) commands::CommandServices.RegisterTelnetHandler("");
        if (id == 202) commands::CommandServices.RegisterTelnetHandler("RESET");
    }
    std::optional<int> Ok(DialogControls&) override { return 1; }
};

}  // namespace

std::unique_ptr<DialogModel> MakeSmallDialog(std::string_view name) {
    if (name == "ABOUTBOX") return std::make_unique<AboutBox>();
    if (name == "ABOUTSUPPORT") return std::make_unique<SupportBox>();
    if (name == "DIAL") return std::make_unique<DialDialog>();
    if (name == "DELAYS") return std::make_unique<DelaysDialog>();
    if (name == "SCREENSIZE") return std::make_unique<ScreenSizeDialog>();
    if (name == "INTIN") return std::make_unique<PrefixedInput>(3, 4, true);
    if (name == "SENDKERMITCOMM") return std::make_unique<PrefixedInput>(103, 104, false);
    if (name == "LISTBOX") return std::make_unique<ListChooser>();
    if (name == "DOWNDIR") return std::make_unique<DownloadFolderDialog>();
    if (name == "REGTELNET") return std::make_unique<RegisterTelnetDialog>();
    return nullptr;
}

std::vector<std::string> SettingsFileChoices() {
    constexpr uint16_t kMsgPattern = 377;
    std::vector<std::string> names;
    console::SearchRec rec;
    console::FindFirst(Msg(kMsgPattern),
                       console::faReadOnly | console::faHidden | console::faArchive, rec);
    while (console::dosState.DosError == 0) {
        if (rec.Name.size() > 4) names.push_back(rec.Name.substr(0, rec.Name.size() - 4));
        console::FindNext(rec);
    }
    console::FindClose(rec);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    return names;
}

// The start-up chooser of a settings file among those of the current folder.
bool ChooseSettingsFile() {
    constexpr uint16_t kMsgChooseCaption = 364;
    constexpr uint16_t kMsgPattern = 377;
    const std::string banner =
        platform::WideToBytes(platform::kAnsiCodePage, console::TerminalWindowUnit.TitleBanner);
    textPrompts.PromptCaption =
        (banner + console::GetMessageText(kMsgChooseCaption, true)).substr(0, 51);
    textPrompts.PromptLabel.clear();
    SmallDialogs.ListBoxLines = SettingsFileChoices();
    textPrompts.PromptText =
        SmallDialogs.ListBoxLines.empty() ? std::string() : SmallDialogs.ListBoxLines.front();
    const int result = MenuServices.RunDialog("LISTBOX");
    const bool chosen = result == 1;
    if (chosen)
        commands::SettingsFile.SettingsFileName =
            console::FExpand(MenuDispatch.PendingCommand) +
            console::GetMessageText(kMsgPattern, true).substr(1);
    MenuDispatch.PendingCommand.clear();
    SmallDialogs.ListBoxLines.clear();
    if (result == -1) {
        constexpr console::MessageId kNoSettingsChoice = 13950;
        LangMessageBoxShort(console::GetMessageText(kNoSettingsChoice, true));
    }
    return chosen;
}

}  // namespace ui
