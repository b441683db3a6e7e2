#include "commands/startup_environment.h"

#include <gtest/gtest.h>

#include <string>

#include "console/system_services.h"
#include "fake_folders_system.h"

namespace {

struct FolderCase {
    const char16_t* program;
    const char* current;
    size_t capacity;
    const char* expected;
};

TEST(CheckEnvironment, ProgramFolderAlwaysEndsInBackslash) {
    const FolderCase cases[] = {
        {u"C:\\Program Files\\Vz\\VOVUZIVA.EXE", "D:\\work", 128, "C:\\Program Files\\Vz\\"},
        {u"VOVUZIVA.EXE", "D:\\work", 128, "D:\\work\\"},
        {u"", "D:\\", 128, "D:\\"},
        {u"", "", 128, "\\"},
        // A folder longer than the capacity keeps its final separator.
        {u"C:\\abcdefgh\\V.EXE", "", 8, "C:\\abcd\\"},
        {u"", "C:\\abcdefgh", 8, "C:\\abcd\\"},
    };
    for (const FolderCase& c : cases) {
        testing_support::FakeFoldersSystem system;
        system.moduleFileName = c.program;
        system.currentFolder = c.current;
        std::string comspec, path, folder;
        commands::CheckEnvironment(comspec, 128, path, 128, folder, c.capacity);
        EXPECT_EQ(folder, c.expected) << c.current;
        ASSERT_LE(folder.size(), c.capacity);
    }
}

TEST(CheckEnvironment, ShellAndPathAreCutToTheirCapacity) {
    testing_support::FakeFoldersSystem system;
    system.environment["COMSPEC"] = "C:\\WINDOWS\\system32\\cmd.exe";
    system.environment["PATH"] = std::string(300, 'p');
    system.moduleFileName = u"C:\\V.EXE";
    std::string comspec, path, folder;
    commands::CheckEnvironment(comspec, 10, path, 255, folder, 128);
    EXPECT_EQ(comspec, "C:\\WINDOWS");
    EXPECT_EQ(path.size(), 255u);
    EXPECT_EQ(folder, "C:\\");
}

}  // namespace
