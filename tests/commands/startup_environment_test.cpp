#include "commands/startup_environment.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class FakeEnvironment final : public platform::EnvironmentSource {
  public:
    std::string comspec, path, program, current;
    std::string GetEnv(std::string_view name) override {
        return name == "COMSPEC" ? comspec : name == "PATH" ? path : std::string();
    }
    std::string ProgramFilePath() override { return program; }
    std::string CurrentDirectory() override { return current; }
};

struct FolderCase {
    const char* program;
    const char* current;
    size_t capacity;
    const char* expected;
};

TEST(CheckEnvironment, ProgramFolderAlwaysEndsInBackslash) {
    const FolderCase cases[] = {
        {"C:\\Program Files\\Vz\\VOVUZIVA.EXE", "D:\\work", 128, "C:\\Program Files\\Vz\\"},
        {"VOVUZIVA.EXE", "D:\\work", 128, "D:\\work\\"},
        {"", "D:\\", 128, "D:\\"},
        {"", "", 128, "\\"},
        // A folder longer than the capacity keeps its final separator.
        {"C:\\abcdefgh\\V.EXE", "", 8, "C:\\abcd\\"},
        {"", "C:\\abcdefgh", 8, "C:\\abcd\\"},
    };
    for (const FolderCase& c : cases) {
        FakeEnvironment env;
        env.program = c.program;
        env.current = c.current;
        platform::SetEnvironmentSource(&env);
        std::string comspec, path, folder;
        commands::CheckEnvironment(comspec, 128, path, 128, folder, c.capacity);
        EXPECT_EQ(folder, c.expected) << c.program << " | " << c.current;
        ASSERT_LE(folder.size(), c.capacity);
    }
    platform::SetEnvironmentSource(nullptr);
}

TEST(CheckEnvironment, ShellAndPathAreCutToTheirCapacity) {
    FakeEnvironment env;
    env.comspec = "C:\\WINDOWS\\system32\\cmd.exe";
    env.path = std::string(300, 'p');
    env.program = "C:\\V.EXE";
    platform::SetEnvironmentSource(&env);
    std::string comspec, path, folder;
    commands::CheckEnvironment(comspec, 10, path, 255, folder, 128);
    platform::SetEnvironmentSource(nullptr);
    EXPECT_EQ(comspec, "C:\\WINDOWS");
    EXPECT_EQ(path.size(), 255u);
    EXPECT_EQ(folder, "C:\\");
}

TEST(PathParts, FolderAndNameSplitAtTheLastSeparator) {
    EXPECT_EQ(commands::FolderPart("C:\\a\\b.def"), "C:\\a\\");
    EXPECT_EQ(commands::FolderPart("C:b.def"), "C:");
    EXPECT_EQ(commands::FolderPart("b.def"), "");
    EXPECT_EQ(commands::NamePart("C:\\a\\b.def"), "b.def");
    EXPECT_EQ(commands::NamePart("/tmp/x/b.def"), "b.def");
}

}  // namespace
