#include "emulation/operations/keyboard_operations.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/input/keys_file.h"
#include "emulation/input/macros.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/term_executor.h"
#include "host_screen_feeder.h"

namespace emulation {
namespace {

using namespace std::string_literals;
namespace fs = std::filesystem;

// The operations run as the executor runs them, through its dispatch table.
class KeyboardOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAll();
        InstallTermOperations();
        folder_ = fs::temp_directory_path() /
                  ("vz_keyops_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "empty");
    }
    void TearDown() override {
        ResetAll();
        fs::remove_all(folder_);
    }
    static void ResetAll() {
        ResetTermOpHandlers();
        ResetMacros();
        commands::ResetInterpreter();
        commands::ResetSettingsToDefaults();
        console::ResetConsoleLayer();
    }
    static void Run(TermOp op, int32_t p1 = 0) {
        TermOpParams params{};
        params[0] = p1;
        RunTermOp(op, params);
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    void Write(const std::string& name, std::string_view bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    fs::path folder_;
};

TEST_F(KeyboardOperationsTest, ClearHostKeysLeavesTheUserKeys) {
    ASSERT_TRUE(DefineMacro('a', "user a", 0, ScopePermanent));
    ASSERT_TRUE(DefineMacro('a', "host a", 0, ScopeTemporary));
    ASSERT_TRUE(DefineMacro('b', "host b", 0, ScopeTemporary));
    Macros.KeysChanged = false;
    EXPECT_EQ(GetMacroText('a'), "host a");

    Run(OpClearHostKeys);
    // The user's own definition of the key shows through again.
    EXPECT_EQ(GetMacroText('a'), "user a");
    EXPECT_FALSE(MacroExists('b'));
    EXPECT_FALSE(Macros.KeysChanged);
}

TEST_F(KeyboardOperationsTest, LoadC332KeysTakesTheFileBesideTheUserKeys) {
    Write("user.kys", "\0\x02u\0\x01\0\x01x"s);
    Write("C332E.KYS", "\0\x02h\0\x01\0\x01y"s);
    ASSERT_TRUE(LoadKeysFile(Path("user.kys"), true));
    DefineMacro('u', "edited", 0, ScopePermanent);

    Run(OpLoadC332Keys);
    EXPECT_TRUE(SecondKeySetActive());
    EXPECT_EQ(GetMacroText('h'), "y");
    EXPECT_FALSE(MacroExists('u'));
    // The user's keys file and its unsaved change are untouched.
    EXPECT_EQ(commands::Settings.KeyFileName.View(), Path("user.kys"));
    EXPECT_TRUE(Macros.KeysChanged);
    UseSecondKeySet(false);
    EXPECT_EQ(GetMacroText('u'), "edited");
}

TEST_F(KeyboardOperationsTest, MissingC332KeysFileKeepsTheKeysInUse) {
    Write("empty/user.kys", "\0\x02u\0\x01\0\x01x"s);
    ASSERT_TRUE(LoadKeysFile(Path("empty/user.kys"), true));

    Run(OpLoadC332Keys);
    EXPECT_FALSE(SecondKeySetActive());
    EXPECT_EQ(GetMacroText('u'), "x");
    EXPECT_FALSE(Macros.KeysChanged);
    EXPECT_TRUE(TermExecutor.Reply.empty());
}

TEST_F(KeyboardOperationsTest, ScoColourQueryRepliesWithEntryZeroOrFour) {
    auto& map = console::ConsoleLayer.AttrColorMap;
    map[0] = 0x41;   // blue on red
    map[4] = 0x1FE;  // yellow on white, with a mode-5 blink bit that is no colour
    const struct {
        int32_t p1;
        const char* reply;
    } cases[] = {{0, "1 4"}, {1, "14 15"}, {4, "14 15"}, {-1, "14 15"}};
    for (const auto& c : cases) {
        commands::Interpreter.FunctionReply = "";
        Run(OpScoColourQuery, c.p1);
        EXPECT_EQ(commands::Interpreter.FunctionReply.View(), c.reply) << c.p1;
    }
    EXPECT_TRUE(TermExecutor.Reply.empty());
}

TEST(KeyboardOperations, ScoColourQueryFromTheHost) {
    screen_test::HostScreen screen("SCOANSI");
    for (auto b : KeyboardOperationBindings()) screen.handlers[b.Op] = b.Handler;
    console::ConsoleLayer.AttrColorMap[0] = 0x17;
    console::ConsoleLayer.AttrColorMap[4] = 0x71;
    // An absent parameter is 1, so the bare query asks for entry 4.
    screen.Feed("\x1b[=M");
    EXPECT_EQ(commands::Interpreter.FunctionReply.View(), "1 7");
    screen.Feed("\x1b[=0M");
    EXPECT_EQ(commands::Interpreter.FunctionReply.View(), "7 1");
    commands::ResetInterpreter();
}

}  // namespace
}  // namespace emulation
