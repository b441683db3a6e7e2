#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/startup_wiring.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "commands/win32/settings_platform_win32.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(SettingsFileWin32, LoadsFromTheCurrentFolderAndSavesOverTheOldFile) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "vz_settings_win32\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "wendrosta.def";
    commands::SettingsRecord onDisk = commands::DefaultSettings();
    onDisk.BeepMode = 1;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(&onDisk), sizeof onDisk);
    }
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.c_str());

    commands::ResetSettingsToDefaults();
    commands::ResetSettingsFileState();
    app::ComposeStartupServices();
    platform::InstallSettingsFilePlatform();
    commands::SettingsFile.SettingsFileName = "wendrosta.def";
    EXPECT_TRUE(commands::StartupInit(false, true));
    EXPECT_EQ(commands::SettingsFile.SettingsFileName, file);
    EXPECT_TRUE(commands::SettingsFile.SettingsLoaded);
    EXPECT_EQ(commands::Settings.BeepMode, 1);

    // Windows will not rename onto an existing file; the save still replaces it.
    commands::Settings.BeepMode = 0;
    EXPECT_TRUE(commands::SaveSettingsFile());
    const std::vector<uint8_t> saved = ReadAll(file);
    ASSERT_EQ(saved.size(), sizeof(commands::SettingsRecord));
    EXPECT_EQ(saved[7], 0);
    EXPECT_FALSE(Exists(file + ".~new"));
    EXPECT_FALSE(Exists(file + ".~old"));

    SetCurrentDirectoryA(previous);
    platform::SetSettingsDialogs(nullptr);
    commands::ResetSettingsFileState();
    commands::ResetSettingsToDefaults();
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
