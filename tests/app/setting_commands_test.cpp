// The connection, terminal-behaviour and exit commands, run through the
// interpreter as the program composes them: their argument forms, the
// settings they change and their failures.
#include <gtest/gtest.h>

#include "command_test_fixture.h"
#include "commands/password_scramble.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/terminal_commands.h"
#include "emulation/main_routine.h"

namespace {

using command_test::CommandCase;
using command_test::Messages;
using commands::FunctionBadArgument;
using commands::Interpreter;
using commands::Settings;

class SettingCommands : public command_test::ComposedCommands {
  protected:
    void Reset() {
        commands::ResetSettingsToDefaults();
        Settings.CommMethod = 1;
        Interpreter.PendingInput = "";
        Interpreter.FunctionReply = "";
        emulation::MainRoutine.ExitCode = 0;
        Messages.clear();
    }
};

TEST_F(SettingCommands, ConnectionAndLoginTable) {
    const std::vector<CommandCase> cases = {
        {"BAUD 9600", true, 0, [] { EXPECT_EQ(Settings.SerialBaud.Get(), 9600); }},
        // The high rates go in their coded form; other rates past 16 bits are refused.
        {"BAUD 115200", true, 0, [] { EXPECT_EQ(Settings.SerialBaud.Get(), 1152); }},
        {"BAUD 256000", true, 0, [] { EXPECT_EQ(Settings.SerialBaud.Get(), 2560); }},
        {"BAUD 70000", false, 0, [] { EXPECT_EQ(Settings.SerialBaud.Get(), 1234); },
         [] { Settings.SerialBaud.Set(1234); }},
        {"BAUD FAST", false, 0, [] { EXPECT_EQ(Settings.SerialBaud.Get(), 1234); },
         [] { Settings.SerialBaud.Set(1234); }},
        {"PORT 2", true, 0,
         [] {
             EXPECT_EQ(Settings.SerialPort, 2);
             EXPECT_EQ(Settings.SerialIrq.Get(), 3);
         }},
        {"PORT 3", true, 0, [] { EXPECT_EQ(Settings.SerialIrq.Get(), 4); }},
        {"PORT 256", false, 0, [] { EXPECT_EQ(Settings.SerialPort, 1); },
         [] { Settings.SerialPort = 1; }},
        {"PORT 0", false, 0, [] {}},
        {"IRQ 15", true, 0, [] { EXPECT_EQ(Settings.SerialIrq.Get(), 15); }},
        {"IRQ 8", false, 0, [] {}},
        {"IRQ 9", false, 0, [] {}},
        {"8N1", true, 0,
         [] {
             EXPECT_EQ(Settings.SerialDataBits.Get(), 8);
             EXPECT_EQ(Settings.SerialParity, 'N');
             EXPECT_EQ(Settings.SerialStopBits.Get(), 1);
         }},
        {"7e2", true, 0,
         [] {
             EXPECT_EQ(Settings.SerialDataBits.Get(), 7);
             EXPECT_EQ(Settings.SerialParity, 'E');
             EXPECT_EQ(Settings.SerialStopBits.Get(), 2);
         }},
        {"PARITY ODD", true, 0, [] { EXPECT_EQ(Settings.SerialParity, 'O'); }},
        {"PARITY X", true, 0, [] { EXPECT_EQ(Messages.at(0), "INVALID FUNCTION"); }},
        {"DATA BITS 7", true, 0, [] { EXPECT_EQ(Settings.SerialDataBits.Get(), 7); }},
        {"DATA 9", true, 0, [] { EXPECT_EQ(Messages.at(0), "INVALID FUNCTION"); }},
        {"RTS-MODE 2", true, 0, [] { EXPECT_EQ(Settings.RtsMode, 2); }},
        {"RTS-MODE 3", false, 0, [] {}},
        {"COMMTYPE TEL", false, 0, [] { EXPECT_EQ(Settings.CommMethod, 1); }},
        {"RECONNECT STAY", true, 0, [] { EXPECT_EQ(Settings.ReconnectMode, 2); }},
        {"RECONNECT", true, 0, [] { EXPECT_EQ(Settings.ReconnectMode, 1); }},
        {"RECONNECT MAYBE", false, 0, [] {}},
        {"AUTO-CONNECT OFF", true, 0, [] { EXPECT_EQ(Settings.AutoConnect, 0); }},
        {"CLONE", false, 0, [] {}},
        {"HOSTNAME/S", true, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "example:23"); },
         [] { Settings.HostName = "example:23"; }},
        {"USERNAME Fred", true, 0, [] { EXPECT_EQ(Settings.UserName.View(), "Fred"); }},
        {"TERMNAME vt220,ansi", true, 0,
         [] { EXPECT_EQ(Settings.TermNameList.View(), "vt220,ansi"); }},
        {"ENVIRONMENT   Name=Value", true, 0,
         [] { EXPECT_EQ(Settings.EnvironmentText.View(), "Name=Value"); }},
        {"REGTELNET me", false, FunctionBadArgument,
         [] { EXPECT_EQ(Messages.at(0), "Not available in this version: REGTELNET"); }},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(SettingCommands, TerminalBehaviourTable) {
    const std::vector<CommandCase> cases = {
        {"TERM LINUX", true, 0, [] { EXPECT_EQ(Settings.TerminalType.View(), "LINUX"); }},
        {"TERM NOSUCH", false, 0, [] { EXPECT_EQ(Settings.TerminalType.View(), "VT220"); },
         [] { Settings.TerminalType = "VT220"; }},
        {"UNIX", true, 0, [] { EXPECT_EQ(Settings.HostType, 7); }},
        {"TTY", true, 0, [] { EXPECT_EQ(Settings.HostType, 8); }},
        {"FULL D", true, 0, [] { EXPECT_EQ(Settings.FullDuplex, 1); }},
        {"HALF", true, 0, [] { EXPECT_EQ(Settings.FullDuplex, 0); }},
        {"FULL DUPLEX", false, 0, [] {}},
        {"BEEP", true, 0, [] { EXPECT_EQ(Settings.BeepMode, 1); }},
        {"BEEP SL", true, 0, [] { EXPECT_EQ(Settings.BeepMode, 2); }},
        {"BEEP IDLE", true, 0, [] { EXPECT_EQ(Settings.BeepIdle, 1); }},
        {"BEEP IDLE OFF", true, 0, [] { EXPECT_EQ(Settings.BeepIdle, 0); }},
        {"BEEP LOUD", false, 0, [] {}},
        {"NO BEEP", true, 0, [] { EXPECT_EQ(Settings.BeepMode, 0); }},
        {"NO BEEP IDLE", true, 0,
         [] {
             EXPECT_EQ(Settings.BeepIdle, 0);
             EXPECT_EQ(Settings.BeepMode, 1);
         },
         [] {
             Settings.BeepMode = 1;
             Settings.BeepIdle = 1;
         }},
        {"NO", false, 0, [] {}},
        {"LOCK OFF", true, 0,
         [] {
             EXPECT_EQ(Settings.NoKeyboardLock, 1);
             EXPECT_FALSE(emulation::ReceiveLoop.KeyboardLocked);
         },
         [] { emulation::ReceiveLoop.KeyboardLocked = true; }},
        {"LOCK ON", true, 0, [] { EXPECT_EQ(Settings.NoKeyboardLock, 0); }},
        {"JUMP", true, 0, [] { EXPECT_EQ(Settings.JumpScroll.Get(), 100); }},
        {"JUMP O", true, 0, [] { EXPECT_EQ(Settings.JumpScroll.Get(), 0); }},
        {"SYNC O", true, 0, [] { EXPECT_EQ(Settings.SyncMode, 0); }},
        {"SYNC ON", true, 0, [] { EXPECT_EQ(Settings.SyncMode, 1); }},
        {"BACKSPACE 127", true, 0, [] { EXPECT_EQ(Settings.BackspaceChar, 127); }},
        {"BACKSPACE 264", true, 0, [] { EXPECT_EQ(Settings.BackspaceChar, 8); }},
        {"BACKSPACE 0", false, 0, [] {}},
        {"HOLD ON", true, 0, [] { EXPECT_TRUE(emulation::Keyboard.OutputHold); }},
        {"MONITOR T", true, 0, [] { EXPECT_TRUE(emulation::ReceiveLoop.MonitorMode); }},
        {"PLAY NCR ON", true, 0, [] { EXPECT_TRUE(emulation::ReceiveLoop.NcrMode); }},
        {"PLAY X", false, 0, [] {}},
        {"ANSWERBACK HELLO|", true, 0, [] { EXPECT_EQ(Settings.AnswerBack.View(), "HELLO\r"); }},
        {"TAB OFF", true, 0, [] { EXPECT_EQ(Settings.TabAsTab, 1); }},
        {"TAB CH .", true, 0, [] { EXPECT_EQ(Settings.TabFillChar, '.'); }},
        {"TIMEOUT 50", true, 0, [] { EXPECT_EQ(emulation::Keyboard.KeyLockTimeout, 50u); }},
        {"C332_PREV", true, 0, [] { EXPECT_EQ(Interpreter.PendingInput.View(), "\x1D\x03"); }},
        {"C332_NEXT", true, 0, [] { EXPECT_EQ(Interpreter.PendingInput.View(), "\x1D\x01"); }},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(SettingCommands, TabResetGivesAscendingStopsThenNone) {
    ASSERT_EQ(commands::ExecuteFunction("TAB RESET"), 0u);
    EXPECT_EQ(Settings.TabStops[0], 1);
    EXPECT_EQ(Settings.TabStops[1], 9);
    EXPECT_EQ(Settings.TabStops[31], 249);
    for (std::size_t c = 32; c < Settings.TabStops.size(); ++c) EXPECT_EQ(Settings.TabStops[c], 0);
}

TEST_F(SettingCommands, ExitAndSettingsTable) {
    const std::vector<CommandCase> cases = {
        {"HEXPATCH 7 00", true, 0, [] { EXPECT_EQ(Settings.BeepMode, 0); },
         [] { Settings.BeepMode = 1; }},
        {"HEXPATCH 1C33 00", true, 0,
         [] { EXPECT_EQ(reinterpret_cast<uint8_t*>(&Settings)[0x1C33], 0); },
         [] { reinterpret_cast<uint8_t*>(&Settings)[0x1C33] = 5; }},
        {"HEXPATCH 1C33 0000", false, 0, [] {}},
        {"HEXPATCH 10 ABC", false, 0, [] {}},
        // A non-hexadecimal character changes nothing, not even the bytes before it.
        {"HEXPATCH 7 02ZZ", false, 0, [] { EXPECT_EQ(Settings.BeepMode, 1); },
         [] { Settings.BeepMode = 1; }},
        {"STOP 2", true, 0, [] { EXPECT_EQ(Settings.SerialStopBits.Get(), 2); }},
        {"STOP BITS 1.5", true, 0, [] { EXPECT_EQ(Settings.SerialStopBits.Get(), 3); }},
        {"STOP 3", true, 0, [] { EXPECT_EQ(Messages.at(0), "INVALID FUNCTION"); }},
        {"END", true, 0, [] { EXPECT_EQ(emulation::MainRoutine.ExitCode, 1); },
         [] { commands::SettingsFile.SavedSettings = Settings; }},
        {"DROPOUT", true, 0, [] { EXPECT_EQ(emulation::MainRoutine.ExitCode, 2); },
         [] { commands::SettingsFile.SavedSettings = Settings; }},
        {"STAY/G", true, 0, [] { EXPECT_EQ(emulation::MainRoutine.ExitCode, 3); },
         [] { commands::SettingsFile.SavedSettings = Settings; }},
        {"DEFAULTS", false, FunctionBadArgument, [] {},
         [] { commands::SettingsFile.SettingsFileName.clear(); }},
        {"ALLOW-QUIT OFF", true, 0, [] { EXPECT_EQ(Settings.AllowQuit, 0); }},
        {"MENULANGUAGE Klingon", false, FunctionBadArgument, [] {}},
        {"DATE", false, 0, [] {}},
        {"LOGOU", false, 0, [] {}},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

}  // namespace
