// Save Settings As offers a desktop link to the program with the new settings
// file, proposing "<banner> to <file's name>"; the default settings file gets
// no offer.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "menu_fixture.h"
#include "ui/settings_dialogs.h"

namespace {

using menu_test::MenuFixture;

class SaveAsDialogs final : public platform::SettingsDialogs {
  public:
    std::string Chosen;
    char Ask(std::string_view, std::string_view, bool) override { return 'N'; }
    bool FirstRunDialog(ui::FirstRunChoice&) override { return false; }
    bool ChooseSettingsSaveName(std::string& name) override {
        name = Chosen;
        return !Chosen.empty();
    }
    void DisplaySize(int& width, int& height) override { width = height = 0; }
};

class DesktopShortcut : public MenuFixture {
  protected:
    void SetUp() override {
        MenuFixture::SetUp();
        folder = std::filesystem::temp_directory_path() / ("vz_link_" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        commands::SettingsFile.ProgramFolder = folder.string() + "/";
        ui::MenuServices.CreateDesktopShortcut = [](std::string_view file, std::string_view name) {
            menu_test::Note("link " + std::string(name) + " -> " + std::string(file));
            return true;
        };
        platform::SetSettingsDialogs(&dialogs);
    }
    void TearDown() override {
        platform::SetSettingsDialogs(nullptr);
        std::filesystem::remove_all(folder);
        MenuFixture::TearDown();
    }
    std::filesystem::path folder;
    SaveAsDialogs dialogs;
};

TEST_F(DesktopShortcut, OfferedAfterSaveAsExceptForTheDefaultFile) {
    const std::string work = folder.string() + "/Work.Def";
    struct Case {
        std::string Chosen;
        std::string Outcome;
    };
    const Case cases[] = {
        {work, "prompt VovuzIva   [VovuzIva to Work]; link typed -> " + work + "; "},
        // The program's own default file, in any case, is started without arguments.
        {folder.string() + "/VOVUZIVA.def", ""},
        // Cancelled Save As: nothing saved, nothing offered.
        {"", ""},
    };
    for (const auto& c : cases) {
        dialogs.Chosen = c.Chosen;
        EXPECT_EQ(Choose(125), c.Outcome) << c.Chosen;
        if (!c.Chosen.empty()) EXPECT_TRUE(std::filesystem::exists(c.Chosen)) << "saved first";
    }
}

}  // namespace
