// Commands typed at the local command line (F6) and played by key macros
// reach the interpreter through the composed program's main loop and leave
// the same settings and screen as the interpreter called directly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "command_test_fixture.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/screen_buffer.h"
#include "emulation/input/keys_file.h"
#include "emulation/main_routine.h"
#include "emulation/types/emulator_state.h"

namespace {

using command_test::Messages;
using commands::Settings;
using console::ConsoleLayer;

// F6 is a key of the VT220, so the keyboard opens the command line with
// Alt-F; a macro's F6 opens it whatever the type.
constexpr uint16_t F6 = 0x4000, F8 = 0x4200, AltF = 0x2100, AltT = 0x1400;
constexpr uint16_t Enter = 13, CtrlP = 16;

// The lines each way runs, and what they must have done.
const char* const kTypeSwitch = "TERM WYSE50";
const char* const kScreenSize = "SCREENMODE 100X30";

void CheckEffects() {
    EXPECT_EQ(Settings.TerminalType.View(), "WYSE50");
    ASSERT_NE(emulation::EmulatorState.CurrentTermType, nullptr);
    EXPECT_EQ(std::string(emulation::EmulatorState.CurrentTermType->Name), "WYSE50");
    EXPECT_EQ(console::Columns(), 100);
    EXPECT_EQ(ConsoleLayer.ScreenRows, 30);
    EXPECT_EQ(Settings.ScreenModeName.View(), "100X30");
}

std::string StatusRowText;

class LocalCommandLine : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("vz_cmdline_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        savedWait = console::keyInputHooks.WaitForMessage;
    }
    void TearDown() override {
        console::keyInputHooks.WaitForMessage = savedWait;
        std::filesystem::remove_all(folder);
        ComposedCommands::TearDown();
    }

    // Back to a VT220 on 80 by 25 between the ways.
    static void Restore() {
        ASSERT_EQ(commands::ExecuteFunction("TERM VT220"), 0u);
        ASSERT_EQ(commands::ExecuteFunction("SCREENMODE 80X25"), 0u);
        ASSERT_NE(console::Columns(), 100);
        Messages.clear();
    }

    // Main-loop passes until the typed keys and the macros are done.
    static void RunMainLoop() {
        for (int i = 0; i < 40; ++i) emulation::MainLoopPass();
        EXPECT_FALSE(emulation::MacroIsPlaying());
        EXPECT_TRUE(console::KeyQueueEmpty());
    }

    std::filesystem::path folder;
    void (*savedWait)() = nullptr;
};

TEST_F(LocalCommandLine, EveryWayGivesTheInterpretersEffects) {
    // The interpreter called directly.
    Restore();
    commands::ExecuteFunction(kTypeSwitch);
    commands::ExecuteFunction(kScreenSize);
    CheckEffects();

    // Typed at the local command line.
    SCOPED_TRACE("typed");
    Restore();
    for (const char* line : {kTypeSwitch, kScreenSize}) {
        Type({AltF});
        TypeText(line);
        Type({Enter});
    }
    RunMainLoop();
    CheckEffects();
    EXPECT_TRUE(Messages.empty());

    // A key of a keys file whose macro opens the command line twice.
    SCOPED_TRACE("keys file");
    Restore();
    const std::string macro =
        std::string("\0\x40", 2) + kTypeSwitch + "|" + std::string("\0\x40", 2) + kScreenSize + "|";
    {
        std::ofstream keys(folder / "session.kys", std::ios::binary);
        const uint16_t key = 276;  // Alt-T
        keys << '\0' << '\x02' << static_cast<char>(key & 0xFF) << static_cast<char>(key >> 8)
             << static_cast<char>(macro.size() & 0xFF) << static_cast<char>(macro.size() >> 8)
             << '\x01' << macro;
    }
    // (READ upper-cases its line, which a case-sensitive file system refuses.)
    ASSERT_TRUE(emulation::LoadKeysFile((folder / "session.kys").string(), true));
    Type({AltT});
    RunMainLoop();
    CheckEffects();

    // A key defined at the command line itself: F8 with the same two
    // commands, the F6 in its text typed literally.
    SCOPED_TRACE("defined");
    Restore();
    Type({AltF});
    TypeText("DEFINE ");
    Type({F8});
    TypeText(" ");
    Type({CtrlP, F6});
    TypeText(std::string(kTypeSwitch) + "|");
    Type({CtrlP, F6});
    TypeText(std::string(kScreenSize) + "|");
    Type({Enter});
    RunMainLoop();
    EXPECT_EQ(emulation::GetMacroText(322), macro);
    Type({F8});
    RunMainLoop();
    CheckEffects();
    EXPECT_TRUE(Messages.empty());
}

TEST_F(LocalCommandLine, ThePromptShowsOnTheStatusRowAndFailuresAreTold) {
    const int32_t row = ConsoleLayer.CursorRow;
    const int32_t col = ConsoleLayer.CursorCol;
    Type({AltF});
    TypeText("TERM NOSUCH");
    // The editor waits for Enter: the status row shows the prompt and the
    // line typed so far.
    console::keyInputHooks.WaitForMessage = [] {
        auto& l = ConsoleLayer;
        const std::u16string wide = console::ReadWindowTextW(l.StatusRow, 1, 30, false);
        StatusRowText.assign(wide.begin(), wide.end());
        console::PutKeyEntry(Enter);
    };
    emulation::MainLoopPass();
    EXPECT_EQ(StatusRowText.substr(0, 21), "FUNCTION: TERM NOSUCH");
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "INVALID FUNCTION");
    EXPECT_EQ(Settings.TerminalType.View(), "VT220");
    // The cursor is back where it was; the status row is drawn again.
    EXPECT_EQ(ConsoleLayer.CursorRow, row);
    EXPECT_EQ(ConsoleLayer.CursorCol, col);
    EXPECT_FALSE(ConsoleLayer.StatusMode);

    // A word that names no command shows its error text.
    Messages.clear();
    Type({AltF});
    TypeText("NOSUCHWORD");
    Type({Enter});
    emulation::MainLoopPass();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Unknown function");
}

}  // namespace
