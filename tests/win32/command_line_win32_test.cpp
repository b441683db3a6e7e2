#include "emulation/win32/command_line_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "commands/variables.h"
#include "commands/win32/variables_win32.h"
#include "emulation/command_line.h"

namespace {

std::string Lower(std::string text) {
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

TEST(CommandLineWin32, ReadsTheProcessCommandLineAndFiles) {
    emulation::InstallWin32CommandLineSource();
    const std::string self = emulation::Argument(0);
    ASSERT_GT(self.size(), 4u);
    EXPECT_EQ(Lower(self.substr(self.size() - 4)), ".exe");
    // gtest's own arguments are on this process's command line.
    ASSERT_GE(emulation::ArgumentCount(), 0);
    EXPECT_TRUE(emulation::IsUsableFile(self));
    const std::string folder = self.substr(0, self.find_last_of('\\'));
    EXPECT_FALSE(emulation::IsUsableFile(folder));
    EXPECT_FALSE(emulation::IsUsableFile(folder + "\\no such file.def"));
    platform::ResetCommandLineSource();
}

TEST(CommandLineWin32, BuiltinVariablesFromWindows) {
    commands::InstallWin32VariableSources();
    ASSERT_TRUE(SetEnvironmentVariableA("VZ_TEST_VALUE", "from the environment"));
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
