#include "emulation/input/keys_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "../console/fake_system.h"
#include "app/session_wiring.h"
#include "app/startup_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "emulation/command_line.h"
#include "emulation/input/macros.h"
#include "emulation/session_services.h"

namespace emulation {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

using Definition = std::tuple<uint16_t, uint8_t, std::string>;  // key, UTF-8 flag, text

std::vector<Definition> PermanentDefinitions() {
    std::vector<Definition> defs;
    for (const auto& [order, nodes] : CurrentMacroList())
        for (const MacroRec& node : nodes)
            if (node.Scope == ScopePermanent) defs.emplace_back(node.Key, node.Utf8, node.Text);
    return defs;
}

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

class KeysFileTest : public ::testing::Test {
  protected:
    static inline std::vector<std::string> shown;

    void SetUp() override {
        ResetMacros();
        commands::ResetInterpreter();
        commands::ResetSettingsToDefaults();
        shown.clear();
        KeysFileServices.ShowStatusMessage = [](std::string_view t) { shown.emplace_back(t); };
        folder_ = fs::temp_directory_path() /
                  ("vz_keys_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override {
        app::ComposeStartupServices();
        commands::ResetInterpreterHooks();
        ResetCommandLineServices();
        app::ComposeSessionServices();
        ResetKeysFileHooks();
        ResetMacros();
        commands::ResetInterpreter();
        commands::ResetSettingsToDefaults();
        fs::remove_all(folder_);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path folder_;
};

TEST_F(KeysFileTest, SavedFileLoadsBackTheSameDefinitions) {
    DefineMacro('a', "hello|", 0, 0);
    DefineMacro(315, "\0@DIR|#x{\0H}~|"s, 1, 0);
    DefineMacro(0x1234, "\xC3\xA9\xE2\x82\xAC", 1, 0);
    DefineMacro(0, std::string(300, '\0'), 0, 0);
    DefineMacro(316, std::string(MaxMacroTextLength, '\xFF'), 0, 0);
    DefineMacro('t', "temporary", 0, 1);
    const auto before = PermanentDefinitions();

    ASSERT_TRUE(SaveKeysFile(Path("a.kys")));
    EXPECT_FALSE(Macros.KeysChanged);
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("a.kys"));

    ResetMacros();
    DefineMacro('z', "gone after replace", 0, 0);
    ASSERT_TRUE(LoadKeysFile(Path("a.kys"), true));
    EXPECT_EQ(PermanentDefinitions(), before);
    EXPECT_FALSE(MacroExists('t'));
    EXPECT_FALSE(Macros.KeysChanged);

    ASSERT_TRUE(SaveKeysFile(""));
    EXPECT_EQ(Read("a.kys").substr(0, 2), "\0\x02"s);
    ResetMacros();
    ASSERT_TRUE(ReadKeysDefinitions(Bytes(Read("a.kys"))));
    EXPECT_EQ(PermanentDefinitions(), before);
}

TEST_F(KeysFileTest, ReadsVersionOneAndTheOldTextForm) {
    // Version 1: no UTF-8 flag; every definition is single bytes.
    ASSERT_TRUE(
        ReadKeysDefinitions(Bytes("\0\x01"
                                  "a\0\x02\0xy"
                                  "\x3B\x01\x01\0z"s)));
    EXPECT_EQ(PermanentDefinitions(), (std::vector<Definition>{{'a', 0, "xy"}, {315, 0, "z"}}));

    ResetMacros();
    // Old text form: 0xBB is F1, 0xAA ^Del, 0xB3 F11, NUL Ctrl-Z; a NUL in
    // the text is 26 and a byte from 128 on the key 128 + byte.
    ASSERT_TRUE(
        ReadKeysDefinitions(Bytes("\xBB"
                                  "ab\r\n"
                                  "\xAA"
                                  "x\n\n"
                                  "\xB3"
                                  "c\0d\xBB\r"
                                  "\0"
                                  "z\x1A"
                                  "qignored\n"s)));
    EXPECT_EQ(PermanentDefinitions(), (std::vector<Definition>{{26, 0, "z"},
                                                               {315, 0, "ab"},
                                                               {389, 0,
                                                                "c\x1A"
                                                                "d\0\x3B"s},
                                                               {403, 0, "x"}}));
}

TEST_F(KeysFileTest, DamagedFilesKeepWhatWasReadAndNeverReadPastTheEnd) {
    const std::string good =
        "\0\x02"
        "a\0\x01\0\x01x"s;
    const struct {
        std::string bytes;
        bool ok;
        size_t defined;
    } cases[] = {
        {"", true, 0},      // empty: nothing to define
        {"\0"s, false, 0},  // no version byte
        {"\0\x07"
         "a\0\x01\0\x01x"s,
         true, 0},  // unknown version
        {good, true, 1},
        {good + "b"s, false, 1},  // record head cut short
        {good + "b\0\x05\0\x01"
                "ab"s,
         false, 1},                          // text cut short
        {good + "b\0\x00\0\x01"s, true, 1},  // empty text defines nothing
        {good + "a\0\x00\0\x00"s, true, 0},  // ... and removes
        {"\0\x02"
         "a\0\xFF\xFF\x01"s +
             std::string(65535, 'x'),
         true, 0},  // too long
        {"\0\x01"
         "a\0\xFF\xFF"s +
             std::string(100, 'x'),
         false, 0},
        {"a" + std::string(70000, '\x90'), true, 0},  // text line too long
    };
    for (const auto& c : cases) {
        ResetMacros();
        EXPECT_EQ(ReadKeysDefinitions(Bytes(c.bytes)), c.ok) << c.bytes.size();
        EXPECT_EQ(PermanentDefinitions().size(), c.defined) << c.bytes.size();
    }
}

TEST_F(KeysFileTest, ReplaceAndMerge) {
    Write("k.kys",
          "\0\x02"
          "a\0\x01\0\x01x"s);
    DefineMacro('b', "kept", 0, 0);
    Macros.KeysChanged = false;
    ASSERT_TRUE(LoadKeysFile(Path("k.kys"), false));
    EXPECT_TRUE(MacroExists('a') && MacroExists('b'));
    EXPECT_TRUE(Macros.KeysChanged);
    EXPECT_TRUE(commands::Settings.KeyFileName.Empty());

    ASSERT_TRUE(LoadKeysFile(Path("k.kys"), true));
    EXPECT_FALSE(MacroExists('b'));
    EXPECT_FALSE(Macros.KeysChanged);
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("k.kys"));

    // A file that cannot be opened changes nothing.
    EXPECT_FALSE(LoadKeysFile(Path("missing.kys"), true));
    EXPECT_FALSE(LoadKeysFile(" ", true));
    EXPECT_TRUE(MacroExists('a'));
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("k.kys"));
}

TEST_F(KeysFileTest, NameVariablesAreExpanded) {
    testing_support::FakeSystem system;
    system.environment["KEYDIR"] = folder_.string();
    Write("v.kys",
          "\0\x02"
          "v\0\x01\0\x01x"s);
    ASSERT_TRUE(LoadKeysFile("${KEYDIR}/v.kys", true));
    EXPECT_TRUE(MacroExists('v'));
}

TEST_F(KeysFileTest, SaveWithoutANameUsesTheDefaultName) {
    const fs::path was = fs::current_path();
    fs::current_path(folder_);
    DefineMacro('a', "x", 0, 0);
    const bool saved = SaveKeysFile("");
    fs::current_path(was);
    ASSERT_TRUE(saved);
    EXPECT_EQ(commands::Settings.KeyFileName.View(), "ozmel.kys");
    EXPECT_EQ(Read("ozmel.kys"),
              "\0\x02"
              "a\0\x01\0\0x"s);
}

TEST_F(KeysFileTest, FailedSaveKeepsTheOldFileAndSaysSo) {
    Write("k.kys", "old");
    fs::create_directory(Path("k.kys.~new"));  // the new file cannot be made
    DefineMacro('a', "x", 0, 0);
    EXPECT_FALSE(SaveKeysFile(Path("k.kys")));
    EXPECT_EQ(Read("k.kys"), "old");
    EXPECT_TRUE(Macros.KeysChanged);
    EXPECT_EQ(shown, std::vector<std::string>{"DISK OR DIRECTORY FULL"});

    // With an error key its macro runs instead of the message.
    DefineMacro('E', "e", 0, 0);
    commands::Interpreter.ErrorKey = 'E';
    shown.clear();
    EXPECT_FALSE(SaveKeysFile(Path("no/such/folder.kys")));
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(TopMacroFrame().Key, 'E');
}

TEST_F(KeysFileTest, StartupLoadKeepsTheSettingsName) {
    InstallMacroServices();
    Write("user.kys",
          "\0\x02"
          "u\0\x01\0\x01x"s);
    commands::AssignZeroFilled(commands::Settings.KeyFileName, "user.kys");
    const commands::SettingsRecord loaded = commands::Settings;
    ASSERT_TRUE(commands::StartupServices.LoadKeysFile(Path("user.kys")));
    EXPECT_TRUE(MacroExists('u'));
    EXPECT_EQ(std::memcmp(&commands::Settings, &loaded, sizeof loaded), 0);

    // The first run has no name yet: the loaded file becomes it.
    commands::AssignZeroFilled(commands::Settings.KeyFileName, "");
    ASSERT_TRUE(commands::StartupServices.LoadKeysFile(Path("user.kys")));
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("user.kys"));
}

TEST_F(KeysFileTest, HostKeysFileIsASecondSetFromTheUserFolder) {
    Write("user.kys",
          "\0\x02"
          "u\0\x01\0\x01x"s);
    Write("host.kys",
          "\0\x02"
          "h\0\x01\0\x01y"s);
    ASSERT_TRUE(LoadKeysFile(Path("user.kys"), true));
    DefineMacro('u', "changed", 0, 0);

    // Only the file's own name counts: the host cannot point elsewhere.
    ASSERT_TRUE(LoadHostKeysFile("..\\..\\elsewhere/host.kys"));
    EXPECT_TRUE(SecondKeySetActive());
    EXPECT_TRUE(MacroExists('h'));
    EXPECT_FALSE(MacroExists('u'));
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("user.kys"));
    // The user's unsaved change is still offered for saving at exit.
    EXPECT_TRUE(Macros.KeysChanged);

    UseSecondKeySet(false);
    EXPECT_EQ(GetMacroText('u'), "changed");
    ASSERT_TRUE(LoadHostKeysFile("other.kys"));  // later calls only switch back
    EXPECT_TRUE(MacroExists('h'));
}

TEST_F(KeysFileTest, MissingHostKeysFileLeavesTheUserKeysInUse) {
    Write("user.kys",
          "\0\x02"
          "u\0\x01\0\x01x"s);
    ASSERT_TRUE(LoadKeysFile(Path("user.kys"), true));
    EXPECT_FALSE(LoadHostKeysFile("host.kys"));
    EXPECT_FALSE(LoadHostKeysFile(".."));
    EXPECT_FALSE(SecondKeySetActive());
    EXPECT_TRUE(MacroExists('u'));
}

}  // namespace
}  // namespace emulation
