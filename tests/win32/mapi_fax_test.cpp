#include "commands/win32/mapi_fax.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

struct Box {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
};

std::vector<Box> boxes;

int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    boxes.push_back({owner, text, caption, flags});
    return IDOK;
}

std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path.size() > 0 && path[0] == '\\' ? "Z:" + path : path;
}

class MapiFaxTest : public ::testing::Test {
  protected:
    std::string log;
    HWND owner = GetDesktopWindow();

    void SetUp() override {
        char folder[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        log = std::string(folder) + "vz_mapi_log.txt";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("VZ_MAPI_LOG", log.c_str());
        SetEnvironmentVariableA("VZ_MAPI_LOGON_RESULT", "0");
        SetEnvironmentVariableA("VZ_MAPI_SEND_RESULT", "0");
        boxes.clear();
        commands::ResetMapiFaxState();
        commands::MapiFax.messageBox = RecordBox;
        UseDouble("mapi_double.dll");
    }
    void TearDown() override {
        commands::ResetMapiFaxState();
        DeleteFileA(log.c_str());
    }
    void UseDouble(const char* name) {
        commands::MapiFax.libraryName =
            WindowsPath(std::string(VZ_BUILD_DIR) + "/tests/mapi_double/" + name);
    }
    std::vector<std::string> Calls() {
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    void Send(const char* profile) {
        commands::MapiSendFax(owner, "5551234", "C:\\docs\\page.tif", profile);
    }
};

const std::string kMessage =
    " subject=Test subject note= recipients=1 files=1 class=1 name=Custom fax address=FAX:5551234"
    " position=4294967295 path=C:\\docs\\page.tif file=page.tif";

TEST_F(MapiFaxTest, WithoutProfileTheClientLogsOnAndShowsItsDialog) {
    Send("");
    EXPECT_EQ(Calls(), std::vector<std::string>{"send session=0 flags=9" + kMessage});
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MapiFaxTest, WithProfileASessionIsOpenedUsedAndClosed) {
    Send("Work");
    const std::vector<std::string> expected = {
        "logon profile=Work password=(null) flags=1 ui=window",
        "send session=24149 flags=0" + kMessage,
        "logoff session=24149 flags=0",
    };
    EXPECT_EQ(Calls(), expected);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MapiFaxTest, ErrorsAreShownAndAnOpenSessionIsStillClosed) {
    SetEnvironmentVariableA("VZ_MAPI_SEND_RESULT", "2");
    Send("Work");
    ASSERT_EQ(Calls().size(), 3u);
    EXPECT_EQ(Calls()[2], "logoff session=24149 flags=0");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "MapiSendMail error 2");
    EXPECT_EQ(boxes[0].caption, "ozmel");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_SETFOREGROUND));
    EXPECT_EQ(boxes[0].owner, owner);

    DeleteFileA(log.c_str());
    boxes.clear();
    SetEnvironmentVariableA("VZ_MAPI_LOGON_RESULT", "3");
    Send("Work");
    EXPECT_EQ(Calls(),
              std::vector<std::string>{"logon profile=Work password=(null) flags=1 ui=window"});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "MapiLogon error 3");
}

TEST_F(MapiFaxTest, MissingLibraryOrEntryIsReported) {
    UseDouble("no_such_mapi.dll");
    Send("");
    UseDouble("mapi_double_nosend.dll");
    Send("Work");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Mapi32.DLL not found");
    EXPECT_EQ(boxes[1].text, "MapiSendMail not found");
    EXPECT_TRUE(Calls().empty());
}

TEST_F(MapiFaxTest, MissingTextSendsNothing) {
    commands::MapiSendFax(owner, nullptr, "C:\\a.tif", "");
    commands::MapiSendFax(owner, "1", nullptr, "");
    commands::MapiSendFax(owner, "1", "C:\\a.tif", nullptr);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
