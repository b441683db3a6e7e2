// The status-row prompts, the waits and the host-interaction commands, run
// through the interpreter as the program composes them.
#include "commands/wait_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "command_test_fixture.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/tick_clock.h"
#include "emulation/receive_loop.h"

namespace {

using command_test::CommandCase;
using command_test::Messages;
using commands::FunctionBadArgument;
using commands::Interpreter;
using emulation::Keyboard;
using emulation::ReceiveLoop;

constexpr uint16_t kAltA = 0x1E00;  // raw queue word of Alt-A

class WaitCommands : public command_test::ComposedCommands {
  protected:
    void Reset() {
        Interpreter.PendingSendText = u"old";
        Interpreter.PendingInput = "";
        Interpreter.FunctionReply = "";
        ReceiveLoop.WaitForText = "";
        ReceiveLoop.WaitForDeadline = 0;
        Keyboard.QuietWaitSeconds = 0;
        Keyboard.AbortRequested = false;
        Messages.clear();
    }
};

TEST_F(WaitCommands, HostInteractionTable) {
    Feed("abcdef\r\nxyz");
    const std::vector<CommandCase> cases = {
        {"SEND \"a b\"", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"a b\r"); }},
        {"SEND/N \"a b\"", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"a b"); }},
        {"SEND 1 3 1 2", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"abc\rxyz\r"); }},
        {"SEND/N 5 9 2 2", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"     "); }},
        // A rectangle past the screen is clamped to it.
        {"SEND/N 79 200 24 99", true, 0, [] { EXPECT_EQ(Interpreter.PendingSendText, u"  "); }},
        {"SEND 1 10", false, 0,
         [] {
             EXPECT_EQ(Interpreter.PendingSendText, u"old");
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], "INVALID FUNCTION");
         }},
        {"WAITFOR login", true, 0,
         [] {
             EXPECT_EQ(ReceiveLoop.WaitForText.View(), "LOGIN");
             EXPECT_FALSE(console::DeadlinePassed(ReceiveLoop.WaitForDeadline));
             EXPECT_GT(ReceiveLoop.WaitForDeadline, console::TicksPerDay);
         }},
        {"WF \"a b\" 2", true, 0,
         [] {
             EXPECT_EQ(ReceiveLoop.WaitForText.View(), "A B");
             EXPECT_EQ(ReceiveLoop.WaitForDeadline, console::DeadlineAfterTicks(36));
         }},
        // The wait is in force although the time-out word is refused.
        {"WAITFOR x y", false, 0,
         [] {
             EXPECT_EQ(ReceiveLoop.WaitForText.View(), "X");
             EXPECT_EQ(ReceiveLoop.WaitForDeadline, 0);
         }},
        {"WAITQUIET 2", true, 0, [] { EXPECT_EQ(Keyboard.QuietWaitSeconds, 2u); }},
        {"WAITQUIET 0x10", true, 0, [] { EXPECT_EQ(Keyboard.QuietWaitSeconds, 16u); }},
        {"WAITQUIET soon", false, 0, [] { EXPECT_EQ(Keyboard.QuietWaitSeconds, 0u); }},
        {"WAIT X", true, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], "INVALID FUNCTION");
         }},
        {"WAIT 0", true, 0, [] { EXPECT_TRUE(Messages.empty()); }},
        {"VERSION/S", true, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "12.6"); }},
        {"TIME", true, 0,
         [] {
             EXPECT_TRUE(std::regex_match(Interpreter.FunctionReply.Str(),
                                          std::regex("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]")));
         }},
        {"MESSAGE  Hello there", true, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], " Hello there");
         }},
        {"WRITE abc", false, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], "NO OUTPUT FILE OPEN");
         }},
        {"CALC", true, 0,
         [] {
             ASSERT_EQ(Messages.size(), 1u);
             EXPECT_EQ(Messages[0], "Not available in this version: CALC");
         }},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(WaitCommands, QueuedTextReachesTheHost) {
    ASSERT_EQ(commands::ExecuteFunction("SEND \"ls -l\""), 0u);
    EXPECT_EQ(SendQueued(), "ls -l\r");
    ASSERT_EQ(commands::ExecuteFunction("VERSION/S"), 0u);
    EXPECT_EQ(SendQueued(), "12.6\r");
}

TEST_F(WaitCommands, PromptsAreAnsweredByTypedKeys) {
    // ADD128: the typed character with its high bit set, queued as input.
    TypeText("A");
    commands::ExecuteFunction("ADD128");
    EXPECT_EQ(Interpreter.PendingInput.View(), "\xC1");
    // The status row was written over and is redrawn.
    EXPECT_TRUE(ReceiveLoop.StatusLineDirty);
    // The keyboard's FUNC prefix: carriage return gives 128 without sending.
    TypeText("\r");
    EXPECT_EQ(commands::PromptFuncKey(false), 128);
}

TEST_F(WaitCommands, TheAbortKeyEndsAWait) {
    Type({kAltA});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(commands::ExecuteFunction("WAIT 100"), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(Keyboard.AbortRequested);
    // The same key ends a wait for host text.
    commands::ExecuteFunction("WAITFOR never");
    Type({kAltA});
    emulation::PollKeyboard(false);
    EXPECT_TRUE(ReceiveLoop.WaitForText.Empty());
}

TEST_F(WaitCommands, AWaitThatTimesOutRunsTheErrorKey) {
    ASSERT_TRUE(emulation::DefineMacro('e', "late", 1, 0));
    Interpreter.ErrorKey = 'e';
    commands::ExecuteFunction("WAITFOR prompt 0");
    EXPECT_EQ(ReceiveLoop.WaitForText.View(), "PROMPT");
    // A deadline of now has passed once the clock moves on a tick.
    console::Delay(120);
    EXPECT_EQ(SendQueued(), "late");
    EXPECT_TRUE(ReceiveLoop.WaitForText.Empty());
}

}  // namespace
