// Every item of the menu resource, chosen once: the text command it queues,
// the dialog it opens or the setting it changes.
#include "ui/menus/menu_dispatcher.h"

#include <set>

#include "commands/password_scramble.h"
#include "menu_fixture.h"
#include "ui/message_box.h"

namespace {

using commands::Settings;
using menu_test::MenuFixture;

struct Row {
    uint16_t Id;
    const char* Outcome;
};

// With the settings of SetKnownSettings below.
const Row kItems[] = {
    // File.
    {101, "save 331 *.*; queue OPENO/N \"C:\\dir\\f.txt\""},
    {102, "open 332 *.*; queue OPENI \"C:\\dir\\f.txt\""},
    {110, "open 339 *.kys; queue READ \"C:\\dir\\f.txt\""},
    {112, "open 340 *.kys; queue MERGE \"C:\\dir\\f.txt\""},
    {111, "save keys K.KYS; "},
    {126, "save 310 *.kys; save keys C:\\dir\\f.txt; "},
    {106, "folder; queue LOG \"C:\\logs\""},
    {118, "open 336 *.bmp;*.gif;*.jpg; background; "},
    {119, "background; "},
    {113, "dialog PRINTERSETUP; "},
    {117, "printer font Courier New; "},
    {1211, "dialog SPOOLSETUP; "},
    {1210, "dialog RAWPORT; "},
    {121, "dialog INTIN; "},
    {114, "print text; "},
    {116, "queue EJECT"},
    {115, "queue END"},
    // Edit and popup.
    {203, ""},
    {205, "dialog ADVANCEDOPTIONS; "},
    {585, "queue winstart http://host/"},
    {586, "dialog ADVANCEDOPTIONS; "},
    {587, "dialog CHARINFO; "},
    // View.
    {301, "queue BEEP ON"},
    {303, "queue GAUGE ON"},
    {304, "queue STATUS OFF"},
    {306, "queue SCROLL ON"},
    {308, "caret; "},
    {314, "prompt Window title [Main]; queue title typed"},
    {3071, "queue jump off"},
    {3072, "queue jump medium"},
    {3073, "queue jump fast"},
    {3103, "queue COLOREDIT"},
    {315, "screen font Terminal; "},
    {309, "zoom; "},
    {3131, "queue font larger BOLD"},
    {3132, "queue font smaller BOLD"},
    {3130, "prompt Set Custom Font Size [16x8]; queue font typed"},
    {3051, "queue Screenmode 80x24"},
    {3052, "queue Screenmode 80x25"},
    {3053, "queue Screenmode 132x24"},
    {3054, "queue Screenmode 132x25"},
    {3055, "dialog SCREENSIZE; "},
    // Diagnose.
    {401, "queue MONITOR ON"},
    {402, "queue INTERPRET"},
    {403, "queue review"},
    {404, "debug window open; "},
    // Communicate.
    {576, "dialog COMMSETTINGS; "},
    {594, "prompt SOCKS Host Name []; "},
    {512, "prompt Username [me]; queue username typed"},
    {513, "password Password [secret]; queue password typed"},
    {562, "dialog CHARSET; "},
    {561, "prompt TERM Name [vt220]; queue termname typed"},
    {563, "prompt Environment [A=1]; queue environment typed"},
    {5751, "queue BACKSPACE 8"},
    {5752, "queue BACKSPACE 21"},
    {5753, "queue BACKSPACE 127"},
    {583, "prompt Answerback [hi|]; queue answerback typed"},
    {580, "dialog DIAL; "},
    {584, "queue hangup"},
    {501, "queue BREAK"},
    {502, "unlock; "},
    {505, "queue AUTO-LF ON"},
    {506, "queue half dup"},
    {5601, "queue TERM N7900"},
    {5602, "queue TERM VIEWPOINT"},
    {5603, "queue TERM VT220"},
    {5604, "queue TERM WYSE60"},
    {5605, "queue TERM OZMEL"},
    {5606, "ask Do you want OLD styl; queue TERM SCOANSI"},
    {5607, "queue TERM AT386"},
    {5609, "queue TERM C332"},
    {5610, "queue TERM TV965"},
    {5611, "queue TERM VT100"},
    {5612, "queue TERM VT320"},
    {5613, "queue TERM LINUX"},
    {5614, "queue TERM VT420"},
    {5608, "ask You must also have t; load keys C:\\prog\\WYSE60.KYS; queue TERM WYSE50"},
    // Transfer.
    {611, "capture to printer; "},
    {601, "save 356 *.*; queue CAPTURE \"C:\\dir\\f.txt\""},
    {602, "open 332 *.*; queue TRANSMIT \"C:\\dir\\f.txt\""},
    {603, "open 332 *.*; prompt Trailer []; queue transmit \"C:\\dir\\f.txt\" trailer typed"},
    {604, "open 332 *.*; queue TRANSMIT \"C:\\dir\\f.txt\" trailer \x04"},
    {606, "queue RECEIVE QUIET ON"},
    {608, "hotkey 286; "},
    {609, "queue RETRANSMIT"},
    {641, "queue FTP"},
    {642, "queue FTP NEW"},
    {620, "dialog DELAYS; "},
    {605, "dialog DOWNDIR; "},
    {6501, "queue ASEND"},
    {6502, "queue KRECEIVE"},
    {6503, "queue KSEND"},
    {6504, "queue XRECEIVE"},
    {6505, "queue XSEND"},
    {6506, "queue YRECEIVE"},
    {6507, "queue YSEND"},
    {6508, "queue ZRECEIVE"},
    {6509, "queue ZSEND"},
    {6510, "queue TRANSFER-OPT"},
    {6103, "dialog SENDKERMITCOMM; "},
    // Macros and Help.
    {704, "queue RECORD ON"},
    {705, "dialog KEYEDITOR; "},
    {701, "run macro prompt; "},
    {702, "queue KEYS"},
    {703, "hotkey 320; "},
    {990, "help; "},
    {991, "help on help; "},
    {902, "dialog ABOUTBOX; "},
    {906, "dialog REGTELNET; "},
    // Items of no menu of the program's own, and computed ids.
    {302, "queue BEEP IDLE ON"},
    {507, "queue LOCK OFF"},
    {508, "queue commtype serial"},
    {6101, "dialog SENDKERMITCOMM; "},
    {6102, "dialog SENDKERMITCOMM; "},
    {6302, "save 331 *.*; queue Zreceive \"C:\\dir\\f.txt\""},
    {6301, "open 332 *.*; prompt Zmodem send [\"C:\\dir\\f.txt\"]; queue zsend typed"},
    {903, "dialog ABOUTSUPPORT; "},
    {10048, "queue INVOKE 0"},
    {10122, "queue INVOKE z"},
    {10123, ""},
    {11000, ""},
    {12000, ""},
};

// Items that change a setting (or the program's state) instead of queuing:
// toggles flip their setting, the others set it as the check says.
struct Flip {
    uint16_t Id;
    bool (*Changed)();
};
struct Toggle {
    uint16_t Id;
    uint8_t* Field;
};
const Toggle kToggles[] = {
    {122, &Settings.PrintWizard},        {316, &Settings.TrackWindow},
    {593, &Settings.AutoConnect},        {511, &Settings.LoginWizard},
    {581, &Settings.UpperCaseKeys},      {582, &Settings.ScrollLockKey},
    {6104, &Settings.KermitAutoReceive}, {6304, &Settings.ZmodemAutoReceive},
};
const Flip kFlips[] = {
    {104, [] { return false; }},  // saved: checked below
    {125, [] { return false; }},
    {1201, [] { return Settings.PrintLevel == 0; }},
    {1202, [] { return Settings.PrintLevel == 1; }},
    {1203, [] { return Settings.PrintLevel == 2; }},
    {1204, [] { return Settings.PrintLevel == 3; }},
    {5921, [] { return Settings.ReconnectMode == 1; }},
    {5922, [] { return Settings.ReconnectMode == 2; }},
    {5923, [] { return Settings.ReconnectMode == 0; }},
    {123,
     [] {
         return Settings.PrintFontCharset == 0 && Settings.PrintFontName.View() == "Courier New";
     }},
    {124, [] { return Settings.PrintFontCharset == 255; }},
    {317,
     [] {
         return Settings.ScreenFontCharset == 0 && Settings.ScreenFontName.View() == "Courier New";
     }},
    {318,
     [] {
         return Settings.ScreenFontCharset == 255 &&
                Settings.ScreenFontName.View() == "Courier New";
     }},
    {319,
     [] {
         return Settings.ScreenFontCharset == 255 && Settings.ScreenFontName.View() == "Terminal";
     }},
    {3101, [] { return console::ConsoleLayer.AttrColorMap[3] == 3; }},
    {3102, [] { return console::ConsoleLayer.AttrColorMap[3] == 0x70; }},
};

class MenuDispatcherTest : public MenuFixture {
  protected:
    void SetUp() override {
        MenuFixture::SetUp();
        auto& s = Settings;
        s.BeepMode = 0;
        s.BeepIdle = 0;
        s.Gauge = 0;
        s.StatusLine = 1;
        s.ScrollEnabled = 0;
        s.AllowQuit = 1;
        s.FullDuplex = 1;
        s.NoKeyboardLock = 0;
        s.CommMethod = 2;
        s.AutoLF = 0;
        s.ReceiveQuiet = 0;
        s.ScreenColumns = 80;
        s.FontOption = {1, 0};
        s.FontCellSize[0].Set(16);
        s.FontCellSize[1].Set(8);
        s.WindowTitle = "Main";
        s.UserName = "me";
        s.TermNameList = "vt220";
        s.EnvironmentText = "A=1";
        s.AnswerBack = "hi\r";
        s.KeyFileName = "K.KYS";
        s.PrintLevel = 1;
        s.PrintWizard = 0;
        s.PrintScreenAsPage = 1;
        s.CommDebug = 0;
        s.Password = commands::ScramblePassword("secret");
        s.SocksHost = "";
        commands::SettingsFile.ProgramFolder = "C:\\prog\\";
        ui::MenuDispatch.PopupText = "http://host/";
    }
};

TEST_F(MenuDispatcherTest, EveryItemOfTheMenusHasItsOutcome) {
    std::set<uint16_t> known;
    for (const auto& row : kItems) known.insert(row.Id);
    for (const auto& flip : kFlips) known.insert(flip.Id);
    for (const auto& toggle : kToggles) known.insert(toggle.Id);
    for (uint16_t id : {201, 202, 204, 320, 591}) known.insert(id);  // tested on their own below
    for (const auto& item : menu_test::ResourceItems())
        EXPECT_TRUE(known.count(item.Id)) << item.Menu << " item " << item.Id << " " << item.Text;

    for (const auto& row : kItems) {
        SetUp();
        EXPECT_EQ(Choose(row.Id), row.Outcome) << "item " << row.Id;
    }
    for (const auto& flip : kFlips) {
        SetUp();
        Choose(flip.Id);
        if (flip.Id == 104 || flip.Id == 125) continue;
        EXPECT_TRUE(flip.Changed()) << "item " << flip.Id;
    }
    for (const auto& toggle : kToggles) {
        for (uint8_t before : {0, 1}) {
            SetUp();
            *toggle.Field = before;
            EXPECT_EQ(Choose(toggle.Id), "") << "item " << toggle.Id;
            EXPECT_EQ(*toggle.Field, before ? 0 : 1) << "item " << toggle.Id;
        }
    }
}

TEST_F(MenuDispatcherTest, ItemsFollowTheStateTheyToggleOrClose) {
    Settings.BeepMode = 1;
    Settings.FullDuplex = 0;
    Settings.NoKeyboardLock = 1;
    Settings.CommMethod = 1;
    Settings.AllowQuit = 0;
    commands::Interpreter.LearnMode = true;
    EXPECT_EQ(Choose(301), "queue BEEP OFF");
    EXPECT_EQ(Choose(506), "queue full dup");
    EXPECT_EQ(Choose(507), "queue LOCK ON");
    EXPECT_EQ(Choose(508), "queue commtype winsock");
    EXPECT_EQ(Choose(704), "queue RECORD OFF");
    EXPECT_EQ(Choose(115), "") << "Quit is disabled: a message, nothing queued";

    ui::MenuServices.OutputFileOpen = [] { return true; };
    ui::MenuServices.InputFileOpen = [] { return true; };
    ui::MenuServices.CaptureMode = []() -> uint8_t { return 3; };
    ui::MenuServices.TransmitState = []() -> uint8_t { return 1; };
    ui::MenuServices.ReviewActive = [] { return true; };
    EXPECT_EQ(Choose(101), "queue CLOSEO");
    EXPECT_EQ(Choose(102), "queue CLOSEI");
    EXPECT_EQ(Choose(203), "queue KEEP");
    EXPECT_EQ(Choose(601), "queue capture close");
    EXPECT_EQ(Choose(602), "queue transmit off");
    EXPECT_EQ(Choose(604), "queue Transmit trailer \x04");
    EXPECT_EQ(Choose(603), "prompt Trailer []; queue transmit  trailer typed");
    EXPECT_EQ(Choose(403), "key 27; ");
}

TEST_F(MenuDispatcherTest, ChoosingTwiceBeforeTheMainLoopRunsQueuesTheSameAgain) {
    EXPECT_EQ(Choose(301), "queue BEEP ON");
    ui::HandleMenuCommand(301);
    EXPECT_EQ(ui::MenuDispatch.PendingCommand, "BEEP ON");
}

TEST_F(MenuDispatcherTest, ALaunchedProgramHoldsTheMenuUntilForgotten) {
    menu_test::Running = true;
    menu_test::AskAnswer = 1;  // OK: keep waiting
    EXPECT_EQ(Choose(301), "ask Waiting for launched; ");
    menu_test::AskAnswer = 2;  // Cancel: forget it
    EXPECT_EQ(Choose(301), "ask Waiting for launched; forget program; ");
    menu_test::AskAnswer = 0;
    EXPECT_EQ(Choose(301), "queue BEEP ON");
}

TEST_F(MenuDispatcherTest, TheTermItemTakesItsNameFromTheMenuText) {
    menu_test::ItemTexts[5603] = "Vt-Deutsch\tF1";
    EXPECT_EQ(Choose(5603), "queue TERM Vt-Deutsc");
    menu_test::ItemTexts[5606] = "scoansi";
    menu_test::AskAnswer = 6;
    EXPECT_EQ(Choose(5606), "ask Do you want OLD styl; queue TERM scoansi");
    EXPECT_EQ(Settings.OldScoAnsi, 1);
}

TEST_F(MenuDispatcherTest, HostNameReopensTheConnectionAfterAsking) {
    static int opens;
    static int results[2];
    opens = 0;
    results[0] = 5;
    results[1] = 0;
    Settings.HostName = "old";
    ui::MenuServices.CommIsOpen = [] { return true; };
    ui::MenuServices.OpenHostName = [] { return std::string("old"); };
    ui::MenuServices.CommClose = [] { menu_test::Note("close"); };
    ui::MenuServices.CommOpen = [] {
        menu_test::Note("open");
        return results[opens++];
    };
    ui::MenuServices.CommErrorText = [](int) { return std::string("refused"); };
    ui::MenuServices.StartAutoLogin = [] { menu_test::Note("login"); };
    // The prompt stores "typed" as the host name; the first open fails and the
    // prompt comes again before the second.
    EXPECT_EQ(Choose(591),
              "prompt Host Name [old]; ask Drop current connect; close; open; prompt Host Name "
              "[typed]; open; login; ");
    EXPECT_EQ(Settings.HostName.View(), "typed");

    // The same name as the open connection's: nothing happens.
    ui::MenuServices.OpenHostName = [] { return std::string("typed"); };
    EXPECT_EQ(Choose(591), "prompt Host Name [typed]; ");
}

TEST_F(MenuDispatcherTest, CancelledDialogsQueueNothing) {
    ui::MenuServices.FileDialog = [](const ui::FileDialogRequest&, std::string&) { return false; };
    ui::MenuServices.BrowseForFolder = [](uint16_t, const std::string&) { return std::string(); };
    for (uint16_t id : {101, 102, 110, 112, 106, 601, 602, 603, 604, 6301, 6302}) {
        Choose(id);
        EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty()) << id;
    }
}

TEST_F(MenuDispatcherTest, DownloadFolderQueuesLockOrDirectory) {
    ui::MenuServices.RunDialog = [](std::string_view) {
        ui::MenuDispatch.FolderBuffer = "D:\\in";
        return 1;
    };
    ui::MenuDispatch.FolderLocked = false;
    Settings.DownloadLock = 0;
    EXPECT_EQ(Choose(605), "queue DOWNLOAD-DIR \"D:\\in\"");
    ui::MenuServices.RunDialog = [](std::string_view) {
        ui::MenuDispatch.FolderBuffer = "D:\\in";
        ui::MenuDispatch.FolderLocked = true;
        return 1;
    };
    EXPECT_EQ(Choose(605), "queue DOWNLOAD-LOCK \"D:\\in\"");
}

}  // namespace

namespace {

std::string shownText;

TEST_F(MenuDispatcherTest, ADialogTheProgramLacksIsReportedNotPassedOver) {
    ui::MenuServices.RunDialog = [](std::string_view) { return -1; };
    const auto previous = ui::SetMessageBoxFunction([](std::string_view text) {
        shownText = std::string(text);
        return 1;
    });
    Choose(620);
    ui::SetMessageBoxFunction(previous);
    EXPECT_EQ(shownText, "This function is not available in this version: DELAYS");
    // Other units open their dialogs without the report.
    shownText.clear();
    ui::CommSettingsDialog();
    EXPECT_EQ(shownText, "");
}

}  // namespace
