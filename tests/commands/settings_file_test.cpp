#include "settings_file_fixture.h"

using commands::Settings;
using commands::SettingsFile;
using commands::SettingsRecord;
using settings_test::ReadFile;
using settings_test::RecordBytes;
using settings_test::SettingsFileTest;

namespace {

SettingsRecord RecordWithMarker(uint8_t beepMode) {
    SettingsRecord r = commands::DefaultSettings();
    r.BeepMode = beepMode;
    return r;
}

// ---- Search ------------------------------------------------------------

struct SearchCase {
    const char* label;
    uint8_t source;
    const char* name;  // SettingsFileName before start-up
    bool named;
    std::vector<std::string> files;  // created under the root
    const char* expectedName;        // relative to the root ("" for none)
    bool expectLoaded;
    uint8_t expectedSource;
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.label;
}

class SettingsSearchTest : public SettingsFileTest,
                           public ::testing::WithParamInterface<SearchCase> {};

TEST_P(SettingsSearchTest, FindsTheFileInOrder) {
    const SearchCase& c = GetParam();
    for (const std::string& f : c.files)
        WriteSettings((root / f).string(), RecordWithMarker(1), commands::kSettingsFileSize);
    SettingsFile.SettingsFileName = c.name;
    SettingsFile.SettingsSource = c.source;

    commands::StartupInit(c.named, false);

    EXPECT_EQ(SettingsFile.SettingsFileName, (root / c.expectedName).string());
    EXPECT_EQ(SettingsFile.SettingsLoaded, c.expectLoaded);
    EXPECT_EQ(Settings.BeepMode, c.expectLoaded ? 1 : commands::DefaultSettings().BeepMode);
    EXPECT_EQ(SettingsFile.SettingsSource, c.expectedSource);
}

// On this system "\" is an ordinary character, so the parent-folder candidate
// "cur/..\name" is a file of that name inside cur.
INSTANTIATE_TEST_SUITE_P(
    Sources, SettingsSearchTest,
    ::testing::Values(
        SearchCase{"CurrentFolderFirst",
                   1,
                   "wendrosta.def",
                   false,
                   {"cur/wendrosta.def", "prog/wendrosta.def"},
                   "cur/wendrosta.def",
                   true,
                   1},
        SearchCase{"ParentSecond",
                   1,
                   "wendrosta.def",
                   false,
                   {"cur/..\\wendrosta.def", "prog/wendrosta.def"},
                   "cur/..\\wendrosta.def",
                   true,
                   1},
        SearchCase{"ProgramFolderThird",
                   1,
                   "wendrosta.def",
                   false,
                   {"prog/wendrosta.def"},
                   "prog/wendrosta.def",
                   true,
                   1},
        SearchCase{
            "DefaultNameMissing", 1, "wendrosta.def", false, {}, "prog/wendrosta.def", false, 1},
        SearchCase{"NamedMissingFailsAtOpen", 2, "my.def", true, {}, "cur/my.def", false, 3},
        SearchCase{"NamedFoundInProgramFolder",
                   2,
                   "my.def",
                   true,
                   {"prog/my.def"},
                   "prog/my.def",
                   true,
                   2},
        SearchCase{"NewUsesCurrentFolderFileWithoutLoading",
                   4,
                   "",
                   false,
                   {"cur/VOVUZIVA.DEF"},
                   "cur/VOVUZIVA.DEF",
                   false,
                   4},
        SearchCase{"NewElseProgramFolder",
                   4,
                   "",
                   false,
                   {"prog/VOVUZIVA.DEF"},
                   "prog/VOVUZIVA.DEF",
                   false,
                   4},
        SearchCase{"NoneTakesMessageFourInProgramFolder",
                   0,
                   "",
                   false,
                   {"prog/wendrosta.def"},
                   "prog/wendrosta.def",
                   false,
                   0}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.label); });

TEST_F(SettingsFileTest, NameWithPathIsTakenAsGiven) {
    const std::string path = (root / "elsewhere" / "x.def").string();
    WriteSettings(path, RecordWithMarker(1), commands::kSettingsFileSize);
    SettingsFile.SettingsFileName = path;
    SettingsFile.SettingsSource = commands::kSettingsSourceNamed;
    commands::StartupInit(true, false);
    EXPECT_EQ(SettingsFile.SettingsFileName, path);
    EXPECT_TRUE(SettingsFile.SettingsLoaded);
}

// ---- Upgrades by length -------------------------------------------------

// A record whose older-stage fields differ from the newer ones, so each
// upgrade step shows.
SettingsRecord OldStageRecord() {
    SettingsRecord r = commands::DefaultSettings();
    r.MouseRightClick.Action = 4;
    r.KeyFlag3972 = 0;
    r.OldTabStops = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50};
    commands::AssignZeroFilled(r.OldKeyFileName2, "old2.kys");
    r.OldAttrColors = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0x80};
    r.TabStops.fill(0);
    r.TabStops[0] = 7;
    commands::AssignZeroFilled(r.KeyFileName, "new.kys");
    for (auto& w : r.AttrColors) w.Set(0x1234);
    r.PageAttrColors[0].Set(0x4321);
    return r;
}

struct UpgradeCase {
    size_t length;
    uint8_t rightClick;
    uint8_t keyFlag3972;
    uint8_t firstTabStop;
    const char* keyFileName;
    uint16_t firstAttrColor;
    uint16_t lastAttrColor;
};

void PrintTo(const UpgradeCase& c, std::ostream* os) {
    *os << c.length;
}

class SettingsUpgradeTest : public SettingsFileTest,
                            public ::testing::WithParamInterface<UpgradeCase> {};

TEST_P(SettingsUpgradeTest, UpgradesByLength) {
    const UpgradeCase& c = GetParam();
    WriteSettings(currentFolder + "wendrosta.def", OldStageRecord(), c.length);
    StartWithDefaultName();

    ASSERT_TRUE(SettingsFile.SettingsLoaded);
    EXPECT_EQ(Settings.MouseRightClick.Action, c.rightClick);
    EXPECT_EQ(Settings.KeyFlag3972, c.keyFlag3972);
    EXPECT_EQ(Settings.TabStops[0], c.firstTabStop);
    EXPECT_EQ(Settings.KeyFileName.View(), c.keyFileName);
    EXPECT_EQ(Settings.AttrColors[0].Get(), c.firstAttrColor);
    EXPECT_EQ(Settings.AttrColors[15].Get(), c.lastAttrColor);
    // Fields past the file's end keep their defaults.
    if (c.length <= commands::kSettingsStage3Size) {
        EXPECT_EQ(Settings.PageAttrColors[0].Get(),
                  commands::DefaultSettings().PageAttrColors[0].Get());
    }
    // The keys file named by the (upgraded) record is read beside the settings.
    ASSERT_EQ(seen.keysLoaded.size(), 1u);
    EXPECT_EQ(seen.keysLoaded[0], currentFolder + c.keyFileName);

    // An upgraded file differs from the copy taken at load and is offered for
    // saving; a current one is not.
    dialogs.answers = {ui::kAnswerNo};
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(dialogs.asked.size(), c.length < commands::kSettingsFileSize ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Stages, SettingsUpgradeTest,
                         ::testing::Values(UpgradeCase{3985, 7, 1, 5, "old2.kys", 1, 0x80},
                                           UpgradeCase{4972, 4, 0, 5, "old2.kys", 1, 0x80},
                                           UpgradeCase{6862, 4, 0, 7, "new.kys", 1, 0x80},
                                           UpgradeCase{7220, 4, 0, 7, "new.kys", 0x1234, 0x1234}),
                         [](const ::testing::TestParamInfo<UpgradeCase>& info) {
                             return "Length" + std::to_string(info.param.length);
                         });

TEST_F(SettingsFileTest, FirstStageKeysNameAndSerialIrqAreCarriedForward) {
    struct IrqCase {
        uint8_t port;
        uint8_t expectedPort;
        uint16_t expectedIrq;
    };
    for (const IrqCase c :
         {IrqCase{3, 3, 4}, IrqCase{2, 2, 3}, IrqCase{19, 3, 3}, IrqCase{18, 2, 4}}) {
        SettingsRecord r = commands::DefaultSettings();
        commands::AssignZeroFilled(r.OldKeyFileName, "first.kys");
        r.SerialIrq.Set(0);
        r.SerialPort = c.port;
        WriteSettings(currentFolder + "wendrosta.def", r, commands::kSettingsStage1Size);
        commands::ResetSettingsToDefaults();
        StartWithDefaultName();

        EXPECT_TRUE(Settings.OldKeyFileName.Empty());
        EXPECT_EQ(Settings.OldKeyFileName2.View(), "first.kys");
        EXPECT_EQ(Settings.KeyFileName.View(), "first.kys");
        EXPECT_EQ(Settings.SerialPort, c.expectedPort) << int(c.port);
        EXPECT_EQ(Settings.SerialIrq.Get(), c.expectedIrq) << int(c.port);
    }
}

TEST_F(SettingsFileTest, LoadedColoursGoLiveAndComeBackAtExit) {
    SettingsRecord r = commands::DefaultSettings();
    r.AttrColors[3].Set(0x77);
    r.AttrColors[4].Set(0x1E);
    r.Palette[15].Set(0x123456);
    WriteSettings(currentFolder + "wendrosta.def", r, commands::kSettingsFileSize);
    StartWithDefaultName();
    EXPECT_EQ(console::ConsoleLayer.AttrColorMap[3], 0x77);
    EXPECT_EQ(console::ConsoleLayer.StatusAttr, 0x1E);
    EXPECT_EQ(console::ConsoleScreen.ScreenPalette[15], (console::ColorRef{0x56, 0x34, 0x12}));

    // A colour edited on the console is a change the exit check offers; the
    // view is put back to its left edge first.
    console::ConsoleLayer.AttrColorMap[3] = 0x70;
    console::TermScreenRing.ViewLeftColumn = 5;
    console::ConsoleLayer.CaretHold = 1;
    dialogs.answers = {ui::kAnswerYes};
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(ReadFile(currentFolder + "wendrosta.def")[6862 + 6], 0x70);
    EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 0);
    EXPECT_EQ(console::ConsoleLayer.CaretHold, 0);
}

// ---- What the load keeps and what it reads --------------------------------

TEST_F(SettingsFileTest, HostAndPhoneFromCommandLineSurviveTheLoad) {
    SettingsRecord r = commands::DefaultSettings();
    commands::AssignZeroFilled(r.HostName, "filehost");
    commands::AssignZeroFilled(r.PhoneNumber, "555");
    WriteSettings(currentFolder + "wendrosta.def", r, commands::kSettingsFileSize);

    commands::AssignZeroFilled(Settings.HostName, "cmdhost");
    StartWithDefaultName();
    EXPECT_EQ(Settings.HostName.View(), "cmdhost");
    EXPECT_EQ(Settings.PhoneNumber.View(), "555");

    commands::ResetSettingsToDefaults();
    commands::AssignZeroFilled(Settings.PhoneNumber, "999");
    StartWithDefaultName();
    EXPECT_EQ(Settings.HostName.View(), "filehost");
    EXPECT_EQ(Settings.PhoneNumber.View(), "999");
}

TEST_F(SettingsFileTest, KeysFileNameDecidesWhatIsLoaded) {
    const std::string deep = (root / std::string(90, 'd')).string() + "/";
    struct KeysCase {
        std::string keyFileName;
        std::string settingsFolder;
        std::string expectedLoad;  // empty: nothing loaded
    };
    const KeysCase cases[] = {
        {"none", currentFolder, ""},
        {"NONE", currentFolder, ""},
        {"nOnE", currentFolder, ""},
        {" ", currentFolder, ""},
        {"", currentFolder, ""},
        {"vt.kys", currentFolder, currentFolder + "vt.kys"},
        {"C:\\keys\\vt.kys", currentFolder, "C:\\keys\\vt.kys"},
        // A deep settings folder still finds the keys file beside it.
        {"vt.kys", deep, deep + "vt.kys"},
    };
    for (const KeysCase& c : cases) {
        SettingsRecord r = commands::DefaultSettings();
        commands::AssignZeroFilled(r.KeyFileName, c.keyFileName);
        WriteSettings(c.settingsFolder + "k.def", r, commands::kSettingsFileSize);
        seen.keysLoaded.clear();
        SettingsFile.SettingsFileName = c.settingsFolder + "k.def";
        commands::StartupInit(true, false);
        ASSERT_TRUE(SettingsFile.SettingsLoaded);
        if (c.expectedLoad.empty())
            EXPECT_TRUE(seen.keysLoaded.empty()) << c.keyFileName;
        else
            EXPECT_EQ(seen.keysLoaded, std::vector<std::string>{c.expectedLoad}) << c.keyFileName;
    }
}

TEST_F(SettingsFileTest, UnreadableKeysFileIsReported) {
    SettingsRecord r = commands::DefaultSettings();
    commands::AssignZeroFilled(r.KeyFileName, "gone.kys");
    WriteSettings(currentFolder + "wendrosta.def", r, commands::kSettingsFileSize);
    seen.keysLoadSucceeds = false;
    seen.keysChanged = true;
    StartWithDefaultName();
    EXPECT_EQ(seen.messages,
              std::vector<std::string>{"UNABLE TO READ KEYFILE: " + currentFolder + "gone.kys"});
}

TEST_F(SettingsFileTest, AnyFileLengthLoadsWithinTheRecord) {
    for (size_t length : {size_t{0}, size_t{1}, size_t{7219}, size_t{7221}, size_t{1} << 20}) {
        std::vector<uint8_t> bytes(length, 0xFF);
        settings_test::WriteFile(currentFolder + "wendrosta.def", bytes.data(), bytes.size());
        commands::ResetSettingsToDefaults();
        commands::AssignZeroFilled(Settings.HostName, "keep");
        StartWithDefaultName();
        EXPECT_TRUE(SettingsFile.SettingsLoaded) << length;
        EXPECT_EQ(Settings.HostName.View(), "keep") << length;
        // A file long enough to hold the colour table is not upgraded; the
        // shortest ones widen the default byte table.
        EXPECT_EQ(Settings.AttrColors[0].Get(), length >= 7219 ? 0xFFFF : 15) << length;
    }
}

TEST_F(SettingsFileTest, ReadErrorShowsDiskErrorAndRunsFirstStart) {
    // Opening a folder succeeds here and its read fails.
    std::filesystem::create_directories(root / "cur" / "folder.def");
    SettingsFile.SettingsFileName = "folder.def";
    SettingsFile.SettingsSource = commands::kSettingsSourceNamed;
    commands::StartupInit(true, true);
    EXPECT_FALSE(SettingsFile.SettingsLoaded);
    ASSERT_EQ(seen.messages.size(), 1u);
    EXPECT_EQ(seen.messages[0], "DISK ERROR ON: " + currentFolder + "folder.def : 64");
    EXPECT_EQ(Settings.ScreenFontName.View(), "Courier New");
}

// ---- Exit check ---------------------------------------------------------

class SettingsExitTest : public SettingsFileTest {
  protected:
    std::string path;
    void SetUp() override {
        SettingsFileTest::SetUp();
        path = currentFolder + "wendrosta.def";
        WriteSettings(path, commands::DefaultSettings(), commands::kSettingsFileSize);
        StartWithDefaultName();
        ASSERT_TRUE(SettingsFile.SettingsLoaded);
    }
    std::vector<uint8_t> OnDisk() { return ReadFile(path); }
};

TEST_F(SettingsExitTest, UnchangedSettingsAskNothing) {
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(OnDisk(), RecordBytes(commands::DefaultSettings()));
}

TEST_F(SettingsExitTest, ChangedSettingsAskAndFollowTheAnswer) {
    Settings.BeepMode = 0;
    dialogs.answers = {ui::kAnswerCancel};
    EXPECT_FALSE(commands::ConfirmSaveSettings(true));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, "Save Parameters?");
    EXPECT_TRUE(dialogs.asked[0].allowCancel);

    dialogs.answers = {ui::kAnswerNo};
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(OnDisk()[7], 2) << "not saved";
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(dialogs.asked.size(), 2u) << "the answer No is remembered";

    Settings.BeepMode = 1;
    dialogs.answers = {ui::kAnswerYes};
    EXPECT_TRUE(commands::ConfirmSaveSettings(false));
    EXPECT_FALSE(dialogs.asked.back().allowCancel);
    EXPECT_EQ(OnDisk(), RecordBytes(Settings));
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(dialogs.asked.size(), 3u);
}

TEST_F(SettingsExitTest, SaveModeTwoNeverAsksAndOneSavesSilently) {
    Settings.BeepMode = 0;
    Settings.SaveMode = 2;
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(OnDisk()[7], 2);

    Settings.SaveMode = 1;
    seen.keysChanged = true;
    dialogs.answers = {ui::kAnswerYes};
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, "Save Keys?");
    EXPECT_EQ(seen.keysSaved.size(), 1u);
    EXPECT_EQ(OnDisk(), RecordBytes(Settings));
}

TEST_F(SettingsExitTest, KeysQuestionCancelStopsTheExit) {
    seen.keysChanged = true;
    dialogs.answers = {ui::kAnswerCancel};
    EXPECT_FALSE(commands::ConfirmSaveSettings(true));
    EXPECT_TRUE(seen.keysSaved.empty());
}

TEST_F(SettingsExitTest, MacroPlayingOrUnwritableFileAsksNothing) {
    Settings.BeepMode = 0;
    seen.macroPlaying = true;
    EXPECT_FALSE(commands::ConfirmSaveSettings(true));
    seen.macroPlaying = false;
    // Something that exists under the name but does not open for writing
    // (a folder does not, even for the superuser) is left alone.
    SettingsFile.SettingsFileName = currentFolder;
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SettingsExitTest, ColourMapOfTheShownPageIsSaved) {
    static int page = 0;
    commands::StartupServices.CurrentScreenPage = [] { return page; };
    commands::StartupServices.ReadColorMap = [](uint16_t m[16]) {
        std::fill_n(m, 16, uint16_t{0x55});
    };
    page = 2;
    Settings.PageAttrColors[0].Set(0x11);
    ASSERT_TRUE(commands::SaveSettingsFile());
    EXPECT_EQ(Settings.PageAttrColors[2 * 16 + 5].Get(), 0x55);
    EXPECT_EQ(Settings.AttrColors[0].Get(), 0x11);
    page = 0;
    ASSERT_TRUE(commands::SaveSettingsFile());
    EXPECT_EQ(Settings.AttrColors[0].Get(), 0x55);
    EXPECT_EQ(OnDisk(), RecordBytes(Settings));
}

// ---- Saving never truncates the user's file -----------------------------

size_t FailHalfway(std::FILE* file, const uint8_t* data, size_t count) {
    return std::fwrite(data, 1, count / 2, file);
}

TEST_F(SettingsExitTest, FailedWriteKeepsTheOldFileWhole) {
    const std::vector<uint8_t> before = OnDisk();
    SettingsFile.WriteBytes = FailHalfway;
    Settings.BeepMode = 0;

    EXPECT_FALSE(commands::SaveSettingsFile());
    EXPECT_EQ(seen.messages, std::vector<std::string>{"DISK OR DIRECTORY FULL"});
    EXPECT_FALSE(ui::SaveParameters(false));
    EXPECT_EQ(seen.messages.size(), 2u);
    EXPECT_EQ(OnDisk(), before);
    // No half-written file is left beside it, and the exit check still sees
    // the change.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root / "cur"),
                            std::filesystem::directory_iterator()),
              1);
    dialogs.answers = {ui::kAnswerNo};
    EXPECT_TRUE(commands::ConfirmSaveSettings(true));
    EXPECT_EQ(dialogs.asked.size(), 1u);
}

TEST_F(SettingsExitTest, FailedSaveRunsTheErrorKeyInsteadOfTheMessage) {
    seen.errorKeyDefined = true;
    SettingsFile.SettingsFileName = (root / "missing" / "x.def").string();
    EXPECT_FALSE(commands::SaveSettingsFile());
    EXPECT_EQ(seen.errorKeyRuns, 1);
    EXPECT_TRUE(seen.messages.empty());

    SettingsFile.SettingsFileName.clear();
    EXPECT_FALSE(commands::SaveSettingsFile());
}

TEST_F(SettingsExitTest, SavingOverAFolderFailsAndLeavesItAlone) {
    const std::filesystem::path folder = root / "cur" / "dir.def";
    std::filesystem::create_directories(folder / "inside");
    SettingsFile.SettingsFileName = folder.string();
    EXPECT_FALSE(commands::SaveSettingsFile());
    EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
    EXPECT_FALSE(std::filesystem::exists(folder.string() + ".~new"));
}

// ---- First start --------------------------------------------------------

TEST_F(SettingsFileTest, FirstStartTakesTheDialogsChoiceAndHostDefaults) {
    dialogs.pickFirstRun = true;
    dialogs.firstRunPick = {"IMOS", "vt100", 2, 9600};
    ASSERT_TRUE(StartWithDefaultName());
    EXPECT_EQ(dialogs.firstRunDialogs, 1);
    EXPECT_EQ(Settings.HostType, 1);
    EXPECT_EQ(Settings.AsciiCharDelay.Get(), 200);
    EXPECT_EQ(Settings.AsciiLineDelay.Get(), 2000);
    EXPECT_EQ(Settings.SerialPort, 2);
    EXPECT_EQ(Settings.SerialIrq.Get(), 3);
    EXPECT_EQ(Settings.SerialBaud.Get(), 9600);
    EXPECT_EQ(Settings.TerminalType.View(), "VT100");
    EXPECT_EQ(Settings.ScreenFontName.View(), "Courier New");
    EXPECT_EQ(Settings.ScreenFontCharset, 0);
    EXPECT_EQ(Settings.FontCellSize[0].Get(), 768 / 25 * 3 / 4);
    EXPECT_EQ(Settings.FontCellSize[1].Get(), 10);
    EXPECT_EQ(Settings.FontCellSize[3].Get(), 1024 / 132);
    EXPECT_EQ(seen.keysLoaded, std::vector<std::string>{programFolder + "sample.kys"});
}

TEST_F(SettingsFileTest, FirstStartKeysFileByHostKind) {
    struct KindCase {
        const char* kind;
        uint8_t hostType;
        bool typeFound;
        bool typeHasKeys;
        const char* typeKeys;
        const char* expectedKeys;  // "" for none
    };
    const KindCase cases[] = {
        {"RMCOS", 6, false, false, "", "rmcos.kys"},
        {"UNIX", 7, true, true, "vt220.kys", "vt220.kys"},
        {"UNIX", 7, true, true, "", ""},
        {"UNIX", 7, true, false, "", "VT220.KYS"},
        {"UNIX", 7, false, false, "", ""},
        {"unix", 8, false, false, "", "sample.kys"},
    };
    for (const KindCase& c : cases) {
        commands::ResetSettingsToDefaults();
        seen.keysLoaded.clear();
        dialogs.pickFirstRun = true;
        dialogs.firstRunPick = {c.kind, "VT220", 1, 19200};
        seen.termType = {c.typeFound, c.typeHasKeys, c.typeKeys};
        ASSERT_TRUE(StartWithDefaultName());
        EXPECT_EQ(Settings.HostType, c.hostType) << c.kind;
        if (*c.expectedKeys == 0)
            EXPECT_TRUE(seen.keysLoaded.empty()) << c.kind;
        else
            EXPECT_EQ(seen.keysLoaded, std::vector<std::string>{programFolder + c.expectedKeys})
                << c.kind;
    }
}

TEST_F(SettingsFileTest, FirstStartUnixDefaultsAndOldScoAnsiQuestion) {
    dialogs.pickFirstRun = true;
    dialogs.firstRunPick = {"UNIX", "scoansi", 1, 19200};
    dialogs.answers = {ui::kAnswerYes};
    Settings.FullDuplex = 0;
    Settings.TabAsTab = 0;
    ASSERT_TRUE(StartWithDefaultName());
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text,
              "Do you want OLD style SCOANSI, as in Open Server before version 5.0.6?");
    EXPECT_FALSE(dialogs.asked[0].allowCancel);
    EXPECT_EQ(Settings.OldScoAnsi, 1);
    EXPECT_EQ(Settings.CharsetKind, 6);
    EXPECT_EQ(Settings.FullDuplex, 1);
    EXPECT_EQ(Settings.TabAsTab, 1);
    EXPECT_EQ(Settings.SerialParity, 'N');
    EXPECT_EQ(Settings.SerialDataBits.Get(), 8);
}

TEST_F(SettingsFileTest, FirstStartWithHostSkipsTheDialogAndKeepsTheCompactBaud) {
    Settings.SerialBaud.Set(1152);
    ASSERT_TRUE(StartWithDefaultName(false, true));
    EXPECT_EQ(dialogs.firstRunDialogs, 0);
    EXPECT_EQ(Settings.SerialBaud.Get(), 1152);
}

TEST_F(SettingsFileTest, FirstStartFailedKeysEmptyTheNameAndCancelEndsTheProgram) {
    seen.keysLoadSucceeds = false;
    dialogs.pickFirstRun = true;
    dialogs.firstRunPick = {"IMOS", "VT220", 1, 19200};
    commands::AssignZeroFilled(Settings.KeyFileName, "x.kys");
    ASSERT_TRUE(StartWithDefaultName());
    EXPECT_TRUE(Settings.KeyFileName.Empty());

    dialogs.firstRunOk = false;
    EXPECT_FALSE(StartWithDefaultName());
}

TEST_F(SettingsFileTest, StartupSetsFoldersAndRecordsTheStartState) {
    static bool gauge = false;
    static std::string folderSeen;
    commands::StartupServices.InitRuntimeGlobals = [](bool g, std::string_view folder) {
        gauge = g;
        folderSeen = folder;
    };
    SettingsRecord r = commands::DefaultSettings();
    r.Gauge = 1;
    WriteSettings(currentFolder + "wendrosta.def", r, commands::kSettingsFileSize);
    StartWithDefaultName();
    EXPECT_EQ(SettingsFile.ProgramFolder, programFolder);
    EXPECT_EQ(SettingsFile.HelpFileName, programFolder + "OZMEL.HLP");
    EXPECT_EQ(SettingsFile.ComSpec, "C:\\CMD.EXE");
    EXPECT_TRUE(gauge);
    EXPECT_EQ(folderSeen, currentFolder);
}

}  // namespace
