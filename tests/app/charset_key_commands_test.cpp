// The character-set, character-entry, key, macro and recording commands, run
// through the interpreter as the program composes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "command_test_fixture.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "emulation/text/charsets.h"
#include "emulation/types/emulator_state.h"

namespace {

using command_test::CommandCase;
using command_test::Messages;
using commands::Interpreter;
using commands::Settings;
using emulation::EmulatorState;
using emulation::GetMacroText;

class CharsetKeyCommands : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        folder =
            std::filesystem::temp_directory_path() /
            ("vz_charset_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "MYSET.uni") << "0x41 0x0041\n";
        commands::SettingsFile.ProgramFolder = folder.string() + "/";
    }
    void TearDown() override {
        std::filesystem::remove_all(folder);
        Interpreter.LearnMode = false;
        Interpreter.LearnText.clear();
        Interpreter.ErrorKey = 0;
        ComposedCommands::TearDown();
    }
    void Reset() {
        Settings.CharsetMode = 0;
        Settings.CodePage.Set(1234);
        Settings.CharsetKind = 99;
        Settings.PassthroughCodePage.Set(1234);
        Settings.PassthroughCharset = 0;
        Interpreter.FunctionReply = "";
        Interpreter.PendingSendText = u"old";
        Interpreter.LearnMode = false;
        Interpreter.LearnText.clear();
        Interpreter.ErrorKey = 'q';
        console::ResetKeyQueue();
        emulation::ResetMacros();
        Messages.clear();
    }
    std::filesystem::path folder;
};

TEST_F(CharsetKeyCommands, CharacterSetAndEntryTable) {
    const std::vector<CommandCase> cases = {
        // National sets are exact names and touch neither code page nor kind.
        {"CHARSET GERMAN", true, 0,
         [] {
             EXPECT_EQ(Settings.CharsetMode, 5);
             EXPECT_EQ(EmulatorState.NationalSlots[EmulatorState.NationalExtra & 3], 5);
             EXPECT_EQ(Settings.CodePage.Get(), 1234u);
             EXPECT_EQ(Settings.CharsetKind, 99);
         }},
        {"CHARSET GER", false, 0, [] { EXPECT_EQ(Settings.CharsetMode, 0); }},
        {"CHARSET dec", true, 0,
         [] {
             EXPECT_EQ(Settings.CharsetKind, 16);
             EXPECT_EQ(EmulatorState.GR, 16);
         }},
        {"CHARSET/S ISO-8859-1", true, 0,
         [] {
             EXPECT_EQ(Settings.CharsetKind, 8);
             EXPECT_EQ(Interpreter.FunctionReply.View(), "00");
         }},
        {"CHARSET/S ISO-8859-5", true, 0,
         [] {
             EXPECT_EQ(Settings.CharsetKind, 14);
             EXPECT_EQ(Settings.CodePage.Get(),
                       static_cast<uint32_t>(emulation::CharsetCode("ISO-8859-5")));
         }},
        {"CHARSET/S NONE", true, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "01"); }},
        // An unknown name is a translation file beside the program.
        {"CHARSET myset", true, 0,
         [] {
             EXPECT_EQ(Settings.CodePage.Get(), 0x80000u);
             EXPECT_EQ(Settings.CharsetKind, 14);
             EXPECT_EQ(Settings.CharsetFile.View(), "MYSET");
         }},
        {"PASSTHRU-CP/S NONE", true, 0,
         [] {
             EXPECT_EQ(Interpreter.FunctionReply.View(), "00");
             EXPECT_EQ(Settings.PassthroughCodePage.Get(), 0x10000u);
         }},
        {"PASSTHRU-CP/S OEM", true, 0,
         [] {
             EXPECT_EQ(Interpreter.FunctionReply.View(), "01");
             EXPECT_EQ(Settings.PassthroughCodePage.Get(), 1234u);
         }},
        {"PASSTHRU-CP SWISS", true, 0, [] { EXPECT_EQ(Settings.PassthroughCharset, 10); }},
        {"PASSTHRU-CP MYSET", true, 0,
         [] {
             EXPECT_EQ(Settings.PassthroughCodePage.Get(), 0x90000u);
             EXPECT_EQ(Settings.PassthroughCharsetFile.View(), "MYSET");
         }},
        {"PASSTHRU-CP NOSUCH", false, 0, [] {}},
        // The compose table first, its five Windows-1252 results as Unicode.
        {"COMPOSE/S e=", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u20AC"); }},
        {"COMPOSE/S OE", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u0152"); }},
        {"COMPOSE/S &o", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u0153"); }},
        {"COMPOSE/S TM", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u2122"); }},
        {"COMPOSE/S \"Y", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u0178"); }},
        {"COMPOSE/S 'e", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u00E9"); }},
        // Not in the table: the mark of the first character on the second.
        {"COMPOSE/S 'c", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u0107"); }},
        {"COMPOSE/S <z", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u017E"); }},
        {"COMPOSE/S #x", false, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); }},
        {"COMPOSE/S abc", false, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); }},
        // One character: the second is typed at the status-row prompt.
        {"COMPOSE/S ^", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u00EA"); },
         [] { TypeText("e"); }},
        {"COMPOSE/S ^", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); },
         [] { TypeText("\x1b"); }},
        {"UNICODE/S 20ac", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u20AC"); }},
        {"UNICODE/S 1F600", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\U0001F600"); }},
        {"UNICODE/S D800", false, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); }},
        {"UNICODE/S 110000", false, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); }},
        {"UNICODE/S 2G", false, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); }},
        {"UNICODE/S", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"\u00E9"); },
         [] { TypeText("00e9"); }},
        {"UNICODE/S", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"A"); },
         [] { TypeText("41\r"); }},
        {"UNICODE/S", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"old"); },
         [] { TypeText("4\x1b"); }},
        {"_UTFDEC 20AC", true, 0,
         [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "[d][226][130][172]"); }},
        {"_UTFDEC DFFF", false, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), ""); }},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(CharsetKeyCommands, KeyMacroAndRecordingTable) {
    // The line is upper-cased, so the file has an upper-case name of its own.
    const std::string keysFile = "VZ_KEYS_" + std::to_string(::getpid()) + ".KEYS";
    const std::vector<CommandCase> cases = {
        {"DEFINE X HELLO", true, 0, [] { EXPECT_EQ(GetMacroText('X'), "HELLO"); }},
        {"DEFINE YHELLO there", true, 0, [] { EXPECT_EQ(GetMacroText('Y'), "HELLO there"); }},
        {"DEFINE X", true, 0, [] { EXPECT_FALSE(emulation::MacroExists('X')); },
         [] { commands::ExecuteFunction("DEFINE X HELLO"); }},
        {"DEFINE ", false, 0, [] {}},
        {"INVOKE AB", false, 0, [] { EXPECT_FALSE(emulation::MacroIsPlaying()); }},
        {"INVOKE A", true, 0, [] { EXPECT_TRUE(emulation::MacroIsPlaying()); },
         [] { commands::ExecuteFunction("DEFINE A typed"); }},
        {"CALL", false, 0, [] {}},
        {"RECORD", true, 0,
         [] {
             EXPECT_TRUE(Interpreter.LearnMode);
             EXPECT_TRUE(Interpreter.LearnText.empty());
         },
         [] { Interpreter.LearnText = "stale"; }},
        // The keys that typed RECORD OFF at the local command line are not
        // recorded; the macro's key is asked for on the status row.
        {"RECORD OFF", true, 0,
         [] {
             EXPECT_FALSE(Interpreter.LearnMode);
             EXPECT_EQ(GetMacroText('K'), "abc");
             EXPECT_TRUE(Interpreter.LearnText.empty());
         },
         [] {
             Interpreter.LearnMode = true;
             Interpreter.LearnText = std::string("abc\0@record off|", 16);
             TypeText("K");
         }},
        {"RECORD CANCEL", true, 0,
         [] {
             EXPECT_FALSE(Interpreter.LearnMode);
             EXPECT_TRUE(Interpreter.LearnText.empty());
             EXPECT_FALSE(emulation::MacroExists('K'));
         },
         [] {
             Interpreter.LearnMode = true;
             Interpreter.LearnText = "abc";
         }},
        {"RECORD Z", true, 0, [] { EXPECT_EQ(GetMacroText('Z'), "xy"); },
         [] {
             Interpreter.LearnMode = true;
             Interpreter.LearnText = std::string("xy\0@RECORD Z|", 13);
         }},
        {"RECORD ZZ", false, 0, [] { EXPECT_TRUE(Interpreter.LearnMode); },
         [] { Interpreter.LearnMode = true; }},
        {"ONERROR", true, 0, [] { EXPECT_EQ(Interpreter.ErrorKey, 0); }},
        {"ONERROR e", true, 0, [] { EXPECT_EQ(Interpreter.ErrorKey, 'e'); }},
        {"ONERROR ab", false, 0, [] { EXPECT_EQ(Interpreter.ErrorKey, 'q'); }},
        {"ONSTARTUP s", true, 0, [] { EXPECT_EQ(Settings.StartupKey.Get(), 's'); }},
        {"PRINTMACRO", true, 0, [] { EXPECT_EQ(Settings.PrintMacroKey.Get(), 0); },
         [] { Settings.PrintMacroKey.Set(5); }},
        {"PRINTMACRO pq", false, 0, [] { EXPECT_EQ(Settings.PrintMacroKey.Get(), 5); },
         [] { Settings.PrintMacroKey.Set(5); }},
        // A keys file that cannot be read is a message; the command itself
        // does not fail.
        {"READ /no/such/file.keys", true, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], "UNABLE TO READ KEYFILE: /NO/SUCH/FILE.KEYS");
         },
         [] { Interpreter.ErrorKey = 0; }},
        {"KEYS", true, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_NE(Messages[0].find("Not available"), std::string::npos);
         }},
    };
    command_test::RunCases(cases, [this] { Reset(); });

    // SAVE writes the user's keys, READ replaces them with the file's and
    // MERGE adds a file's keys to those defined.
    commands::ExecuteFunction("DEFINE S saved");
    ASSERT_EQ(commands::ExecuteFunction("SAVE " + keysFile), 0u);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    commands::ExecuteFunction("DEFINE S changed");
    commands::ExecuteFunction("DEFINE T other");
    commands::ExecuteFunction("MERGE " + keysFile);
    EXPECT_EQ(GetMacroText('S'), "saved");
    EXPECT_EQ(GetMacroText('T'), "other");
    commands::ExecuteFunction("READ " + keysFile);
    EXPECT_EQ(GetMacroText('S'), "saved");
    EXPECT_FALSE(emulation::MacroExists('T'));
    std::filesystem::remove(keysFile);
}

TEST_F(CharsetKeyCommands, DefineTakesTheLineEditorsKeyWhole) {
    // A key of several UTF-8 bytes: none of its bytes begins the text.
    commands::ExecuteFunction("DEFINE \xC3\xA9 accented", 0xE9);
    EXPECT_EQ(GetMacroText(0xE9), "accented");
    EXPECT_FALSE(emulation::MacroExists(0xC3));
}

}  // namespace
