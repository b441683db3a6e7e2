#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "commands/variables.h"
#include "commands/win32/variables_win32.h"
#include "emulation/command_line.h"

namespace {

TEST(CommandLineWin32, UsableFilesOnTheDisk) {
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    ASSERT_GT(n, 0u);
    const std::string path(self, n);
    EXPECT_TRUE(emulation::IsUsableFile(path));
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    EXPECT_FALSE(emulation::IsUsableFile(folder));
    EXPECT_FALSE(emulation::IsUsableFile(folder + "\\no such file.def"));
    EXPECT_FALSE(emulation::IsUsableFile(folder + "\\*.exe"));
}

TEST(CommandLineWin32, BuiltinVariablesFromWindows) {
    commands::InstallWin32VariableSources();
    // Through the run-time library, which also sets the process environment.
    ASSERT_EQ(_putenv_s("VZ_TEST_VALUE", "from the environment"), 0);
    EXPECT_EQ(commands::ExpandVariables("${vz_test_value}"), "from the environment");
    EXPECT_EQ(commands::ExpandVariables("${VZ_NOT_SET_ANYWHERE}"), "");

    char windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(commands::ExpandVariables("${OZM_WINDIR}"), std::string(windows, n));
    EXPECT_FALSE(commands::ExpandVariables("${OZM_SYSDIR}").empty());
    EXPECT_FALSE(commands::ExpandVariables("${OZM_CURDIR}").empty());
    const std::string computer = commands::ExpandVariables("${OZM_COMPUTERNAME}");
    EXPECT_FALSE(computer.empty());
    EXPECT_NE(commands::ExpandVariables("${OZM_WINNAME}"), "");
    EXPECT_EQ(commands::ExpandVariablesWide(u"${OZM_PROGRAM}"), u"VOVUZIVA");
    commands::ResetVariableSources();
}

}  // namespace
