#pragma once
// The commands as the program composes them: a VT220 terminal on a recorded
// connection, the commands' services wired by app::ComposeProgram(), typed
// keys from the window's key queue and message boxes recorded.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "commands/command_handlers.h"
#include "commands/command_services.h"
#include "commands/interpreter.h"
#include "console/key_input.h"
#include "console/key_names.h"
#include "console/key_queue.h"
#include "emulation/input/keyboard.h"
#include "emulation/input/macros.h"
#include "emulation/operations/attribute_operations.h"
#include "emulation/operations/screen_operations.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"
#include "ui/message_box.h"

namespace command_test {

inline std::vector<std::string> Messages;

inline int RecordMessage(std::string_view text) {
    Messages.emplace_back(text);
    return ui::MessageBoxOk;
}

class ComposedCommands : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }
    void SetUp() override {
        Messages.clear();
        Start("VT220", emulation_test::Line::RecordedRlogin);
        console::ResetKeyQueue();
        console::InstallWindowKeySource();
        emulation::ResetMacros();
        ui::SetMessageBoxFunction(RecordMessage);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(nullptr);
        emulation::ScreenOperations.Hooks = {};
        emulation::AttributeOperations.Hooks = {};
        emulation::SetTermTypeConsole(nullptr);
        emulation::ResetKeyboard();
        emulation::ResetMacros();
        commands::ResetCommandServices();
        console::ResetKeyQueue();
        TerminalTest::TearDown();
    }

    // Typed keys: characters as bytes, other keys as raw queue words.
    static void Type(std::initializer_list<uint16_t> raw) {
        for (uint16_t r : raw) console::PutKeyEntry(r);
    }
    static void TypeText(std::string_view text) {
        for (char c : text) console::PutKeyEntry(static_cast<uint8_t>(c));
    }

    // Lets the keyboard processor send what the commands queued.
    std::string SendQueued() {
        for (int i = 0; i < 4; ++i) emulation::ProcessKeyboard();
        return Sent();
    }
};

// One row of a command table: the line, whether it succeeds, its status and
// what it must have done.
struct CommandCase {
    const char* Line;
    bool Succeeds;
    uint32_t Status;
    std::function<void()> Check;
    std::function<void()> Prepare = [] {};
};

inline void RunCases(const std::vector<CommandCase>& cases, const std::function<void()>& reset) {
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.Line);
        reset();
        c.Prepare();
        const uint32_t status = commands::ExecuteFunction(c.Line);
        EXPECT_EQ(commands::Interpreter.FunctionSucceeded, c.Succeeds);
        EXPECT_EQ(status, c.Status);
        c.Check();
    }
}

}  // namespace command_test
