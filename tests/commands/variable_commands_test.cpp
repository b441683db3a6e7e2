#include "commands/variable_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../console/fake_system.h"
#include "commands/command_handlers.h"
#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"

namespace commands {
namespace {

std::vector<std::string> ShownBoxes;

class VariableCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        system = std::make_unique<testing_support::FakeSystem>();
        ResetAll();
        ShownBoxes.clear();
        VariableSource.ShowVariablesBox = [](std::string_view text, std::string_view) {
            ShownBoxes.emplace_back(text);
        };
    }
    void TearDown() override {
        ResetAll();
        system.reset();
    }
    static void ResetAll() {
        ResetInterpreter();
        ResetCommandHandlers();
        ResetSetVariableStore();
        ResetVariableSources();
        ResetSettingsToDefaults();
    }

    std::unique_ptr<testing_support::FakeSystem> system;
};

TEST_F(VariableCommandsTest, SetRunsThroughTheInterpreter) {
    EXPECT_EQ(ExecuteFunction("SET Greeting = Hello there"), FunctionOk);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(Interpreter.CurrentFunction, SetCode);
    // SET keeps its line as typed: the value keeps its case.
    EXPECT_EQ(ExpandVariablesWide(u"<${GREETING}>"), u"<Hello there>");

    // Blanks before the word, a lower-case or a quoted word hand SET the
    // same name as the plain form.
    ExecuteFunction("   set b=2");
    ExecuteFunction("\"SET\" c=3");
    EXPECT_EQ(SetVariableStore.Names, (std::vector<std::string>{"GREETING", "B", "C"}));

    ExecuteFunction("SET B=");
    EXPECT_EQ(ExpandVariablesWide(u"${B}${C}"), u"3");
    ExecuteFunction("SET SHOW");
    ASSERT_EQ(ShownBoxes.size(), 1u);
    EXPECT_EQ(ShownBoxes[0], "Current variables are: \r   GREETING=Hello there\r   =\r   C=3\r");
}

TEST_F(VariableCommandsTest, SetWithoutEqualsIsIgnoredQuietly) {
    for (const char* line : {"SET", "SET NOEQUALS", "SET =value", "SET  SHOW"}) {
        EXPECT_EQ(ExecuteFunction(line), FunctionOk) << line;
        EXPECT_TRUE(Interpreter.FunctionSucceeded) << line;
    }
    EXPECT_TRUE(SetVariableStore.Names.empty());
    EXPECT_TRUE(ShownBoxes.empty());
}

TEST_F(VariableCommandsTest, PasswordIsStoredScrambledAndSentClear) {
    EXPECT_EQ(ExecuteFunction("PASSWORD Se<ret"), FunctionOk);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    // The word keeps its case, and only its scrambled form is stored.
    EXPECT_EQ(Settings.Password.Length(), 6u + 4u);
    EXPECT_EQ(Settings.Password.View().find("Se<ret"), std::string_view::npos);
    EXPECT_EQ(UnscramblePassword(Settings.Password.View()), "Se<ret");

    ExecuteFunction("password/s");
    EXPECT_EQ(Interpreter.PendingInput.View(), "Se<ret\r");

    // The stored "no password" sends Enter alone, as does an empty field.
    ExecuteFunction("PASSWORD |");
    ExecuteFunction("PASSWORD/S");
    EXPECT_EQ(Interpreter.PendingInput.View(), "\r");
    ExecuteFunction("PASSWORD");
    EXPECT_TRUE(Settings.Password.Empty());
    ExecuteFunction("PASSWORD/S");
    EXPECT_EQ(Interpreter.PendingInput.View(), "\r");

    // A password longer than the queued input is cut with it.
    ExecuteFunction("PASSWORD " + std::string(200, 'p'));
    ExecuteFunction("PASSWORD/S");
    EXPECT_EQ(Interpreter.PendingInput.View(), std::string(132, 'p'));
}

TEST_F(VariableCommandsTest, UserNameAndEnvReplyExpandVariables) {
    system->environment["SITE"] = "north";
    AssignZeroFilled(Settings.UserName, "ann-${SITE}");
    ExecuteFunction("USERNAME/S");
    EXPECT_EQ(Interpreter.PendingInput.View(), "ann-north\r");

    Interpreter.PendingInput = "";
    // ENV/S upper-cases its line; trailing blanks and controls are no part
    // of the name.
    EXPECT_EQ(ExecuteFunction("ENV/S   site \t"), FunctionOk);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "north");
    EXPECT_TRUE(Interpreter.PendingInput.Empty());
    ExecuteFunction("ENV/S ozm_program");
    EXPECT_EQ(Interpreter.FunctionReply.View(), "VOVUZIVA");

    // A name nothing answers to gives an empty reply and Enter as input; so
    // does a name that would close the reference early and pass text on.
    for (const char* line : {"ENV/S NOT_SET_ANYWHERE", "ENV/S SITE}${OZM_PROGRAM", "ENV/S"}) {
        Interpreter.PendingInput = "";
        Interpreter.FunctionReply = "old";
        ExecuteFunction(line);
        EXPECT_EQ(Interpreter.FunctionReply.View(), "") << line;
        EXPECT_EQ(Interpreter.PendingInput.View(), "\r") << line;
    }
}

}  // namespace
}  // namespace commands
