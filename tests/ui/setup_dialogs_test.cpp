// The set-up dialogs from their menu items or callers: the character sets and the spooler's
// printer read from the settings and change them only on OK; the save question's buttons save,
// save under a new name, leave or stop the exit; the first start's terminal type is handed back.
#include "ui/dialogs/setup_dialogs.h"

#include <filesystem>
#include <fstream>

#include "app/menu_wiring.h"
#include "commands/command_services.h"
#include "commands/startup_services.h"
#include "console/code_pages.h"
#include "dialog_fixture.h"
#include "emulation/text/charsets.h"
#include "ui/settings_dialogs.h"

namespace {

using commands::Settings;
using dialog_test::FakeControls;
using dialog_test::Pick;
using dialog_test::script;

class SetupDialogs : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        const ui::MenuServiceTable program = app::ProgramMenuServices();
        ui::MenuServices.CharsetName = program.CharsetName;
        ui::MenuServices.NationalSetName = program.NationalSetName;
    }
    void TearDown() override {
        commands::CommandServices = commands::NullCommandServices();
        commands::StartupServices = commands::NullStartupServices();
        DialogFixture::TearDown();
    }
};

TEST_F(SetupDialogs, CharsetListsTheSetsBesideTheProgramAndRunsOnlyChangedChoices) {
    const auto dir = std::filesystem::temp_directory_path() / "vz-charsets";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const char* name : {"custom.uni", "MySet.uni", "I-8859-5.uni", "I-885915.uni",
                             "I-8859-1.uni", "CUSTOM2.uni", "readme.txt"})
        std::ofstream(dir / name) << "x";
    commands::SettingsFile.ProgramFolder = dir.string() + "/";
    commands::StartupServices.IsUsableFile = [](std::string_view name) {
        // The program's folder answers ignoring case, as the system's does.
        const std::filesystem::path path(name);
        for (const auto& entry : std::filesystem::directory_iterator(path.parent_path()))
            if (ui::Upper(entry.path().filename().string()) == ui::Upper(path.filename().string()))
                return true;
        return false;
    };
    commands::CommandServices.CharsetCode = [](std::string_view name) {
        return static_cast<int32_t>(emulation::CharsetCode(name));
    };

    const auto sets = ui::EightBitCharsetChoices();
    const std::vector<std::string> head = {"ISO",        "DEC",        "OEM",      "UTF8",
                                           "CUSTOM",     "CUSTOM2",    "I-8859-1", "MySet",
                                           "ISO-8859-5", "ISO-8859-15"};
    ASSERT_GE(sets.size(), head.size());
    EXPECT_EQ(std::vector<std::string>(sets.begin(), sets.begin() + head.size()), head);
    EXPECT_LE(sets.size(), 200u);
    const auto pages = platform::CurrentCodePages().InstalledCodePages();
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(sets[head.size()], "CP-" + std::to_string(pages.front()));

    Settings.CharsetMode = 0;
    Settings.CharsetKind = 8;
    Settings.PassthroughCharset = 1;
    Settings.PassthroughCodePage.Set(0x10000);
    for (bool ok : {false, true}) {
        script = {};
        script.PressOk = ok;
        script.Edits["CHARSET"] = [](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.SelectedText(201), "INTERNATIONAL");
            EXPECT_EQ(f.SelectedText(202), "ISO");
            EXPECT_EQ(f.SelectedText(203), "UK");
            EXPECT_EQ(f.SelectedText(204), "NONE");
            EXPECT_EQ(f.Items[204].Entries.size(), f.Items[202].Entries.size() + 1);
            Pick(m, f, 201, "GERMAN");
            Pick(m, f, 204, "ISO-8859-5");
        };
        EXPECT_EQ(Choose(562), "");
        EXPECT_EQ(Settings.CharsetMode, ok ? 5 : 0) << "OK " << ok;
        EXPECT_EQ(Settings.CharsetKind, 8) << "an unchanged list runs nothing";
        EXPECT_EQ(Settings.PassthroughCharset, 1);
        EXPECT_EQ(Settings.PassthroughCodePage.Get(), ok ? 0x150000u : 0x10000u);
    }

    // A multibyte screen set shows its translation file or its code page.
    Settings.CharsetKind = 14;
    Settings.CodePage.Set(0x80000);
    Settings.CharsetFile = "MySet";
    script = {};
    script.PressOk = false;
    script.Edits["CHARSET"] = [](ui::DialogModel&, FakeControls& f) {
        EXPECT_EQ(f.SelectedText(202), "MySet");
    };
    Choose(562);
    std::filesystem::remove_all(dir);
}

TEST_F(SetupDialogs, SpoolerPrinterIsChosenFromTheSystemsPrinters) {
    ui::MenuServices.PrinterNames = [] {
        return std::vector<std::string>{"Zeta Laser", "alpha ink", "Office"};
    };
    struct Case {
        const char* Stored;
        const char* Shown;
        const char* Picked;  // nullptr: Cancel
        const char* Kept;
    };
    const Case cases[] = {
        {"", "(same)", "Office", "Office"},
        {"office", "Office", "(same)", ""},
        {"Zeta", "Zeta Laser", nullptr, "Zeta"},
        {"gone", "(none)", "alpha ink", "alpha ink"},
    };
    for (const auto& c : cases) {
        Settings.SpoolerPrinter = c.Stored;
        script = {};
        script.PressOk = c.Picked != nullptr;
        script.Edits["SPOOLSETUP"] = [&](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Items[201].Entries,
                      (std::vector<std::string>{"(same)", "alpha ink", "Office", "Zeta Laser"}));
            EXPECT_EQ(f.SelectedText(201), c.Shown) << c.Stored;
            if (c.Picked) Pick(m, f, 201, c.Picked);
        };
        EXPECT_EQ(Choose(1211), "");
        EXPECT_EQ(Settings.SpoolerPrinter.Str(), c.Kept) << c.Stored;
    }
}

// The exit's save question as a dialog: Save is offered only with a file name, Cancel only where
// the exit may be stopped, and each button ends it with its own id.
TEST_F(SetupDialogs, TheSaveQuestionOffersSaveOnlyWithAName) {
    for (bool named : {false, true}) {
        ui::SaveQuestion = {"Save Keys?", "Keys file has changed.", named, !named};
        auto model = ui::MakeDialogModel("SAVEPARAM");
        FakeControls f;
        model->Open(f);
        EXPECT_EQ(f.Caption, "Save Keys?");
        EXPECT_EQ(f.Items[101].Text, "Keys file has changed.");
        EXPECT_EQ(f.Items[102].Enabled, named);
        EXPECT_EQ(f.Items[2].Enabled, !named);
        EXPECT_EQ(model->Closes(102), named ? std::optional<int>(102) : std::nullopt);
        EXPECT_EQ(model->Closes(103), 103);
        EXPECT_EQ(model->Closes(7), 7);
        EXPECT_EQ(model->Cancel(), 2);
        EXPECT_EQ(model->Ok(f), named ? 102 : 103) << "Enter takes the first button offered";
    }
}

// What each answer does to the settings file and the keys file.
class SaveAnswers final : public platform::SettingsDialogs {
  public:
    ui::SaveChoice Choice = ui::SaveChoice::No;
    std::string NewName;  // empty: Save As cancelled
    bool SaveAllowed = false, CancelAllowed = false, OfferedLink = false;
    std::string Caption;
    char Ask(std::string_view, std::string_view, bool) override { return ui::kAnswerNo; }
    ui::SaveChoice AskSave(std::string_view caption, std::string_view, bool saveAllowed,
                           bool allowCancel) override {
        Caption = caption;
        SaveAllowed = saveAllowed;
        CancelAllowed = allowCancel;
        return Choice;
    }
    bool FirstRunDialog(ui::FirstRunChoice&) override { return true; }
    bool ChooseSettingsSaveName(std::string& name) override { return Take(name); }
    bool ChooseKeysSaveName(std::string& name) override { return Take(name); }
    void SavedAs() override { OfferedLink = true; }
    bool MenuOffers(uint16_t item) override { return item != Removed; }
    uint16_t Removed = 0;
    void DisplaySize(int& w, int& h) override { w = h = 0; }

  private:
    bool Take(std::string& name) {
        if (NewName.empty()) return false;
        name = NewName;
        return true;
    }
};

TEST_F(SetupDialogs, TheSaveAnswersSaveUnderTheKnownOrANewNameOrStop) {
    const auto dir = std::filesystem::temp_directory_path() / "vz-saveparam";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string known = (dir / "known.def").string(), fresh = (dir / "new.def").string();
    using ui::SaveChoice;
    struct Case {
        const char* Name;
        SaveChoice Choice;
        std::string NewName;
        bool AllowCancel;
        char Answer;
        const std::string* Written;  // nullptr: no file written
    };
    const Case cases[] = {
        {"save", SaveChoice::Save, "", true, ui::kAnswerYes, &known},
        {"save as", SaveChoice::SaveAs, fresh, true, ui::kAnswerYes, &fresh},
        {"save as without a name", SaveChoice::SaveAs, "", true, ui::kAnswerCancel, nullptr},
        {"no", SaveChoice::No, "", true, ui::kAnswerNo, nullptr},
        {"cancel", SaveChoice::Cancel, "", true, ui::kAnswerCancel, nullptr},
        {"cancel where not allowed", SaveChoice::Cancel, "", false, ui::kAnswerNo, nullptr},
    };
    SaveAnswers answers;
    platform::SetSettingsDialogs(&answers);
    for (const auto& c : cases) {
        std::filesystem::remove(known);
        std::filesystem::remove(fresh);
        commands::SettingsFile.SettingsFileName = known;
        answers.Choice = c.Choice;
        answers.NewName = c.NewName;
        answers.OfferedLink = false;
        EXPECT_EQ(ui::AskSaveSettings(c.AllowCancel), c.Answer) << c.Name;
        EXPECT_EQ(answers.Caption, "Save Parameters?");
        EXPECT_TRUE(answers.SaveAllowed);
        EXPECT_EQ(answers.CancelAllowed, c.AllowCancel);
        EXPECT_EQ(std::filesystem::exists(known), c.Written == &known) << c.Name;
        EXPECT_EQ(std::filesystem::exists(fresh), c.Written == &fresh) << c.Name;
        EXPECT_EQ(answers.OfferedLink, c.Written == &fresh) << c.Name;
        EXPECT_EQ(commands::SettingsFile.SettingsFileName, c.Written == &fresh ? fresh : known);
    }

    // A kiosk's menu bar without Save Settings: saved at exit without a question.
    answers.Removed = 104;
    answers.Caption.clear();
    std::filesystem::remove(known);
    commands::SettingsFile.SettingsFileName = known;
    EXPECT_EQ(ui::AskSaveSettings(true), ui::kAnswerYes);
    EXPECT_EQ(answers.Caption, "") << "asked all the same";
    EXPECT_TRUE(std::filesystem::exists(known));
    answers.Removed = 0;

    // Keys without a name: Save is not offered; Save As names the file and writes it.
    commands::StartupServices.SaveKeysFile = [](std::string_view name) {
        menu_test::Note("keys " + std::string(name));
        return true;
    };
    Settings.KeyFileName = "";
    answers.Choice = SaveChoice::SaveAs;
    answers.NewName = "C:\\k\\new.kys";
    menu_test::Log.clear();
    EXPECT_EQ(ui::AskSaveKeys(true), ui::kAnswerYes);
    EXPECT_EQ(answers.Caption, "Save Keys?");
    EXPECT_FALSE(answers.SaveAllowed);
    EXPECT_EQ(Settings.KeyFileName.Str(), "C:\\k\\new.kys");
    EXPECT_EQ(menu_test::Log, (std::vector<std::string>{"keys C:\\k\\new.kys"}));
    platform::SetSettingsDialogs(nullptr);
    std::filesystem::remove_all(dir);
}

TEST_F(SetupDialogs, TheFirstStartTakesTheChosenTerminalType) {
    ui::FirstRunChoice choice;
    choice.terminalType = "VT220";
    choice.hostKind = "UNIX";
    choice.port = 1;
    ui::FirstRunWork = &choice;
    for (bool ok : {false, true}) {
        script = {};
        script.PressOk = ok;
        script.Missing["INITTERMTYPE"] = {105, 112, 121};
        script.Edits["INITTERMTYPE"] = [](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Items[117].Entries.size(), 14u);
            EXPECT_EQ(f.SelectedText(117), "VT220");
            Pick(m, f, 117, "Wyse60");
        };
        EXPECT_EQ(ui::MenuServices.RunDialog("INITTERMTYPE"), ok ? 1 : 0);
        EXPECT_EQ(choice.terminalType, ok ? "Wyse60" : "VT220");
        EXPECT_EQ(choice.hostKind, "UNIX") << "a template without the host list leaves it";
    }
    // A language's template with the host list hands that back too.
    script = {};
    script.Edits["INITTERMTYPE"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_EQ(f.SelectedText(105), "UNIX");
        Pick(m, f, 105, "RMCOS");
    };
    ui::MenuServices.RunDialog("INITTERMTYPE");
    EXPECT_EQ(choice.hostKind, "RMCOS");
    ui::FirstRunWork = nullptr;
}

}  // namespace
