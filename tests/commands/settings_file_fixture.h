#pragma once
// A private folder with a program folder and a current folder, fakes for the
// environment and the dialogs, and recording stand-ins, for the settings-file
// tests.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/startup_wiring.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "console/console_primitives.h"
#include "console/screen_buffer.h"
#include "fake_folders_system.h"
#include "ui/message_box.h"
#include "ui/settings_dialogs.h"

namespace settings_test {

struct Question {
    std::string caption;
    std::string text;
    bool allowCancel;
};

// What the stand-ins saw, and what they are to answer.
struct Record {
    std::vector<std::string> keysLoaded;
    std::vector<std::string> keysSaved;
    std::vector<std::string> messages;
    bool keysLoadSucceeds = true;
    bool keysChanged = false;
    bool macroPlaying = false;
    bool errorKeyDefined = false;
    int errorKeyRuns = 0;
    commands::TermTypeKeys termType;
    std::vector<std::string> termTypesAsked;
};

inline Record* record = nullptr;

class FakeDialogs final : public platform::SettingsDialogs {
  public:
    std::vector<Question> asked;
    std::deque<char> answers;
    int firstRunDialogs = 0;
    bool firstRunOk = true;
    ui::FirstRunChoice firstRunPick;
    bool pickFirstRun = false;
    int width = 1024;
    int height = 768;

    char Ask(std::string_view caption, std::string_view text, bool allowCancel) override {
        asked.push_back({std::string(caption), std::string(text), allowCancel});
        if (answers.empty()) return ui::kAnswerNo;
        const char a = answers.front();
        answers.pop_front();
        return a;
    }
    bool FirstRunDialog(ui::FirstRunChoice& choice) override {
        ++firstRunDialogs;
        if (pickFirstRun) choice = firstRunPick;
        return firstRunOk;
    }
    bool ChooseSettingsSaveName(std::string&) override { return false; }
    void DisplaySize(int& w, int& h) override {
        w = width;
        h = height;
    }
};

// Writes bytes to a file, creating its folder.
inline void WriteFile(const std::filesystem::path& path, const void* data, size_t size) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> RecordBytes(const commands::SettingsRecord& r) {
    const auto* p = reinterpret_cast<const uint8_t*>(&r);
    return {p, p + sizeof r};
}

class SettingsFileTest : public ::testing::Test {
  protected:
    std::filesystem::path root;
    std::string programFolder;  // ends in "/"
    std::string currentFolder;  // ends in "/"
    testing_support::FakeFoldersSystem system;
    FakeDialogs dialogs;
    Record seen;

    void SetUp() override {
        char pattern[] = "/tmp/vz_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        programFolder = (root / "prog").string() + "/";
        currentFolder = (root / "cur").string() + "/";
        std::filesystem::create_directories(root / "prog");
        std::filesystem::create_directories(root / "cur");
        system.moduleFileName =
            std::u16string(programFolder.begin(), programFolder.end()) + u"VOVUZIVA.EXE";
        system.currentFolder = currentFolder;
        system.environment["COMSPEC"] = "C:\\CMD.EXE";

        commands::ResetSettingsToDefaults();
        commands::ResetSettingsFileState();
        app::ComposeStartupServices();
        console::ResetConsoleLayer();
        console::ResetConsoleScreen();
        record = &seen;
        auto& s = commands::StartupServices;
        s.LoadKeysFile = [](std::string_view name) {
            record->keysLoaded.emplace_back(name);
            return record->keysLoadSucceeds;
        };
        s.SaveKeysFile = [](std::string_view name) {
            record->keysSaved.emplace_back(name);
            return true;
        };
        s.KeysChanged = [] { return record->keysChanged; };
        s.SetKeysChanged = [](bool changed) { record->keysChanged = changed; };
        s.MacroPlaying = [] { return record->macroPlaying; };
        s.RunErrorKeyMacro = [] {
            if (record->errorKeyDefined) ++record->errorKeyRuns;
            return record->errorKeyDefined;
        };
        // "\\" is no separator here, so the file test is a plain one.
        s.IsUsableFile = [](std::string_view name) {
            struct stat info {};
            return stat(std::string(name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
        };
        s.FindTermType = [](std::string_view name) {
            record->termTypesAsked.emplace_back(name);
            return record->termType;
        };
        ui::SetMessageBoxFunction([](std::string_view text) {
            record->messages.emplace_back(text);
            return int{ui::MessageBoxOk};
        });
        platform::SetSettingsDialogs(&dialogs);
    }

    void TearDown() override {
        platform::SetSettingsDialogs(nullptr);
        ui::SetMessageBoxFunction(nullptr);
        app::ComposeStartupServices();
        commands::ResetSettingsFileState();
        commands::ResetSettingsToDefaults();
        console::ResetConsoleLayer();
        console::ResetConsoleScreen();
        record = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // A settings file of the given length, cut from a whole record.
    void WriteSettings(const std::string& path, const commands::SettingsRecord& r, size_t length) {
        std::vector<uint8_t> bytes = RecordBytes(r);
        bytes.resize(length, 0);
        WriteFile(path, bytes.data(), bytes.size());
    }

    // Start-up with the default settings name.
    bool StartWithDefaultName(bool named = false, bool hostGiven = false) {
        commands::SettingsFile.SettingsFileName = "wendrosta.def";
        commands::SettingsFile.SettingsSource =
            named ? commands::kSettingsSourceNamed : commands::kSettingsSourceDefault;
        return commands::StartupInit(named, hostGiven);
    }
};

}  // namespace settings_test
