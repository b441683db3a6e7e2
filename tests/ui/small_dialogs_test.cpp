// The small dialogs opened from their menu items: what they show from the
// settings, and what OK queues or stores; Cancel leaves both alone.
#include "ui/dialogs/small_dialogs.h"

#include <filesystem>
#include <fstream>

#include "console/globals.h"
#include "console/terminal_window.h"
#include "dialog_fixture.h"

namespace {

using commands::Settings;
using dialog_test::DialogFixture;
using dialog_test::FakeControls;
using dialog_test::script;
using dialog_test::Type;

class SmallDialogs : public DialogFixture {};

TEST_F(SmallDialogs, ItemsQueueWhatTheDialogWasGiven) {
    struct Case {
        uint16_t Item;
        const char* Template;
        std::map<int, std::string> Typed;
        const char* Queued;
    };
    const Case cases[] = {
        {580, "DIAL", {{4, "5551234"}, {5, "50"}, {6, "3"}}, "Dial \"5551234\" 50 3"},
        {580, "DIAL", {{4, "5551234"}, {5, ""}, {6, ""}}, "Dial \"5551234\" "},
        {3055, "SCREENSIZE", {{4, "100"}, {5, "40"}}, "SCREENMODE 100x40"},
        {3055, "SCREENSIZE", {{4, "100"}, {5, "forty"}}, ""},
        {121, "INTIN", {{4, "12"}}, "flushtimer 12"},
        {6101, "SENDKERMITCOMM", {{104, std::string(300, 'f')}}, "ksend "},
    };
    for (const auto& c : cases) {
        script = {};
        script.Edits[c.Template] = [&](ui::DialogModel& m, FakeControls& f) {
            for (const auto& [id, text] : c.Typed) Type(m, f, id, text);
        };
        std::string expected = c.Queued;
        // The text is cut to 250 characters, the queued command to 255.
        if (c.Item == 6101) expected = (expected + std::string(250, 'f')).substr(0, 255);
        EXPECT_EQ(Choose(c.Item), expected.empty() ? "" : "queue " + expected) << c.Template;
        EXPECT_EQ(script.Opened, std::vector<std::string>{c.Template});
        // Cancel queues nothing.
        script.PressOk = false;
        EXPECT_EQ(Choose(c.Item), "") << c.Template;
    }
}

TEST_F(SmallDialogs, FieldsStartFromTheSettings) {
    Settings.PhoneNumber = "0123";
    Settings.DialRetryWait.Set(70);
    Settings.DialRetryCount.Set(4);
    Settings.ScreenColumns = 132;
    console::ConsoleLayer.ScreenRows = 27;
    Settings.FlushTimer.Set(9);
    Choose(580);
    Choose(3055);
    Choose(121);
    auto& dial = script.Seen["DIAL"].Items;
    EXPECT_EQ(dial[4].Text, "0123");
    EXPECT_EQ(dial[4].Limit, 60u);
    EXPECT_EQ(dial[5].Text, "70");
    EXPECT_EQ(dial[6].Text, "4");
    EXPECT_EQ(script.Seen["SCREENSIZE"].Items[4].Text, "132");
    EXPECT_EQ(script.Seen["SCREENSIZE"].Items[5].Text, "27");
    EXPECT_EQ(script.Seen["INTIN"].Items[4].Text, "9");
}

TEST_F(SmallDialogs, DelaysStoreOnlyNumbersTheSettingHolds) {
    struct Case {
        const char* Char;
        const char* Line;
        uint16_t WantChar, WantLine;
    };
    const Case cases[] = {
        {"20", "300", 20, 300}, {"x", "", 5, 6}, {"70000", "-1", 5, 6}, {" 65535 ", "0", 65535, 0}};
    for (const auto& c : cases) {
        Settings.AsciiCharDelay.Set(5);
        Settings.AsciiLineDelay.Set(6);
        script.Edits["DELAYS"] = [&](ui::DialogModel& m, FakeControls& f) {
            if (script.PressOk) EXPECT_EQ(f.Items[4].Text, "5");
            Type(m, f, 4, c.Char);
            Type(m, f, 5, c.Line);
        };
        script.PressOk = true;
        EXPECT_EQ(Choose(620), "");
        EXPECT_EQ(Settings.AsciiCharDelay.Get(), c.WantChar) << c.Char;
        EXPECT_EQ(Settings.AsciiLineDelay.Get(), c.WantLine) << c.Line;
        script.PressOk = false;
        Choose(620);
        EXPECT_EQ(Settings.AsciiCharDelay.Get(), c.WantChar) << "Cancel stored " << c.Char;
    }
}

TEST_F(SmallDialogs, AboutBoxNamesTheSettingsAndKeysFiles) {
    struct Case {
        const char* File;
        uint8_t Source;
        const char* Keys;
        const char* SettingsLine;
        const char* KeysLine;
    };
    const Case cases[] = {
        {"c:\\vz\\site.def", commands::kSettingsSourceNamed, "vt.kys",
         "Default File:   C:\\VZ\\SITE.DEF", "Keys File:  VT.KYS"},
        {"c:\\vz\\gone.def", commands::kSettingsSourceOpenFailed, "",
         "Default File:   C:\\VZ\\GONE.DEF   NOT FOUND", "No Keys file in use"},
        {"", commands::kSettingsSourceNone, "", "Default File:   NONE", "No Keys file in use"},
    };
    console::globals.VersionText = "Version 12.6f";
    for (const auto& c : cases) {
        commands::SettingsFile.SettingsFileName = c.File;
        commands::SettingsFile.SettingsSource = c.Source;
        Settings.KeyFileName = c.Keys;
        Choose(902);
        auto& about = script.Seen["ABOUTBOX"];
        EXPECT_EQ(about.Items[110].Text, c.SettingsLine);
        EXPECT_EQ(about.Items[111].Text, c.KeysLine);
        EXPECT_NE(about.Items[104].Text.find("Version 12.6f"), std::string::npos);
    }
}

TEST_F(SmallDialogs, TheSettingsChooserListsTheFolderSortedIgnoringCase) {
    const auto dir = std::filesystem::temp_directory_path() / "vz-chooser";
    std::filesystem::create_directories(dir);
    for (const char* name : {"Gamma.def", "beta.def", "Alpha.def", "other.txt"})
        std::ofstream(dir / name) << "x";
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    script.Edits["LISTBOX"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_EQ(f.Items[202].Entries, (std::vector<std::string>{"Alpha", "beta", "Gamma"}));
        EXPECT_EQ(f.SelectedText(202), "Alpha");
        dialog_test::Pick(m, f, 202, "beta");
    };
    EXPECT_TRUE(ui::ChooseSettingsFile());
    EXPECT_EQ(commands::SettingsFile.SettingsFileName, (dir / "beta").string() + ".def");
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());
    script.PressOk = false;
    commands::SettingsFile.SettingsFileName = "kept";
    EXPECT_FALSE(ui::ChooseSettingsFile());
    EXPECT_EQ(commands::SettingsFile.SettingsFileName, "kept");
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}

TEST_F(SmallDialogs, TheDownloadFolderListsSubfoldersAndQueuesTheChoice) {
    const auto dir = std::filesystem::temp_directory_path() / "vz-downdir";
    std::filesystem::create_directories(dir / "inbox");
    std::filesystem::create_directories(dir / "Archive");
    Settings.DownloadLock = 0;
    script.Edits["DOWNDIR"] = [&](ui::DialogModel& m, FakeControls& f) {
        EXPECT_EQ(f.Items[103].Entries, (std::vector<std::string>{"..", "Archive", "inbox"}));
        dialog_test::Pick(m, f, 103, "inbox");
        dialog_test::Click(m, f, 120);
    };
    Settings.DownloadLock = 1;
    Settings.DownloadDir = dir.string();
    EXPECT_EQ(Choose(605), "queue DOWNLOAD-LOCK \"" + (dir / "inbox").string() + "/\"");
    std::filesystem::remove_all(dir);
}

}  // namespace
