#include "ui/dialogs/setup_dialogs.h"

#include <algorithm>
#include <array>

#include "commands/interpreter.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "console/code_pages.h"
#include "console/file_search.h"
#include "console/messages.h"
#include "console/system_services.h"
#include "console/terminal_window.h"
#include "ui/dialogs/comm_settings.h"
#include "ui/menus/menu_services.h"
#include "ui/settings_dialogs.h"

namespace ui {

SaveQuestionRecord SaveQuestion;
FirstRunChoice* FirstRunWork = nullptr;

namespace {

using commands::Settings;

constexpr size_t kMostSets = 200;
constexpr size_t kNationalSets = 13;
constexpr size_t kCommandNameMax = 120;

constexpr uint32_t kCodeIso = 0x000000, kCodeNone = 0x010000, kCodeUtf8 = 0x040000,
                   kCodeDec = 0x050000, kCodeOem = 0x070000, kCodeScreenFile = 0x080000,
                   kCodeIso8859_2 = 0x120000, kCodeIso8859_15 = 0x1B0000;
constexpr uint8_t kKindOem = 6, kKindIso = 8, kKindMultibyte = 14, kKindDec = 16;

std::string Msg(uint16_t id) {
    return console::GetMessageText(id, true);
}

bool TranslationFileExists(const std::string& base) {
    return commands::StartupServices.IsUsableFile(commands::SettingsFile.ProgramFolder + base +
                                                  ".uni");
}

// The ISO 8859 files are offered by their set names, not their file names.
bool IsIso8859FileName(const std::string& base) {
    const std::string name = Upper(base);
    if (name == "I-885915") return true;
    return name.size() == 8 && name.starts_with("I-8859-") && name[7] >= '2' && name[7] <= '9';
}

std::vector<std::string> NationalSetNames() {
    std::vector<std::string> names;
    for (uint8_t i = 0; i < kNationalSets; ++i) names.push_back(MenuServices.NationalSetName(i));
    return names;
}

std::string NationalSetName(uint8_t index) {
    return index < kNationalSets ? MenuServices.NationalSetName(index) : std::string();
}

// The screen's 8-bit set as the list names it.
std::string ScreenEightBitName() {
    switch (Settings.CharsetKind) {
        case kKindMultibyte:
            return Settings.CodePage.Get() == kCodeScreenFile
                       ? Settings.CharsetFile.Str()
                       : MenuServices.CharsetName(Settings.CodePage.Get());
        case kKindOem:
            return MenuServices.CharsetName(kCodeOem);
        case kKindIso:
            return MenuServices.CharsetName(kCodeIso);
        case kKindDec:
            return MenuServices.CharsetName(kCodeDec);
        default:
            return {};
    }
}

// "CHARSET": the screen's and passthrough printing's 7-bit and 8-bit sets; each list whose choice
// changed runs its command at once.
class CharsetDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        const auto national = NationalSetNames();
        const auto eightBit = EightBitCharsetChoices();
        lists_[0] = national;
        lists_[1] = eightBit;
        lists_[2] = national;
        lists_[3] = eightBit;
        lists_[3].insert(lists_[3].begin(), MenuServices.CharsetName(kCodeNone));
        const std::string shown[4] = {NationalSetName(Settings.CharsetMode), ScreenEightBitName(),
                                      NationalSetName(Settings.PassthroughCharset),
                                      MenuServices.CharsetName(Settings.PassthroughCodePage.Get())};
        for (size_t i = 0; i < 4; ++i) {
            const int id = kFirstList + static_cast<int>(i);
            c.SetList(id, lists_[i]);
            opened_[i] = shown[i].empty() ? -1 : FindEntry(lists_[i], shown[i]);
            c.Select(id, opened_[i]);
        }
    }
    std::optional<int> Ok(DialogControls& c) override {
        static constexpr const char* kVerbs[4] = {"CHARSET ", "CHARSET ", "PASSTHRU-CP ",
                                                  "PASSTHRU-CP "};
        for (size_t i = 0; i < 4; ++i) {
            const int chosen = c.Selected(kFirstList + static_cast<int>(i));
            if (chosen == opened_[i] || chosen < 0 || chosen >= static_cast<int>(lists_[i].size()))
                continue;
            const std::string& name = lists_[i][static_cast<size_t>(chosen)];
            commands::ExecuteFunction(kVerbs[i] + name.substr(0, kCommandNameMax));
        }
        return 1;
    }

  private:
    static constexpr int kFirstList = 201;
    std::array<std::vector<std::string>, 4> lists_;
    std::array<int, 4> opened_{-1, -1, -1, -1};
};

// "SPOOLSETUP": the printer that receives raw spool jobs, or "(same)" for none of its own.
class SpoolSetupDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        constexpr uint16_t kMsgSame = 957;
        same_ = Msg(kMsgSame);
        entries_ = MenuServices.PrinterNames();
        std::sort(entries_.begin(), entries_.end(),
                  [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
        entries_.insert(entries_.begin(), same_);
        c.SetList(kList, entries_);
        const std::string wanted =
            Upper(Settings.SpoolerPrinter.View().empty() ? same_ : Settings.SpoolerPrinter.Str());
        int at = -1;
        for (size_t i = 0; i < entries_.size() && at < 0; ++i)
            if (Upper(entries_[i]).starts_with(wanted)) at = static_cast<int>(i);
        c.Select(kList, at);
    }
    std::optional<int> Ok(DialogControls& c) override {
        const int chosen = c.Selected(kList);
        if (chosen < 0 || chosen >= static_cast<int>(entries_.size())) return 1;
        const std::string& name = entries_[static_cast<size_t>(chosen)];
        Settings.SpoolerPrinter = Upper(name) == Upper(same_) ? std::string() : name;
        return 1;
    }

  private:
    static constexpr int kList = 201;
    std::string same_;
    std::vector<std::string> entries_;
};

// "SAVEPARAM": Save (only with a file name), Save As, No or Cancel, each ending the question.
class SaveQuestionDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        c.SetCaption(SaveQuestion.Caption);
        c.SetText(kText, SaveQuestion.Text);
        c.Enable(kSaveButton, SaveQuestion.SaveAllowed);
        c.Enable(kCancelButton, SaveQuestion.CancelAllowed);
    }
    std::optional<int> Closes(int id) override {
        if (id == kSaveButton && !SaveQuestion.SaveAllowed) return std::nullopt;
        if (id == kSaveButton || id == kSaveAsButton || id == kNoButton) return id;
        return std::nullopt;
    }
    // Enter takes Save where it is offered, else Save As.
    std::optional<int> Ok(DialogControls&) override {
        return SaveQuestion.SaveAllowed ? kSaveButton : kSaveAsButton;
    }
    int Cancel() override { return kCancelButton; }

  private:
    static constexpr int kText = 101;
};

// "INITTERMTYPE": the terminal type of the first start, and where a language's template has
// them, the host type, the baud rate and the port.
class FirstRunDialog final : public DialogModel {
  public:
    void Open(DialogControls& c) override {
        constexpr uint16_t kMsgWelcome = 306;
        c.SetCaption(Msg(kMsgWelcome) +
                     platform::WideToBytes(platform::kAnsiCodePage,
                                           console::TerminalWindowUnit.TitleBanner));
        FirstRunChoice& w = Work();
        Fill(c, kTypeList, TermTypes(), w.terminalType);
        Fill(c, kHostList, kHostKinds, w.hostKind);
        Fill(c, kBaudList, BaudRateChoices(), std::to_string(w.baudRate));
        Fill(c, kPortList, Ports(), std::to_string(w.port));
    }
    std::optional<int> Ok(DialogControls& c) override {
        FirstRunChoice& w = Work();
        if (auto type = Chosen(c, kTypeList, TermTypes())) w.terminalType = *type;
        if (auto host = Chosen(c, kHostList, kHostKinds)) w.hostKind = *host;
        if (auto baud = Chosen(c, kBaudList, BaudRateChoices()))
            w.baudRate = UnsignedNumber(*baud).value_or(w.baudRate);
        if (auto port = Chosen(c, kPortList, Ports()))
            w.port = static_cast<uint8_t>(UnsignedNumber(*port).value_or(w.port));
        return 1;
    }

  private:
    static constexpr int kTypeList = 117, kHostList = 105, kBaudList = 112, kPortList = 121;
    inline static const std::vector<std::string> kHostKinds = {"UNIX", "ITX", "IRX", "IMOS",
                                                               "RMCOS"};
    static const std::vector<std::string>& TermTypes() {
        static const std::vector<std::string> types = {
            "VT420", "VT320",  "VT220",  "VT100",     "Linux", "SCOANSI", "AT386",
            "OZMEL", "Wyse60", "Wyse50", "Viewpoint", "N7900", "C332",    "TV965"};
        return types;
    }
    static std::vector<std::string> Ports() {
        std::vector<std::string> ports;
        for (int i = 1; i <= console::ComPortCount(); ++i) ports.push_back(std::to_string(i));
        return ports;
    }
    FirstRunChoice& Work() {
        static FirstRunChoice none;
        return FirstRunWork ? *FirstRunWork : none;
    }
    static void Fill(DialogControls& c, int id, const std::vector<std::string>& entries,
                     const std::string& current) {
        if (!c.Has(id)) return;
        c.SetList(id, entries);
        c.Select(id, FindEntry(entries, current));
    }
    static std::optional<std::string> Chosen(DialogControls& c, int id,
                                             const std::vector<std::string>& entries) {
        if (!c.Has(id)) return std::nullopt;
        const int at = c.Selected(id);
        if (at < 0 || at >= static_cast<int>(entries.size())) return std::nullopt;
        return entries[static_cast<size_t>(at)];
    }
};

}  // namespace

std::vector<std::string> EightBitCharsetChoices() {
    std::vector<std::string> sets;
    auto add = [&sets](std::string name) {
        if (!name.empty() && sets.size() < kMostSets) sets.push_back(std::move(name));
    };
    for (uint32_t code : {kCodeIso, kCodeDec, kCodeOem, kCodeUtf8})
        add(MenuServices.CharsetName(code));
    for (const char* library : {"T160E", "CCCII", "USMARC", "CUSTOM"})
        if (TranslationFileExists(library)) add(library);

    std::vector<std::string> files;
    console::SearchRec rec;
    console::FindFirst(commands::SettingsFile.ProgramFolder + "*.uni",
                       console::faReadOnly | console::faArchive, rec);
    while (console::dosState.DosError == 0) {
        if (rec.Name.size() > 4) files.push_back(rec.Name.substr(0, rec.Name.size() - 4));
        console::FindNext(rec);
    }
    console::FindClose(rec);
    std::sort(files.begin(), files.end(),
              [](const std::string& a, const std::string& b) { return Upper(a) < Upper(b); });
    for (const auto& base : files)
        if (!IsIso8859FileName(base) && FindEntry(sets, base) < 0) add(base);

    for (uint32_t n = 2; n <= 9; ++n)
        if (TranslationFileExists("I-8859-" + std::to_string(n)))
            add(MenuServices.CharsetName(kCodeIso8859_2 + (n - 2) * 0x10000));
    if (TranslationFileExists("I-885915")) add(MenuServices.CharsetName(kCodeIso8859_15));

    for (uint32_t page : platform::CurrentCodePages().InstalledCodePages())
        add(MenuServices.CharsetName(page));
    return sets;
}

std::unique_ptr<DialogModel> MakeSetupDialog(std::string_view name) {
    if (name == "CHARSET") return std::make_unique<CharsetDialog>();
    if (name == "SPOOLSETUP") return std::make_unique<SpoolSetupDialog>();
    if (name == "SAVEPARAM") return std::make_unique<SaveQuestionDialog>();
    if (name == "INITTERMTYPE") return std::make_unique<FirstRunDialog>();
    return nullptr;
}

}  // namespace ui
