// The tick clock, directory search, file times and program launch on Windows.

#include "console/system_services.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "console/dos_time.h"
#include "console/file_search.h"
#include "console/program_launch.h"
#include "console/tick_clock.h"
#include "console/win32/install_services.h"

namespace {

namespace fs = std::filesystem;
using namespace console;

class Win32Services : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32Services();
        ResetTickClock();
        ResetDosState();
        ResetProgramLaunch();
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        dir = fs::path(temp) / ("vz_services_" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        ResetProgramLaunch();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const char* name) { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(Win32Services, TicksFollowTheSystemCounter) {
    uint32_t ms = GetTickCount();
    int32_t ticks = BiosTicks();
    uint64_t expected = (ms & 0x7FFFFFFFu) / 55;  // the system has run far less than 24 days here
    if (expected > static_cast<uint64_t>(TicksPerDay)) expected = (expected - 1) % TicksPerDay + 1;
    EXPECT_LE(static_cast<uint64_t>(ticks) - expected, 2u);

    int32_t deadline = DeadlineAfterTicks(2);
    EXPECT_FALSE(DeadlinePassed(deadline));
    Sleep(250);
    EXPECT_TRUE(DeadlinePassed(deadline));

    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    FineDelay(100);  // 10 ms
    QueryPerformanceCounter(&b);
    EXPECT_GE((b.QuadPart - a.QuadPart) * 1000 / f.QuadPart, 9);
}

TEST_F(Win32Services, SearchAndFileTimes) {
    for (const char* name : {"one.txt", "two.txt", "three.dat"}) std::ofstream(dir / name) << "x";
    fs::create_directory(dir / "folder");
    SearchRec rec;
    int files = 0;
    for (FindFirst(Path("*.TXT"), faArchive, rec); dosState.DosError == 0; FindNext(rec)) ++files;
    EXPECT_EQ(files, 2);
    EXPECT_EQ(dosState.DosError, 18);
    EXPECT_EQ(rec.FindHandle, 0u);
    FindFirst(Path("fold*"), faDirectory, rec);
    EXPECT_EQ(dosState.DosError, 0);
    EXPECT_EQ(rec.Name, "folder");
    FindClose(rec);

    std::FILE* f = std::fopen(Path("one.txt").c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    int32_t packed = 0;
    PackTime(DateTime{2001, 2, 3, 4, 5, 6}, packed);
    EXPECT_EQ(SetFTime(f, packed), 0);
    int32_t read = 0;
    EXPECT_EQ(GetFTime(f, read), 0);
    std::fclose(f);
    EXPECT_EQ(read, packed);

    EXPECT_TRUE(FileIsWritable(Path("one.txt")));
    EXPECT_FALSE(FileIsWritable(Path("none.txt")));
    EXPECT_EQ(FExpand(Path("folder\\..\\one.txt")), Path("one.txt"));
    SetEnvironmentVariableA("VZ_TEST_VALUE", "abc");
    EXPECT_EQ(GetEnv("VZ_TEST_VALUE"), "abc");
    EXPECT_EQ(GetEnv("VZ_TEST_NOT_SET"), "");
}

TEST_F(Win32Services, LaunchAndWaitForExitCode) {
    std::u16string title = u"Terminal";
    std::vector<std::u16string> titles;
    int pumps = 0;
    programLaunch.windowTitle = [&] { return title; };
    programLaunch.setWindowTitle = [&](std::u16string_view t) { titles.emplace_back(t); };
    programLaunch.pumpWindowMessages = [&] { ++pumps; };

    ExecProgram(u"cmd.exe", u"/c exit 3", true, SW_HIDE);
    EXPECT_EQ(dosState.DosError, 0);
    EXPECT_EQ(dosState.DosExitCode, 3);
    EXPECT_EQ(titles, (std::vector<std::u16string>{u"Terminal (waiting)", u"Terminal"}));
    EXPECT_EQ(ProcessStatusText(), "3");
    EXPECT_NE(programLaunch.LastProcessId, 0u);

    ExecProgram(u"vz_no_such_program_here", u"", true, SW_HIDE);
    EXPECT_EQ(dosState.DosError, 2);
    EXPECT_EQ(ProcessStatusText(), "error");
}

TEST_F(Win32Services, BatchFileStandsInForAMissingProgram) {
    std::ofstream(dir / "MYJOB.BAT") << "@exit 7\r\n";
    std::u16string program = (dir / "MYJOB").u16string();
    ExecProgram(program, u"A B", true, SW_HIDE);
    EXPECT_EQ(dosState.DosError, 0);
    EXPECT_EQ(dosState.DosExitCode, 7);
}

}  // namespace
