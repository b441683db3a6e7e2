#include "console/system_services.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "console/dos_time.h"
#include "console/file_search.h"
#include "console/program_launch.h"
#include "fake_system.h"

namespace {

namespace fs = std::filesystem;
using namespace console;

TEST(PathSplit, FolderNameAndExtension) {
    struct Case {
        const char* path;
        const char *dir, *name, *ext;
    } cases[] = {{"C:\\DIR\\NAME.TXT", "C:\\DIR\\", "NAME", ".TXT"},
                 {"C:\\DIR\\NAME.TXT.TXT", "C:\\DIR\\", "NAME.TXT", ".TXT"},
                 {"C:\\DIR\\NAME", "C:\\DIR\\", "NAME", ""},
                 {"A:FILE.X", "A:", "FILE", ".X"},
                 {"dir.d/plain", "dir.d/", "plain", ""},
                 {"", "", "", ""}};
    for (const Case& c : cases) {
        std::string dir, name, ext;
        FSplit(c.path, dir, name, ext);
        EXPECT_EQ(dir, c.dir) << c.path;
        EXPECT_EQ(name, c.name) << c.path;
        EXPECT_EQ(ext, c.ext) << c.path;
    }
    std::string dir, name, ext;
    FSplit("C:\\LONGFOLDER\\LONGNAME.LONGEXT", dir, name, ext, 5, 4, 3);
    EXPECT_EQ(dir + "|" + name + "|" + ext, "C:\\LO|LONG|.LO");
    std::string onlyName;
    FileSplitPChar("X:\\A\\B.C", nullptr, &onlyName, nullptr);
    EXPECT_EQ(onlyName, "B");
}

TEST(DosTime, PackAndUnpack) {
    DateTime t{2001, 2, 3, 4, 5, 6};
    int32_t packed = 0;
    PackTime(t, packed);
    EXPECT_EQ(static_cast<uint32_t>(packed),
              (21u << 25) | (2u << 21) | (3u << 16) | (4u << 11) | (5u << 5) | 3u);
    DateTime back;
    UnpackTime(packed, back);
    EXPECT_EQ(back.second, 6);
    EXPECT_EQ(back.year, 2001);
    EXPECT_EQ(back.minute, 5);
    // A field out of range stays within its own bits.
    PackTime(DateTime{2001, 2, 3, 4, 99, 6}, packed);
    UnpackTime(packed, back);
    EXPECT_EQ(back.hour, 4);
    EXPECT_EQ(back.second, 6);
}

class TempFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vz_search_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "sub");
        for (const char* name : {"a.txt", "b.TXT", "c.dat", ".hidden.txt"})
            std::ofstream(dir / name) << "data";
        ResetDosState();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Pattern(const char* mask) { return (dir / mask).string(); }
    fs::path dir;
};

TEST_F(TempFolder, SearchByPatternAndKind) {
    SearchRec rec;
    std::vector<std::string> names;
    for (FindFirst(Pattern("*.txt"), faArchive, rec); dosState.DosError == 0; FindNext(rec))
        names.push_back(rec.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.TXT"}))
        << "letter case ignored, hidden left out";
    EXPECT_EQ(dosState.DosError, 18);
    EXPECT_EQ(rec.FindHandle, 0u);
    EXPECT_EQ(rec.Name, "") << "the record is cleared at the end";
    FindNext(rec);
    EXPECT_EQ(dosState.DosError, 18);

    names.clear();
    for (FindFirst(Pattern("*"), faAnyFile, rec); dosState.DosError == 0; FindNext(rec))
        names.push_back(rec.Name);
    EXPECT_EQ(names.size(), 7u) << ". .. sub and four files";

    FindFirst(Pattern("su?"), faDirectory, rec);
    ASSERT_EQ(dosState.DosError, 0);
    EXPECT_EQ(rec.Name, "sub");
    EXPECT_EQ(rec.Attr & faDirectory, faDirectory);
    FindClose(rec);

    FindFirst(Pattern("a.txt"), 0, rec);
    ASSERT_EQ(dosState.DosError, 0);
    EXPECT_EQ(rec.Size, 4);
    DateTime t;
    UnpackTime(rec.Time, t);
    EXPECT_GE(t.year, 2020);
    FindClose(rec);

    FindFirst(Pattern("*.none"), faAnyFile, rec);
    EXPECT_EQ(dosState.DosError, 18);
    FindFirst((dir / "missing" / "*.*").string(), faAnyFile, rec);
    EXPECT_EQ(dosState.DosError, 18);
}

TEST_F(TempFolder, FileTimesAndWritability) {
    std::string name = (dir / "a.txt").string();
    std::FILE* f = std::fopen(name.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    int32_t packed = 0;
    PackTime(DateTime{2001, 2, 3, 4, 5, 6}, packed);
    std::fputs("more", f);  // pending output must not move the time again
    EXPECT_EQ(SetFTime(f, packed), 0);
    int32_t read = 0;
    EXPECT_EQ(GetFTime(f, read), 0);
    std::fclose(f);
    EXPECT_EQ(read, packed);

    EXPECT_TRUE(FileIsWritable(name));
    EXPECT_FALSE(FileIsWritable((dir / "missing").string()));
    EXPECT_FALSE(FileIsWritable((dir / "sub").string()));
}

TEST(Environment, VariablesAndPaths) {
    ::setenv("VZ_TEST_VALUE", std::string(300, 'v').c_str(), 1);
    EXPECT_EQ(GetEnv("VZ_TEST_VALUE"), std::string(255, 'v'));
    ::unsetenv("VZ_TEST_VALUE");
    EXPECT_EQ(GetEnv("VZ_TEST_VALUE"), "");
    std::string full = FExpand("x/../y.txt");
    EXPECT_EQ(full, (fs::current_path() / "y.txt").string());
    EXPECT_FALSE(GetCurrentDirW().empty());
}

class LaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramLaunch();
        ResetDosState();
        programLaunch.windowTitle = [this] { return title; };
        programLaunch.setWindowTitle = [this](std::u16string_view t) { titles.emplace_back(t); };
        programLaunch.pumpWindowMessages = [this] { ++pumps; };
    }
    void TearDown() override { ResetProgramLaunch(); }

    testing_support::FakeSystem system;
    std::u16string title = u"VovuzIva";
    std::vector<std::u16string> titles;
    int pumps = 0;
};

TEST_F(LaunchTest, BatchFileTriedWhenTheProgramIsMissing) {
    system.startResult = [](std::u16string_view line) {
        if (line.starts_with(u"MYJOB.BAT")) return platform::StartedProcess{true, 0, 77, 1234};
        return platform::StartedProcess{false, 2, 0, 0};
    };
    ExecProgram(u"MYJOB", u"A B", false, 1);
    EXPECT_EQ(system.started, (std::vector<std::u16string>{u"MYJOB A B", u"MYJOB.BAT A B"}));
    EXPECT_EQ(dosState.DosError, 0);
    EXPECT_EQ(programLaunch.LastProcessHandle, 77u);
    EXPECT_EQ(programLaunch.LastProcessId, 1234u);
    EXPECT_EQ(programLaunch.LaunchedProcess, 0u);
}

// A path with blanks goes in quotes, or the system could run C:\My.exe for
// C:\My Tools\run.exe; the batch-file retry keeps its suffix inside them.
TEST_F(LaunchTest, ProgramPathsWithBlanksAreQuoted) {
    struct Case {
        std::u16string_view program;
        std::u16string_view parameters;
        std::vector<std::u16string> lines;
    } cases[] = {
        {u"C:\\My Tools\\run",
         u"a b",
         {u"\"C:\\My Tools\\run\" a b", u"\"C:\\My Tools\\run.BAT\" a b"}},
        {u"\"C:\\My Tools\\run\"",
         u"x",
         {u"\"C:\\My Tools\\run\" x", u"\"C:\\My Tools\\run.BAT\" x"}},
        {u"C:\\Tools\\run", u"x", {u"C:\\Tools\\run x", u"C:\\Tools\\run.BAT x"}},
    };
    system.startResult = [](std::u16string_view) {
        return platform::StartedProcess{false, 2, 0, 0};
    };
    for (const Case& c : cases) {
        system.started.clear();
        ExecProgram(c.program, c.parameters, false, 1);
        EXPECT_EQ(system.started, c.lines);
    }
}

TEST_F(LaunchTest, FailuresSetDosError) {
    system.startResult = [](std::u16string_view) {
        return platform::StartedProcess{false, 5, 0, 0};
    };
    ExecProgram(u"P", u"", false, 1);
    EXPECT_EQ(dosState.DosError, 5);
    EXPECT_EQ(system.started.size(), 1u) << "only a missing program is retried";

    system.startResult = [](std::u16string_view line) {
        return platform::StartedProcess{
            false, line.find(u".BAT") != std::u16string_view::npos ? 0 : 2, 0, 0};
    };
    ExecProgram(u"P", u"", false, 1);
    EXPECT_EQ(dosState.DosError, -1) << "a failure without a code";
    EXPECT_EQ(ProcessStatusText(), "error");
}

TEST_F(LaunchTest, WaitingKeepsTheWindowAliveAndRestoresTheTitle) {
    system.startResult = [](std::u16string_view) {
        return platform::StartedProcess{true, 0, 9, 99};
    };
    system.pollsLeft[9] = 3;
    system.exitCodes[9] = 3;
    ExecProgram(u"JOB", u"", true, 1);
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(system.waits, 3);
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"VovuzIva (waiting)", u"VovuzIva"}));
    EXPECT_EQ(dosState.DosExitCode, 3);
    EXPECT_EQ(programLaunch.LaunchedProcess, 0u);
    EXPECT_EQ(ProcessStatusText(), "3");

    // A long title is cut to 256 characters with the notice.
    title = std::u16string(300, u't');
    titles.clear();
    system.startResult = [](std::u16string_view) {
        return platform::StartedProcess{true, 0, 10, 100};
    };
    ExecProgram(u"JOB", u"", true, 1);
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0].size(), 256u);
    EXPECT_EQ(titles[1], title);
    EXPECT_EQ(system.closedHandles, (std::vector<uint64_t>{9})) << "the previous handle given back";
}

TEST_F(LaunchTest, StopWaitingFromTheKeyInput) {
    system.startResult = [](std::u16string_view) {
        return platform::StartedProcess{true, 0, 11, 5};
    };
    system.pollsLeft[11] = 1000;
    programLaunch.pumpWindowMessages = [] { programLaunch.LaunchedProcess = 0; };
    ExecProgram(u"JOB", u"", true, 1);
    EXPECT_EQ(system.waits, 1);
    EXPECT_EQ(dosState.DosExitCode, 0) << "no exit code while it still runs";
    EXPECT_EQ(ProcessStatusText(), "running");
}

TEST_F(LaunchTest, StatusBeforeAnyStart) {
    EXPECT_EQ(ProcessStatusText(), "error");
}

}  // namespace
